// Starting and finishing a recording, called by the capture step on the record
// thread: short recordings are deleted; kept ones are renamed to
// "<start>_<length ms>_<number>.<ext>", published through lastRecording (which
// the track list polls) and handed to MP3 pre-encoding. A full disk or a
// deleted cache folder costs at most the audio that could not be written:
// what reached the disk is kept, and recording goes on at a later sound.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>

#include "CsndDevicesWaveFile.h"
#include "File.h"
#include "fileIo.h"
#include "pstr.h"
#include "report.h"
#include "sndDevicesContext.h"
#include "sndDevicesDoRecording.h"
#include "sndDevicesEngine.h"
#include "sndDevicesNames.h"
#include "sndDevicesPreEncode.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesDoRecordingUtils";

namespace {

constexpr auto kCacheRetry = std::chrono::seconds(1);

// What reached the disk of a file whose flush failed, cut to whole frames and
// closed with its sizes, becomes the recording's length. false when even that
// failed: the file is let go unfinished and stays for recovery.
bool closeKeepingWritten(sndDevicesContext& context, CsndDevicesWaveFile& file) {
    const AudioFormat& cacheFormat = context.streams.cacheFormat;
    uint32_t kept = 0;
    if (file.closeKeepingWritten(&kept) != kWaveSOk) {
        file.abandon();
        context.capture.tempLeftOver = true;
        return false;
    }
    const uint32_t frameBytes = cacheFormat.blockAlign ? cacheFormat.blockAlign : 4;
    const uint32_t rate = cacheFormat.sampleRate ? cacheFormat.sampleRate : 44100;
    const long double ms = static_cast<long double>(kept / frameBytes) * 1000.0L / rate;
    context.record.recordDurationMs.store(static_cast<float>(ms));
    return true;
}

}  // namespace

void sndDevicesNoteCacheFault(sndDevicesContext& context, const std::string& why) {
    context.record.cacheFaultWhy.store(std::make_shared<const std::string>(why));
    context.record.cacheFault.store(1);
    context.capture.cacheRetryAt = std::chrono::steady_clock::now() + kCacheRetry;
}

int sndDevicesOpenRecordingFile(sndDevicesContext& context, bool& opened) {
    opened = false;
    sndDevicesCapture& capture = context.capture;
    std::string folder;
    if (!pstrFolderPart(capture.tempPath, folder)) return REPORT_ERR();
    bool present = false;
    REPORT_CHECK(FileCreateFolderPath(folder, nullptr, present));
    if (!present) {
        sndDevicesNoteCacheFault(context, folder + ": " + reportErrnoText(errno));
        return OKAY;
    }
    if (capture.tempLeftOver) {
        capture.tempLeftOver = false;
        const std::string path = capture.tempPath;
        REPORT_CHECK(sndDevicesRecoverInterruptedRecording(context));
        capture.tempPath = path;
        if (capture.tempLeftOver) return OKAY;  // still cannot be finished: noted, tried again later
    }
    if (capture.recordFile->open(capture.tempPath, &context.streams.cacheFormat, kWaveModeWrite) !=
        kWaveSOk) {
        const std::string why = capture.tempPath + ": " + reportErrnoText(errno);
        // Nothing was recorded: no recording stays open on a file that is not.
        capture.recordFile->close();
        std::remove(capture.tempPath.c_str());
        sndDevicesNoteCacheFault(context, why);
        return OKAY;
    }
    context.record.cacheFault.store(0);
    opened = true;
    return OKAY;
}

int sndDevicesFinishRecording(sndDevicesContext& context) {
    sndDevicesCapture& capture = context.capture;
    CsndDevicesWaveFile* file = capture.recordFile.get();
    if (!file || !file->isOpen()) return REPORT_ERR();
    // The cache folder (or the file) was deleted while the file was written:
    // its audio lives on only in the open handle, so it moves to a re-created folder.
    if (!FileExists(capture.tempPath)) {
        std::string folder;
        if (!pstrFolderPart(capture.tempPath, folder)) return REPORT_ERR();
        bool present = false;
        REPORT_CHECK(FileCreateFolderPath(folder, nullptr, present));
        if (!present || file->relocate(capture.tempPath) != kWaveSOk) {
            sndDevicesNoteCacheFault(context, capture.tempPath + ": " + reportErrnoText(errno));
            file->abandon();
            return OKAY;
        }
    }
    if (file->close() != kWaveSOk) {
        sndDevicesNoteCacheFault(context, capture.tempPath + ": " + reportErrnoText(errno));
        if (!closeKeepingWritten(context, *file)) return OKAY;
    }
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
    if (std::rename(capture.tempPath.c_str(), finalPath.c_str()) != 0) {
        // Kept under its temporary name, and made a track before the next recording.
        sndDevicesNoteCacheFault(context, finalPath + ": " + reportErrnoText(errno));
        capture.tempLeftOver = true;
        return OKAY;
    }
    // The new name on the disk too. Should that fail the track is still
    // there under its name for as long as the system runs; nothing to undo.
    fileIoSyncFolder(folder);
    // Published only once the file carries its name, so a poller never sees a missing track.
    context.record.lastRecording.store(std::make_shared<const sndDevicesKeptRecording>(
        sndDevicesKeptRecording{baseName + "." + extension, context.record.recordSerial.load() >> 1}));
    REPORT_CHECK(sndDevicesStartPreEncoding(context, finalPath, folder + "/" + baseName));
    return OKAY;
}
