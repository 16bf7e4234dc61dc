// Run-time loading of the MP3 encoder library (see sndDevicesEncoderLibrary.h),
// over the platform's shared-library loader.
#include "sndDevicesEncoderLibrary.h"

#include "report.h"
#include "sharedLibrary.h"

namespace {

template <typename Fn>
bool lookUp(void* handle, const char* symbol, Fn& out) {
    out = reinterpret_cast<Fn>(sharedLibrarySymbol(handle, symbol));
    return out != nullptr;
}

}  // namespace

int sndDevicesEncoderLibraryOpen(const std::string& name, void*& handle, std::string& why) {
    return sharedLibraryOpen(name, handle, why);
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
