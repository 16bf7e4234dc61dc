// Shared libraries on Linux (see sharedLibrary.h): dlopen with every symbol
// resolved at once and kept local to the library.
#include "sharedLibrary.h"

#include <dlfcn.h>

#include "programFolders.h"
#include "report.h"

namespace {

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
    if (name.find('/') != std::string::npos) {
        handle = load(name, why);
        return handle != nullptr ? OKAY : NOT_OKAY;
    }
    // The reason kept is the last candidate's: the system's own search.
    for (const std::string& candidate : programLibraryCandidates(name)) {
        handle = load(candidate, why);
        if (handle != nullptr) return OKAY;
    }
    return NOT_OKAY;
}

void* sharedLibrarySymbol(void* handle, const char* name) {
    return handle != nullptr ? dlsym(handle, name) : nullptr;
}
