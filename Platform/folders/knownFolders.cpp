// XDG lookups for the known folders (see knownFolders.h). user-dirs.dirs is
// read the way xdg-user-dirs writes it: lines NAME="value", where the value is
// an absolute path or starts with $HOME/.
#include "knownFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "report.h"

static constexpr const char* kReportModule = "../../Platform/folders/knownFolders";

namespace fs = std::filesystem;

namespace {

// An environment variable that holds an absolute path; relative values are
// ignored, as the XDG base directory rules say.
std::optional<std::string> absoluteEnv(const char* name) {
    const char* v = std::getenv(name);
    if (v && v[0] == '/') return std::string(v);
    return std::nullopt;
}

void stripTrailingSlashes(std::string& p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
}

// Reads NAME from user-dirs.dirs in the config folder.
std::optional<std::string> userDir(const std::string& configFolder, const std::string& home,
                                   const std::string& name) {
    std::ifstream in(configFolder + "/user-dirs.dirs");
    std::string line;
    std::optional<std::string> result;
    while (std::getline(in, line)) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        if (line.compare(start, name.size() + 1, name + "=") != 0) continue;
        std::string value = line.substr(start + name.size() + 1);
        if (value.size() < 2 || value.front() != '"') continue;
        const size_t close = value.find('"', 1);
        if (close == std::string::npos) continue;
        value = value.substr(1, close - 1);
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        else if (value.empty() || value[0] != '/')
            continue;
        // Later lines win, as when the shell sources the file.
        result = value;
    }
    return result;
}

int ensureFolder(const std::string& path, bool create) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return OKAY;
    if (!create) return REPORT_ERR();
    fs::create_directories(path, ec);
    if (ec) return REPORT_ERR_WHY(path + ": " + ec.message());
    if (!fs::is_directory(path, ec)) return REPORT_ERR_WHY(path + ": not a folder");
    return OKAY;
}

}  // namespace

int knownFolderHome(std::string& home) {
    if (auto h = absoluteEnv("HOME")) {
        home = *h;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/') {
        home = pw->pw_dir;
    } else {
        return REPORT_ERR();
    }
    stripTrailingSlashes(home);
    return OKAY;
}

int knownFolderFindCommonAppData(std::string& path, bool& found) {
    found = false;
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    const std::string list = dirs && *dirs ? dirs : "/usr/local/share/:/usr/share/";
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string candidate = list.substr(start, end - start);
        std::error_code ec;
        if (!candidate.empty() && candidate[0] == '/' && fs::is_directory(candidate, ec)) {
            stripTrailingSlashes(candidate);
            path = candidate;
            found = true;
            return OKAY;
        }
        start = end + 1;
    }
    return OKAY;
}

int knownFolderPath(knownFolder which, bool create, std::string& path) {
    std::string home;
    REPORT_CHECK(knownFolderHome(home));
    const std::string config = absoluteEnv("XDG_CONFIG_HOME").value_or(home + "/.config");
    std::string result;
    switch (which) {
        case knownFolder::Documents:
        case knownFolder::Music: {
            const bool docs = which == knownFolder::Documents;
            const std::string name = docs ? "XDG_DOCUMENTS_DIR" : "XDG_MUSIC_DIR";
            if (auto v = absoluteEnv(name.c_str()))
                result = *v;
            else
                result = userDir(config, home, name).value_or(home + (docs ? "/Documents" : "/Music"));
            break;
        }
        case knownFolder::LocalAppData:
            result = absoluteEnv("XDG_DATA_HOME").value_or(home + "/.local/share");
            break;
        case knownFolder::RoamingAppData:
            result = config;
            break;
        case knownFolder::CommonAppData: {
            bool found = false;
            REPORT_CHECK(knownFolderFindCommonAppData(path, found));
            if (!found) return REPORT_ERR_WHY("no folder of XDG_DATA_DIRS exists");
            return OKAY;
        }
        default:
            return REPORT_ERR();
    }
    stripTrailingSlashes(result);
    REPORT_CHECK(ensureFolder(result, create));
    path = std::move(result);
    return OKAY;
}
