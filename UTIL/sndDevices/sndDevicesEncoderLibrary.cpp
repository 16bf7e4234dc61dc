// Run-time loading of the MP3 encoder library. See sndDevicesEncoderLibrary.h.
//
// The program's own folder is tried first so that an installed copy of the
// program uses the encoder library shipped beside it, whatever else the
// system's search path holds.
#include "sndDevicesEncoderLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "report.h"

namespace {

// Folder of the running program, without a trailing "/"; empty when unknown.
std::string programFolder() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    std::string path(buffer, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return path.substr(0, slash);
}

template <typename Fn>
bool lookUp(void* handle, const char* symbol, Fn& out) {
    out = reinterpret_cast<Fn>(dlsym(handle, symbol));
    return out != nullptr;
}

}  // namespace

int sndDevicesEncoderLibraryOpen(const std::string& name, void*& handle) {
    handle = nullptr;
    if (name.empty()) return NOT_OKAY;
    if (name.find('/') == std::string::npos) {
        std::string folder = programFolder();
        if (!folder.empty()) handle = dlopen((folder + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (handle == nullptr) handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle != nullptr ? OKAY : NOT_OKAY;
}

int sndDevicesEncoderLibraryExports(void* handle, sndDevicesEncoderExports& exports) {
    exports = {};
    if (handle == nullptr) return NOT_OKAY;
    // Every lookup runs, so the caller sees all that are missing at once.
    bool all = lookUp(handle, "beInitStream", exports.beInitStream);
    all = lookUp(handle, "beEncodeChunk", exports.beEncodeChunk) && all;
    all = lookUp(handle, "beDeinitStream", exports.beDeinitStream) && all;
    all = lookUp(handle, "beCloseStream", exports.beCloseStream) && all;
    all = lookUp(handle, "beVersion", exports.beVersion) && all;
    all = lookUp(handle, "beWriteVBRHeader", exports.beWriteVBRHeader) && all;
    all = lookUp(handle, "beWriteInfoTag", exports.beWriteInfoTag) && all;
    return all ? OKAY : NOT_OKAY;
}
