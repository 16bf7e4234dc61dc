// The engine's setters, called by the window's thread: the record switch
// (which starts the record thread on the first arming), the cache folder,
// the scramble key, the auto-segment switch, the MP3 settings of the
// pre-encodings, and the cut of a recording at a song change.
#include <chrono>
#include <system_error>
#include <thread>

#include "File.h"
#include "pstr.h"
#include "report.h"
#include "sndDevicesEngine.h"
#include "sndDevicesNames.h"
#include "sndDevicesPlay.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesSet";

int sndDevicesSetRecordState(sndDevicesContext& context, int state, int& result) {
    result = 0;
    if (state != kSndRecordArm) {
        // The capture step finishes an open recording at its next call.
        context.recordArmed.store(0);
        return OKAY;
    }
    // Until the record thread exists nobody else writes the cache folder.
    const bool firstArming = !context.recordThread.joinable();
    if (firstArming) REPORT_CHECK(sndDevicesRecoverInterruptedRecording(context));

    std::unique_lock<std::recursive_timed_mutex> lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    if (!context.captureAudioClient) {
        context.recordArmed.store(0);
        result = kSndCodeNoCaptureStream;
        return OKAY;
    }
    lock.unlock();  // the record thread re-initialises under it

    context.stopRequested.store(0);
    if (firstArming) {
        try {
            context.recordThread = std::thread(sndDevicesRecordThread, std::ref(context));
        } catch (const std::system_error&) {
            return REPORT_ERR();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    context.recordArmed.store(1);
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    // Starting a stream that already runs is harmless; an error here is ignored.
    if (context.captureAudioClient) context.captureAudioClient->start();
    return OKAY;
}

int sndDevicesSetCacheFolder(sndDevicesContext& context, const std::string& folder) {
    context.cacheFolder = folder;
    pstrStripTrailingSlash(context.cacheFolder);
    // Partial pre-encodings of an earlier run will never be completed.
    REPORT_CHECK(FileDeleteMatching(context.cacheFolder, kSndPartialCompanionExtension, context.trace));
    return OKAY;
}

int sndDevicesSetScrambleKey(sndDevicesContext& context, uint16_t key) {
    context.scrambleKey.store(key);
    return OKAY;
}

int sndDevicesSetAutoSegment(sndDevicesContext& context, int on) {
    context.autoSegment.store(on);
    return OKAY;
}

int sndDevicesSetMp3Settings(sndDevicesContext& context, int kbps, int mono, int deleteOld) {
    switch (kbps) {
        case 64:
        case 96:
        case 128:
        case 192:
        case 256:
        case 320:
            break;
        default:
            return REPORT_ERR();
    }
    context.mp3BitRate = kbps;
    context.mp3Mono = mono;
    if (deleteOld && !context.cacheFolder.empty()) {
        REPORT_CHECK(FileDeleteMatching(context.cacheFolder, "dat", context.trace));
        REPORT_CHECK(FileDeleteMatching(context.cacheFolder, "mp3", context.trace));
    }
    return OKAY;
}

int sndDevicesCutRecording(sndDevicesContext& context, uint32_t serial, bool& cutting) {
    sndDevicesOpenRecording now;
    REPORT_CHECK(sndDevicesGetOpenRecording(context, now));
    cutting = now.keepable && serial != 0 && now.serial == serial;
    if (cutting) context.cutSerial.store(serial);
    return OKAY;
}
