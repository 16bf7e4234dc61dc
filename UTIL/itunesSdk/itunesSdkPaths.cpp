// iTunes' media folder from its preferences and library files, and file URLs
// turned into local paths.
#include "itunesSdkPaths.h"

#include <cstdio>
#include <filesystem>

#include "CSlout.h"
#include "File.h"
#include "knownFolders.h"
#include "pstr.h"
#include "report.h"
#include "xmlItunesPrefs.h"

static constexpr const char* kReportModule = "../../UTIL/itunesSdk/itunesSdkPaths";

namespace {

// The whole of a regular file of at most `limit` bytes; false otherwise.
bool readSmallFile(const std::string& path, size_t limit, std::string& text) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > limit) return false;
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    text.resize(static_cast<size_t>(size));
    text.resize(std::fread(text.data(), 1, text.size(), file.get()));
    return !std::ferror(file.get());
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool startsWithNoCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && pstrCompare(text.substr(0, start.size()), start, false) == 0;
}

}  // namespace

bool itunesSdkPathsFromFileUrl(std::string_view url, std::string& path) {
    path.clear();
    if (!startsWithNoCase(url, "file:")) return false;
    std::string_view rest = url.substr(5);
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && pstrCompare(host, "localhost", false) != 0) return false;
        if (slash == std::string_view::npos) return false;
        rest.remove_prefix(slash);
    }
    if (rest.empty() || rest[0] != '/') return false;
    std::string decoded;
    decoded.reserve(rest.size());
    for (size_t i = 0; i < rest.size(); ++i) {
        const int high = rest[i] == '%' && i + 2 < rest.size() ? hexDigit(rest[i + 1]) : -1;
        const int low = high >= 0 ? hexDigit(rest[i + 2]) : -1;
        if (low < 0) {
            decoded.push_back(rest[i]);  // a lone "%" stands for itself
            continue;
        }
        decoded.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    if (decoded.find('\0') != std::string::npos || !pstrIsUtf8(decoded)) return false;
    path = std::move(decoded);
    return true;
}

int itunesSdkPathsPrefsFile(std::string& path) {
    std::string roaming;
    REPORT_CHECK(knownFolderPath(knownFolder::RoamingAppData, true, roaming));
    path = roaming + "/" + kItunesSdkPrefsFolder + "/" + kItunesSdkPrefsName;
    return OKAY;
}

int itunesSdkPathsMusicFolder(std::string& path, size_t capacity, bool& found) {
    found = false;
    path.clear();
    std::string prefsFile, prefs;
    REPORT_CHECK(itunesSdkPathsPrefsFile(prefsFile));
    if (!readSmallFile(prefsFile, kItunesSdkPrefsMaxBytes, prefs)) return OKAY;
    bool located = false;
    std::string library, url, folder;
    REPORT_CHECK(xmlItunesPrefsLibraryLocation(prefs, located, library));
    if (!located) return OKAY;
    REPORT_CHECK(xmlItunesPrefsMusicFolderUrl(library, located, url));
    if (!located || !itunesSdkPathsFromFileUrl(url, folder)) return OKAY;
    if (pstrUtf16Length(folder) >= capacity) return OKAY;
    path = std::move(folder);
    found = true;
    return OKAY;
}
