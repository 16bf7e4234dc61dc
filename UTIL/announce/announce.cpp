// Announcement files, the announcement rule, the dynamic update and the
// addresses of the web service's requests.
#include "announce.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "File.h"
#include "pstr.h"
#include "report.h"
#include "web.h"

static constexpr const char* kReportModule = "../../UTIL/announce/announce";

namespace {

// Reads lines off the bytes of a file, each with its line end ("\r\n" read
// as "\n"), NUL bytes left out.
class LineReader {
  public:
    explicit LineReader(std::string_view bytes) : bytes_(bytes) {}
    bool next(std::string& line) {
        if (at_ >= bytes_.size()) return false;
        size_t end = bytes_.find('\n', at_);
        end = end == std::string_view::npos ? bytes_.size() : end + 1;
        line.clear();
        for (const char c : bytes_.substr(at_, end - at_))
            if (c != '\0') line.push_back(c);
        at_ = end;
        if (line.size() >= 2 && line[line.size() - 2] == '\r' && line.back() == '\n')
            line.erase(line.size() - 2, 1);
        return true;
    }

  private:
    std::string_view bytes_;
    size_t at_ = 0;
};

void stripLineEnds(std::string& text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
}

// The number at the start of a line, as a scanf conversion reads it: leading
// white space and one "+" allowed, anything after the number ignored.
std::string_view numberStart(std::string_view line) {
    while (!line.empty() && std::string_view(" \t\r\n\v\f").find(line.front()) != std::string_view::npos)
        line.remove_prefix(1);
    if (line.size() >= 2 && line[0] == '+' && line[1] != '+' && line[1] != '-') line.remove_prefix(1);
    return line;
}

template <class T>
bool parseNumber(std::string_view line, T& value) {
    const std::string_view s = numberStart(line);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    (void)end;
    return ec == std::errc();
}

}  // namespace

void announceParse(std::string_view bytes, bool& present, announce& out) {
    present = false;
    out = announce{};
    LineReader reader(bytes.substr(0, kAnnounceMaxFileBytes));
    std::string line;
    float ignored = 0.0f;
    announce a;
    if (!reader.next(line)) return;                                      // 1: not interpreted
    if (!reader.next(line) || !parseNumber(line, ignored)) return;       // 2
    if (!reader.next(line) || !parseNumber(line, a.number)) return;      // 3
    if (!reader.next(line) || !parseNumber(line, a.minVersion)) return;  // 4
    if (!reader.next(line)) return;                                      // 5
    stripLineEnds(line);
    a.link = pstrCutToUnits(line, kAnnounceLinkRoom);
    std::string text;
    while (reader.next(line)) text += line;
    a.text = pstrCutToUnits(text, kAnnounceTextRoom);
    stripLineEnds(a.text);
    out = std::move(a);
    present = true;
}

int announceRead(const std::string& path, CSlout* trace, bool& present, announce& out) {
    present = false;
    out = announce{};
    if (path.empty()) return REPORT_ERR();
    std::error_code ec;
    // Anything but a file there (nothing, a folder) is no announcement.
    if (!std::filesystem::is_regular_file(path, ec)) return OKAY;
    FileHandle file;
    REPORT_CHECK(FileOpen(path, "rb", trace, file));
    std::string bytes;
    char block[65536];
    while (bytes.size() < kAnnounceMaxFileBytes) {
        const size_t n = std::fread(block, 1, sizeof block, file.get());
        bytes.append(block, n);
        if (n < sizeof block) break;
    }
    if (std::ferror(file.get())) return REPORT_ERR();
    announceParse(bytes, present, out);
    return OKAY;
}

announceAction announceDecide(bool freshPresent, const announce& fresh, bool currentPresent,
                              const announce& current, float productVersion) {
    announceAction action;
    if (!freshPresent || (currentPresent && current.number == fresh.number)) return action;
    action.makeCurrent = true;
    if (fresh.minVersion >= productVersion) {
        action.showText = !fresh.text.empty();
        action.openLink = fresh.text.empty();
    }
    return action;
}

int announceMakeCurrent(const std::string& freshPath, const std::string& currentPath, CSlout* trace) {
    const std::string part = currentPath + ".part";
    REPORT_CHECK(FileCopy(freshPath, part, trace));
    if (std::rename(part.c_str(), currentPath.c_str()) != 0) {
        std::remove(part.c_str());
        return REPORT_ERR();
    }
    return OKAY;
}

bool announceUpdateDue(bool lastPresent, long last, long now) {
    return !lastPresent || last > now || last < now - kAnnounceUpdatePeriod;
}

int announceDownload(web* connection, std::string_view address, const std::string& path, bool& downloaded) {
    downloaded = false;
    if (!connection) return REPORT_ERR();
    bool failed = true;
    REPORT_CHECK(webReceive(connection, address, path, false, true, failed));
    if (failed) REPORT_CHECK(FileDeleteIfPresent(path, connection->trace));
    downloaded = !failed;
    return OKAY;
}

std::string announceDownloadAddress(std::string_view base, int vendor, int subvendor) {
    return std::string(base) + "/fromPlayer/announcements/" + std::to_string(vendor) + "/" +
           std::to_string(subvendor) + "/" + kAnnounceNewFile;
}

std::string announceVersionText(float productVersion) {
    const long hundredths = (std::lround(static_cast<double>(productVersion) * 1000.0) + 5) / 10;
    char text[32];
    std::snprintf(text, sizeof text, "%ld.%02ld", hundredths / 100, hundredths % 100);
    return text;
}

std::string announceEmailAddress(std::string_view base, float productVersion, std::string_view email,
                                 int vendor, int subvendor) {
    return std::string(base) +
           "/proxy/install_email.php?product_version=" + announceVersionText(productVersion) +
           "&email_address=" + webPercentEncode(email) + "&vendor_code=" + std::to_string(vendor) +
           "&subvendor_code=" + std::to_string(subvendor);
}
