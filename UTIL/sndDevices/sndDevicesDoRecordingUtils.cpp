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
    CsndDevicesWaveFile* file = context.capture.recordFile.get();
    if (!file || file->close() != kWaveSOk) return REPORT_ERR();
    REPORT_CHECK(sndDevicesFinishClosedRecording(context));
    return OKAY;
}

int sndDevicesFinishClosedRecording(sndDevicesContext& context) {
    sndDevicesCapture& capture = context.capture;
    const long lengthMs = static_cast<long>(context.record.recordDurationMs.load());
    if (lengthMs < capture.minimumLengthMs) {
        REPORT_CHECK(FileDeleteIfPresent(capture.tempPath, context.trace));
        return OKAY;
    }

    long number = 0;
    REPORT_CHECK(sndDevicesNextNameNumber(context, number));
    // The folder and the extension the file was created with, whatever the
    // settings are by now.
    std::string folder;
    if (!pstrFolderPart(capture.tempPath, folder)) return REPORT_ERR();
    const std::string extension = pstrExtension(capture.tempPath);
    const std::string baseName =
        sndDevicesFinishedBaseName(context.record.recordStartTime.load(), lengthMs, number);
    const std::string finalPath = sndDevicesCachePath(folder, baseName, extension.c_str());
    if (std::rename(capture.tempPath.c_str(), finalPath.c_str()) != 0) return REPORT_ERRNO();
    // Published only once the file carries its name, so a poller never sees a missing track.
    context.record.lastRecording.store(std::make_shared<const sndDevicesKeptRecording>(
        sndDevicesKeptRecording{baseName + "." + extension, context.record.recordSerial.load() >> 1}));
    REPORT_CHECK(sndDevicesStartPreEncoding(context, finalPath, folder + "/" + baseName));
    return OKAY;
}
