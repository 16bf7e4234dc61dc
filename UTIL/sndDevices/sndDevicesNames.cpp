// Builders of the cache folder's file names and the track-name generator
// (see sndDevicesNames.h).
#include "sndDevicesNames.h"

#include <cstdio>

#include "Mth.h"
#include "report.h"
#include "sndDevicesContext.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesNames";

const char* sndDevicesAudioExtension(uint16_t scrambleKey) { return scrambleKey != 0 ? "tmp" : "wav"; }

const char* sndDevicesCompanionExtension(uint16_t scrambleKey) { return scrambleKey != 0 ? "dat" : "mp3"; }

std::string sndDevicesCachePath(const std::string& folder, const std::string& baseName,
                                const char* extension) {
    std::string path;
    path.reserve(folder.size() + baseName.size() + 6);
    path.append(folder).append("/").append(baseName).append(".").append(extension);
    return path;
}

std::string sndDevicesTempPath(const std::string& folder, uint16_t scrambleKey) {
    return sndDevicesCachePath(folder, kSndTempBaseName, sndDevicesAudioExtension(scrambleKey));
}

std::string sndDevicesFinishedBaseName(uint32_t startTime, long lengthMs, long number) {
    // The start second is printed unsigned: it is the low 32 bits of the time,
    // which would turn negative in 2038 if printed as a signed 32-bit value.
    char text[64];
    std::snprintf(text, sizeof text, "%lu_%ld_%ld", static_cast<unsigned long>(startTime), lengthMs, number);
    return text;
}

std::string sndDevicesFinishedName(uint32_t startTime, long lengthMs, long number, uint16_t scrambleKey) {
    return sndDevicesFinishedBaseName(startTime, lengthMs, number) + "." +
           sndDevicesAudioExtension(scrambleKey);
}

std::string sndDevicesAudioPath(const std::string& folder, const std::string& baseName,
                                uint16_t scrambleKey) {
    return sndDevicesCachePath(folder, baseName, sndDevicesAudioExtension(scrambleKey));
}

std::string sndDevicesCompanionPath(const std::string& folder, const std::string& baseName,
                                    uint16_t scrambleKey) {
    return sndDevicesCachePath(folder, baseName, sndDevicesCompanionExtension(scrambleKey));
}

std::string sndDevicesPartialCompanionPath(const std::string& folder, const std::string& baseName) {
    return sndDevicesCachePath(folder, baseName, kSndPartialCompanionExtension);
}

int sndDevicesNextNameNumber(sndDevicesContext& context, long& number) {
    int32_t x = context.capture.nameSeed;
    REPORT_CHECK(MthRandomStep(x));
    context.capture.nameSeed = x;
    number = x;
    return OKAY;
}
