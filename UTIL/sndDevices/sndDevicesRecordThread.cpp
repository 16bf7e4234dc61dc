// The record thread: runs the capture step every 10 ms for as long as the
// engine lives, and rides out what a desktop throws at it.
//
// - Capture lost (the sound server went away, the output changed) or no
//   capture stream at all (the program started without a server): the engine
//   is rebuilt on whatever output is now the default. The first 21 attempts
//   come about every 110 ms, later ones every second, for as long as it takes;
//   noOutput tells the window meanwhile. The waits are on the engine's wake
//   condition, so the stop request ends them at once.
// - A cache-file failure (disk full, cache folder gone) is the capture step's
//   to handle: it keeps what reached the disk and tries again at a later sound.
//   The streams are fine, so nothing is rebuilt.
// - An internal error in the capture step has been reported; the streams are
//   rebuilt as after a lost capture, rather than ending recording for good.
//
// The thread ends only on the stop request.
#include <chrono>
#include <future>
#include <thread>

#include "report.h"
#include "sndDevicesDoRecording.h"
#include "sndDevicesEngine.h"
#include "threadPriority.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesRecordThread";

namespace {

constexpr int kStepMs = 10;
constexpr int kFastRetryMs = 100;  // before each of the first kSndMaxFruitlessReInits + 1 attempts
constexpr int kSlowRetryMs = 1000;

// After a lost capture stream: the engine on the current default output, and a
// fresh capture stream started on it. found = false when there is no output.
int recover(sndDevicesContext& context, bool& found) {
    int count = 0, flag = 0;
    REPORT_CHECK(sndDevicesReInit(context, kSndEngineModeLoopback, count, flag));
    found = count >= 1 && context.streams.captureAudioClient != nullptr;
    if (!found) return OKAY;
    REPORT_CHECK(sndDevicesInitialSetupCaptureDevice(context));
    REPORT_CHECK(sndDevicesFinalSetupCaptureDevice(context));
    // A stream that cannot start is lost again: the next capture step says so
    // and the thread comes back here.
    context.streams.captureAudioClient->start();
    return OKAY;
}

// Rebuilds the streams until capture works again or the stop request comes.
// false: stop requested.
bool reconnect(sndDevicesContext& context) {
    for (int attempt = 1;; ++attempt) {
        const int wait = attempt <= kSndMaxFruitlessReInits + 1 ? kFastRetryMs : kSlowRetryMs;
        if (!sndDevicesWaitUnlessStopped(context, wait)) return false;
        bool found = false;
        // A failure here has been reported; it counts as no output this time.
        if (recover(context, found) == OKAY && found) {
            context.record.noOutput.store(0);
            return true;
        }
        context.record.noOutput.store(1);
        // A short outage goes on in the same track; a long one ends it, so
        // that what was recorded becomes a track rather than waiting.
        if (attempt == kSndMaxFruitlessReInits + 1 && context.record.recording.load() != 0) {
            context.record.recording.store(0);
            context.record.recordIndicator.store(0);
            sndDevicesMarkRecordingClosed(context.record);
            if (sndDevicesFinishRecording(context) != OKAY) REPORT_ERR();
        }
    }
}

// Tells the arming thread, once, that this thread runs.
class RunningSignal {
  public:
    explicit RunningSignal(std::promise<void>& running) : running_(running) {}
    ~RunningSignal() { give(); }
    void give() {
        if (given_) return;
        given_ = true;
        running_.set_value();
    }

  private:
    std::promise<void>& running_;
    bool given_ = false;
};

int recordLoop(sndDevicesContext& context, RunningSignal& running) {
    // The thread alone replaces the capture objects from now on, so it reads
    // them without the playback mutex.
    bool capturing = context.streams.captureAudioClient && context.streams.captureClient &&
                     context.streams.captureAudioClient->start() == OKAY;
    running.give();
    for (;;) {
        if (!capturing) {
            context.record.noOutput.store(1);
            if (!reconnect(context)) return kSndCodeStopRequested;
            capturing = true;
        }
        int code = 0;
        if (sndDevicesDoRecording(context, code) != OKAY) {
            REPORT_ERR();
            code = kSndCodeDeviceLost;
        }
        if (code == kSndCodeStopRequested) return kSndCodeStopRequested;
        if (code == kSndCodeDeviceLost) capturing = false;
        if (!sndDevicesWaitUnlessStopped(context, kStepMs)) return kSndCodeStopRequested;
    }
}

}  // namespace

void sndDevicesRecordThread(sndDevicesContext& context, std::promise<void> running) {
    sndDevicesRecord& record = context.record;
    record.threadRunning.store(1);
    int exitCode = NOT_OKAY;
    {
        RunningSignal signal(running);
        threadPrioritySet(threadPriorityCurrentId(), kThreadPriorityTimeCritical);
        exitCode = recordLoop(context, signal);
    }
    record.recordArmed.store(0);
    record.recordIndicator.store(0);
    record.threadExitCode.store(exitCode);
    record.threadRunning.store(0);
}
