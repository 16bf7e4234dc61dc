// Loading the MP3 encoder library (liblame_enc.so, LAME's DLL interface) at
// run time and finding its seven exports.
//
// The library is looked for by name every time an encoder run starts, so that
// a missing library or export surfaces as the run's status rather than as a
// failure to start the program; sndDevicesInit uses the same loader to check
// early that the library is there. A loaded library is never unloaded.
#pragma once

#include <string>

#include "lameEncInterface.h"

// The exports an encoder run looks up; all seven must be present.
struct sndDevicesEncoderExports {
    BEINITSTREAM beInitStream = nullptr;
    BEENCODECHUNK beEncodeChunk = nullptr;
    BEDEINITSTREAM beDeinitStream = nullptr;
    BECLOSESTREAM beCloseStream = nullptr;
    BEVERSION beVersion = nullptr;
    BEWRITEVBRHEADER beWriteVBRHeader = nullptr;
    BEWRITEINFOTAG beWriteInfoTag = nullptr;
};

// Loads the library `name`: a name holding a "/" is used as a path; a plain
// name is looked for beside the running program, then in the installation's
// private library folder, then by the system's normal library search. OKAY
// with the handle, or NOT_OKAY with the
// system's reason in `why` (no report: a missing library is an outcome the
// caller turns into a status).
int sndDevicesEncoderLibraryOpen(const std::string& name, void*& handle, std::string& why);

// Finds the seven exports in a loaded library. OKAY when all are present;
// NOT_OKAY (no report) when any is missing, with the missing ones left null.
int sndDevicesEncoderLibraryExports(void* handle, sndDevicesEncoderExports& exports);
