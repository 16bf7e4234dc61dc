// The record thread: runs the capture step every 10 ms for as long as the
// engine lives, and when capture fails (device lost, cache file failure)
// rebuilds the engine on whatever output is now the default. While no output
// is there it retries about every 110 ms and gives up after the 21st fruitless
// attempt; only a re-initialisation that found an output resets that count,
// good capture steps in between do not.
#include <chrono>
#include <future>
#include <thread>

#include "report.h"
#include "sndDevicesDoRecording.h"
#include "sndDevicesEngine.h"
#include "threadPriority.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesRecordThread";

namespace {

// After a lost capture stream: the engine on the current default output, and a
// fresh capture stream started on it. found = false when there is no output.
int recover(sndDevicesContext& context, bool& found) {
    int count = 0, flag = 0;
    REPORT_CHECK(sndDevicesReInit(context, kSndEngineModeLoopback, count, flag));
    found = count >= 1;
    if (!found) return OKAY;
    REPORT_CHECK(sndDevicesInitialSetupCaptureDevice(context));
    REPORT_CHECK(sndDevicesFinalSetupCaptureDevice(context));
    // A stream that cannot start is lost again: the next capture step says so
    // and the thread comes back here.
    context.streams.captureAudioClient->start();
    return OKAY;
}

// Tells the arming thread, once, that this thread runs (or gave up).
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
    if (!context.streams.captureAudioClient || !context.streams.captureClient) return REPORT_ERR();
    AudioStream* capture = context.streams.captureAudioClient.get();
    REPORT_CHECK_WHY(capture->start(), capture->lastError());
    running.give();
    int fruitless = 0;
    for (;;) {
        int code = 0;
        REPORT_CHECK(sndDevicesDoRecording(context, code));
        if (code == kSndCodeStopRequested) return kSndCodeStopRequested;
        if (code != 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            bool found = false;
            REPORT_CHECK(recover(context, found));
            if (found)
                fruitless = 0;
            else if (++fruitless > kSndMaxFruitlessReInits)
                return kSndCodeGaveUp;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
    if (exitCode == NOT_OKAY) REPORT_ERR();
    record.recordArmed.store(0);
    record.recordIndicator.store(0);
    record.threadExitCode.store(exitCode);
    record.threadRunning.store(0);
}
