// The engine record's settings snapshot and the joining of the engine's
// threads. Teardown stops every thread before the fields it uses go away: it
// asks them to stop, joins the record and playback threads, then cancels the
// pre-encoding runs and joins them.
#include "sndDevicesContext.h"

sndDevicesContext::~sndDevicesContext() { sndDevicesJoinThreads(*this); }

std::shared_ptr<const sndDevicesSettings> sndDevicesSettingsNow(const sndDevicesContext& context) {
    return context.settings.load();
}

bool sndDevicesWaitUnlessStopped(sndDevicesContext& context, int ms) {
    std::unique_lock lock(context.wakeMutex);
    return !context.wake.wait_for(lock, std::chrono::milliseconds(ms),
                                  [&] { return context.stopRequested.load() != 0; });
}

void sndDevicesJoinThreads(sndDevicesContext& context) {
    {
        // Under the mutex, so a waiter cannot miss it between its check and its wait.
        std::lock_guard lock(context.wakeMutex);
        context.stopRequested.store(1);
    }
    context.wake.notify_all();
    // The record thread first: it is the one that starts pre-encodings.
    if (context.recordThread.joinable()) context.recordThread.join();
    if (context.playbackThread.joinable()) context.playbackThread.join();

    sndDevicesPreEncoding& pre = context.preEncoding;
    std::list<std::shared_ptr<sndDevicesPreEncodingRun>> runs;
    {
        std::lock_guard lock(pre.mutex);
        runs.swap(pre.runs);
    }
    if (runs.empty()) return;
    pre.cancel.store(1);
    for (const auto& run : runs)
        if (run->thread.joinable()) run->thread.join();
    pre.cancel.store(0);
}
