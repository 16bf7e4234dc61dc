// Construction and teardown of the engine record. The record owns its two
// cache-file objects (the recording writer and the playback reader) from the
// start, so the threads never see them absent. Teardown stops the engine's
// threads before the fields they use go away: it asks them to stop, joins the
// record and playback threads, and lets running pre-encodings (which hold a
// reference to the cancel flag) finish for a few seconds at most.
#include "sndDevicesContext.h"

#include <chrono>

#include "CsndDevicesWaveFile.h"

sndDevicesContext::sndDevicesContext()
    : recordFile(std::make_unique<CsndDevicesWaveFile>()),
      playbackReader(std::make_unique<CsndDevicesWaveFile>()) {}

sndDevicesContext::~sndDevicesContext() {
    stopRequested.store(1);
    if (recordThread.joinable()) recordThread.join();
    if (playbackThread.joinable()) playbackThread.join();
    if (preEncodingRunning.load() > 0) {
        encoderCancel.store(1);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (preEncodingRunning.load() > 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
