// The engine's setters, called by the window's thread: the record switch
// (which starts the record thread on the first arming), the cache folder,
// the scramble key, the auto-segment switch, the MP3 settings of the
// pre-encodings, and the cut of a recording at a song change. The cache
// folder, the key and the MP3 settings are published together as a new
// settings snapshot, so the engine's threads never read one of them
// half-written.
#include <future>
#include <system_error>

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
        context.record.recordArmed.store(0);
        return OKAY;
    }
    // Until the record thread exists nobody else touches the capture state.
    const bool firstArming = !context.recordThread.joinable();
    if (firstArming) REPORT_CHECK(sndDevicesRecoverInterruptedRecording(context));

    std::unique_lock<std::recursive_timed_mutex> lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    if (!context.streams.captureAudioClient) {
        context.record.recordArmed.store(0);
        result = kSndCodeNoCaptureStream;
        return OKAY;
    }
    lock.unlock();  // the record thread re-initialises under it

    context.stopRequested.store(0);
    if (firstArming) {
        // Armed only once the thread runs and has started the capture stream.
        std::promise<void> running;
        std::future<void> started = running.get_future();
        try {
            context.recordThread = std::thread(sndDevicesRecordThread, std::ref(context), std::move(running));
        } catch (const std::system_error& e) {
            return REPORT_ERR_WHY(e.what());
        }
        started.wait();
    }
    context.record.recordArmed.store(1);
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    // Starting a stream that already runs is harmless; an error here is ignored.
    if (context.streams.captureAudioClient) context.streams.captureAudioClient->start();
    return OKAY;
}

int sndDevicesSetCacheFolder(sndDevicesContext& context, const std::string& folder) {
    std::string cacheFolder = folder;
    pstrStripTrailingSlash(cacheFolder);
    sndDevicesSettingsChange(context, [&](sndDevicesSettings& s) { s.cacheFolder = cacheFolder; });
    // Partial pre-encodings of an earlier run will never be completed.
    REPORT_CHECK(FileDeleteMatching(cacheFolder, kSndPartialCompanionExtension, context.trace));
    return OKAY;
}

int sndDevicesSetScrambleKey(sndDevicesContext& context, uint16_t key) {
    sndDevicesSettingsChange(context, [&](sndDevicesSettings& s) { s.scrambleKey = key; });
    return OKAY;
}

int sndDevicesSetAutoSegment(sndDevicesContext& context, int on) {
    context.record.autoSegment.store(on);
    return OKAY;
}

int sndDevicesSetMp3Settings(sndDevicesContext& context, int kbps, int mono, int deleteOld) {
    if (!sndDevicesIsMp3BitRate(kbps)) return REPORT_ERR();
    sndDevicesSettingsChange(context, [&](sndDevicesSettings& s) {
        s.mp3.bitRate = kbps;
        s.mp3.mono = mono;
    });
    const std::string cacheFolder = sndDevicesSettingsNow(context)->cacheFolder;
    if (deleteOld && !cacheFolder.empty()) {
        // Both kinds of companion: scrambled and plain.
        REPORT_CHECK(
            FileDeleteMatching(cacheFolder, sndDevicesCompanionExtension(kSndScrambleKey), context.trace));
        REPORT_CHECK(FileDeleteMatching(cacheFolder, sndDevicesCompanionExtension(0), context.trace));
    }
    return OKAY;
}

int sndDevicesCutRecording(sndDevicesContext& context, uint32_t serial, bool& cutting) {
    sndDevicesOpenRecording now;
    REPORT_CHECK(sndDevicesGetOpenRecording(context, now));
    cutting = now.keepable && serial != 0 && now.serial == serial;
    if (cutting) context.record.cutSerial.store(serial);
    return OKAY;
}
