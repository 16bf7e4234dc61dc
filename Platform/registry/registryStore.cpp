// The file-tree settings store (see registryStore.h for the layout). Only
// this file knows how keys map to folders; the registry access module above
// it deals in root numbers and key paths.
#include "registryStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "programFolders.h"
#include "report.h"

static constexpr const char* kReportModule = "../../Platform/registry/registryStore";

namespace {

std::string envOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

int homeFolder(std::string& home) {
    if (const char* h = std::getenv("HOME"); h && *h) {
        home = h;
        return OKAY;
    }
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir) {
        home = pw->pw_dir;
        return OKAY;
    }
    return REPORT_ERR();
}

int configFolder(std::string& folder) {
    if (const char* c = std::getenv("XDG_CONFIG_HOME"); c && *c == '/') {
        folder = c;
        return OKAY;
    }
    std::string home;
    REPORT_CHECK(homeFolder(home));
    folder = home + "/.config";
    return OKAY;
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

int registryRootFolder(registryRoot root, std::string& folder) {
    if (root == registryRoot::LocalMachine) {
        folder = envOr("TOBREL_MACHINE_REGISTRY", programRunsFromBuildTree() ? TOBREL_MACHINE_ROOT_BUILD_TREE
                                                                             : TOBREL_MACHINE_ROOT_INSTALLED);
        return OKAY;
    }
    std::string config;
    REPORT_CHECK(configFolder(config));
    switch (root) {
        case registryRoot::CurrentUser:
            folder = config + "/Tobrel/registry";
            break;
        case registryRoot::ClassesRoot:
            folder = config + "/Tobrel/registry-classes";
            break;
        case registryRoot::Users:
            folder = config + "/Tobrel/registry-users";
            break;
        default:
            return REPORT_ERR();
    }
    return OKAY;
}

int registryKeyFolder(const std::string& rootFolder, std::string_view keyPath, std::string& folder) {
    if (rootFolder.empty() || keyPath.empty()) return REPORT_ERR();
    std::string out = rootFolder;
    size_t start = 0;
    while (start <= keyPath.size()) {
        size_t end = keyPath.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = keyPath.size();
        const std::string_view part = keyPath.substr(start, end - start);
        if (part.empty() || part == "." || part == ".." || part == kRegistryValueFile ||
            part.find('\0') != std::string_view::npos)
            return REPORT_ERR();
        out.append("/").append(part);
        start = end + 1;
    }
    folder = std::move(out);
    return OKAY;
}

int registryStoreWrite(const std::string& rootFolder, std::string_view keyPath, std::string_view text) {
    std::string folder;
    REPORT_CHECK(registryKeyFolder(rootFolder, keyPath, folder));
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return REPORT_ERR_WHY(folder + ": " + ec.message());

    static std::atomic<unsigned> counter{0};
    const std::string value = folder + "/" + kRegistryValueFile;
    const std::string temp = value + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return REPORT_ERR_WHY(temp + ": " + reportErrnoText(errno));
    // The first failure's errno is the reason given.
    int error = writeAll(fd, text) && ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), value.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return REPORT_ERR_WHY(value + ": " + reportErrnoText(error));
    }
    return OKAY;
}

int registryStoreRead(const std::string& rootFolder, std::string_view keyPath, size_t maxBytes, bool& found,
                      std::string& text, std::string& unreadable) {
    found = false;
    unreadable.clear();
    std::string folder;
    REPORT_CHECK(registryKeyFolder(rootFolder, keyPath, folder));
    const std::string value = folder + "/" + kRegistryValueFile;
    const int fd = ::open(value.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        // A missing key, or a key without a value, is "not found".
        if (errno != ENOENT && errno != ENOTDIR) unreadable = value + ": " + reportErrnoText(errno);
        return OKAY;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        unreadable = value + ": " + (S_ISDIR(st.st_mode) ? "a folder" : "not a regular file");
        ::close(fd);
        return OKAY;
    }
    std::string data;
    char buf[1024];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) unreadable = value + ": " + reportErrnoText(errno);
        if (n <= 0) break;
        data.append(buf, static_cast<size_t>(n));
        if (data.size() > maxBytes) {
            unreadable = value + ": longer than " + std::to_string(maxBytes) + " bytes";
            break;
        }
    }
    ::close(fd);
    if (!unreadable.empty()) return OKAY;
    // A stored terminator ends the text, as it does for the system registry.
    if (const size_t nul = data.find('\0'); nul != std::string::npos) data.erase(nul);
    text = std::move(data);
    found = true;
    return OKAY;
}
