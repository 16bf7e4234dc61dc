// Shared libraries on Linux (see sharedLibrary.h): dlopen with every symbol
// resolved at once and kept local to the library.
#include "sharedLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "report.h"

namespace {

// Folder of the running program, without a trailing "/"; empty when unknown.
std::string programFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    const std::string path(buffer, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return path.substr(0, slash);
}

void* load(const std::string& path, std::string& why) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        why = error ? error : path + ": cannot be loaded";
    }
    return handle;
}

}  // namespace

int sharedLibraryOpen(const std::string& name, void*& handle, std::string& why) {
    handle = nullptr;
    why.clear();
    if (name.empty()) {
        why = "no library name";
        return NOT_OKAY;
    }
    if (name.find('/') == std::string::npos) {
        const std::string folder = programFolder();
        if (!folder.empty()) handle = load(folder + "/" + name, why);
    }
    if (handle == nullptr) handle = load(name, why);
    return handle != nullptr ? OKAY : NOT_OKAY;
}

void* sharedLibrarySymbol(void* handle, const char* name) {
    return handle != nullptr ? dlsym(handle, name) : nullptr;
}
