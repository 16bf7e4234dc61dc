// Finishing a recording, called by the capture step on the record thread:
// short recordings are deleted; kept ones are renamed to
// "<start>_<length ms>_<number>.<ext>", published through lastRecording (which
// the track list polls) and handed to MP3 pre-encoding.
#include <cstdio>
#include <string>

#include "CsndDevicesWaveFile.h"
#include "File.h"
#include "pstr.h"
#include "report.h"
#include "sndDevicesContext.h"
#include "sndDevicesDoRecording.h"
#include "sndDevicesNames.h"
#include "sndDevicesPreEncode.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesDoRecordingUtils";

int sndDevicesFinishRecording(sndDevicesContext& context) {
    if (!context.recordFile || context.recordFile->close() != kWaveSOk) return REPORT_ERR();
    REPORT_CHECK(sndDevicesFinishClosedRecording(context));
    return OKAY;
}

int sndDevicesFinishClosedRecording(sndDevicesContext& context) {
    const long lengthMs = static_cast<long>(context.recordDurationMs.load());
    if (lengthMs < context.minimumLengthMs) {
        REPORT_CHECK(FileDeleteIfPresent(context.tempPath, context.trace));
        return OKAY;
    }

    long number = 0;
    REPORT_CHECK(sndDevicesNextNameNumber(context, number));
    // The extension the file was created with, whatever the key is by now.
    const std::string extension = pstrExtension(context.tempPath);
    const std::string baseName = sndDevicesFinishedBaseName(context.recordStartTime.load(), lengthMs, number);
    const std::string name = baseName + "." + extension;
    const std::string finalPath = context.cacheFolder + "/" + name;
    const std::string outputBasePath = context.cacheFolder + "/" + baseName;
    if (std::rename(context.tempPath.c_str(), finalPath.c_str()) != 0) return REPORT_ERR();
    // Published only once the file carries its name, so a poller never sees a missing track.
    context.lastRecording.store(std::make_shared<const sndDevicesKeptRecording>(
        sndDevicesKeptRecording{name, context.recordSerial.load() >> 1}));
    REPORT_CHECK(sndDevicesStartPreEncoding(context, finalPath, outputBasePath));
    return OKAY;
}
