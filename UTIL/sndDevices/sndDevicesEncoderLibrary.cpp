// Run-time loading of the MP3 encoder library. See sndDevicesEncoderLibrary.h.
//
// The program's own folders are tried first so that the program uses the
// encoder library built or installed with it, whatever else the system's
// search path holds.
#include "sndDevicesEncoderLibrary.h"

#include <dlfcn.h>

#include "programFolders.h"
#include "report.h"

namespace {

template <typename Fn>
bool lookUp(void* handle, const char* symbol, Fn& out) {
    out = reinterpret_cast<Fn>(dlsym(handle, symbol));
    return out != nullptr;
}

}  // namespace

int sndDevicesEncoderLibraryOpen(const std::string& name, void*& handle) {
    handle = nullptr;
    if (name.empty()) return NOT_OKAY;
    if (name.find('/') != std::string::npos) {
        handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
        return handle != nullptr ? OKAY : NOT_OKAY;
    }
    for (const std::string& candidate : programLibraryCandidates(name)) {
        handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle != nullptr) return OKAY;
    }
    return NOT_OKAY;
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
