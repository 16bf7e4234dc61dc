// Files and folders: existence checks, creating folder paths, deleting,
// copying, opening, reading whole text files, listing a folder. Failures the
// user should see go through the caller's trace sink (silent without one);
// failed system calls nobody expects are internal errors.
#include "File.h"

#include <filesystem>
#include <system_error>

#include "CSlout.h"
#include "pstr.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/File/File";

namespace {

void traceError(CSlout* trace, int line, const std::string& text, bool narrow) {
    if (!trace) return;
    if (narrow)
        trace->errorA(line, text);
    else
        trace->errorW(line, text);
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

namespace fs = std::filesystem;

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

bool FileIsFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

int FileCreateFolder(const std::string& path, CSlout* trace, bool& created) {
    created = false;
    if (path.empty()) return REPORT_ERR();
    std::error_code ec;
    if (!FileIsFolder(path)) fs::create_directory(path, ec);
    // Another process may have made it meanwhile: what counts is that it is a folder now.
    if (FileIsFolder(path)) {
        created = true;
        return OKAY;
    }
    traceError(trace, 1, "Unable to create folder " + quoted(path), true);
    return OKAY;
}

int FileCreateFolderPath(const std::string& path, CSlout* trace, bool& created) {
    created = false;
    if (path.empty()) return REPORT_ERR();
    // Each level is the text before one of the separators after the first
    // character (so "/a/b/c" gives "/a", "/a/b", "/a/b/c"), plus the whole path.
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        if (path[i - 1] == '/') continue;  // doubled or trailing separator
        const std::string level = path.substr(0, i);
        if (FileIsFolder(level)) continue;
        bool made = false;
        REPORT_CHECK(FileCreateFolder(level, trace, made));
        if (!made) return OKAY;
    }
    created = FileIsFolder(path);
    return OKAY;
}

int FileDeleteIfPresent(const std::string& path, CSlout* trace) {
    if (path.empty()) return REPORT_ERR();
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (!fs::exists(status)) return OKAY;
    // Files only: a folder in its place is refused as unlinking it would be.
    if (fs::is_directory(status))
        ec = std::make_error_code(std::errc::is_a_directory);
    else
        fs::remove(path, ec);
    if (ec) {
        traceError(trace, 1, path + ": " + ec.message(), false);
        return NOT_OKAY;
    }
    return OKAY;
}

int FileDeleteMatching(const std::string& folder, const std::string& extension, CSlout* trace) {
    if (folder.empty() || extension.empty()) return REPORT_ERR();
    std::vector<std::string> names;
    REPORT_CHECK(FileListFiles(folder, 4096, names));
    const std::string ending = "." + extension;
    int result = OKAY;
    for (const std::string& name : names) {
        if (!pstrEndsWith(name, ending)) continue;
        // Keep going after a failure so that one stuck file does not keep the others.
        if (FileDeleteIfPresent(folder + "/" + name, trace) != OKAY) result = NOT_OKAY;
    }
    return result;
}

int FileCopy(const std::string& from, const std::string& to, CSlout* trace) {
    if (from.empty() || to.empty()) return REPORT_ERR();
    std::error_code ec;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        traceError(trace, 1, "Unable to copy file " + quoted(from) + " to " + quoted(to), false);
        traceError(trace, 2, ec.message(), false);
        return NOT_OKAY;
    }
    return OKAY;
}

int FileOpen(const std::string& path, const char* mode, CSlout* trace, FileHandle& out) {
    out.reset();
    if (!mode || !*mode) return REPORT_ERR();
    if (path.empty()) {
        traceError(trace, 1, "Unable to open file with no name.", false);
        return NOT_OKAY;
    }
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (!f) {
        traceError(trace, 1, path + ": " + reportErrnoText(errno), false);
        return NOT_OKAY;
    }
    out.reset(f);
    return OKAY;
}

int FileReadText(const std::string& path, CSlout* trace, std::string& out) {
    std::FILE* raw = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!raw) {
        traceError(trace, 1, "Unable to open file " + quoted(path), false);
        return NOT_OKAY;
    }
    FileHandle f(raw);
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) text.append(buf, n);
    if (std::ferror(f.get())) return REPORT_ERR();
    out = std::move(text);
    return OKAY;
}

int FileCountLines(const std::string& path, CSlout* trace, int& count) {
    count = 0;
    std::FILE* raw = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!raw) {
        traceError(trace, 1, "Unable to open file " + quoted(path), true);
        return NOT_OKAY;
    }
    FileHandle f(raw);
    // A line counts once per started 127 characters, the way a reader with a
    // 128-byte line buffer sees it; an empty line still counts once.
    constexpr size_t kChunk = 127;
    size_t lineLength = 0;
    int c;
    while ((c = std::fgetc(f.get())) != EOF) {
        if (c == '\n') {
            count += lineLength == 0 ? 1 : static_cast<int>((lineLength + kChunk - 1) / kChunk);
            lineLength = 0;
        } else if (c != '\r') {
            ++lineLength;
        }
    }
    if (std::ferror(f.get())) return REPORT_ERR();
    count += static_cast<int>((lineLength + kChunk - 1) / kChunk);
    return OKAY;
}

int FileListFiles(const std::string& folder, size_t capacity, std::vector<std::string>& names) {
    names.clear();
    if (folder.empty() || capacity == 0) return REPORT_ERR();
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return REPORT_ERR_WHY(ec.message());
    std::vector<std::string> found;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        // The entry's own test uses the type the folder listing gave and
        // follows only symbolic links: a stat per file made listing a cache of
        // thousands of tracks cost more than reading their database rows.
        std::error_code statusError;
        if (!it->is_regular_file(statusError)) continue;
        std::string item = name.substr(0, capacity - 1);
        // Do not leave half a UTF-8 sequence at the cut.
        while (item.size() < name.size() && !item.empty() &&
               (static_cast<unsigned char>(name[item.size()]) & 0xC0) == 0x80)
            item.pop_back();
        found.push_back(std::move(item));
    }
    if (ec) return REPORT_ERR_WHY(ec.message());
    names = std::move(found);
    return OKAY;
}

int FileSplitPath(const std::string& path, std::string& folder, std::string& name) {
    if (path.empty()) return REPORT_ERR();
    const size_t p = path.find_last_of('/');
    folder = p == std::string::npos ? std::string() : path.substr(0, p + 1);
    name = p == std::string::npos ? path : path.substr(p + 1);
    return OKAY;
}
