// engine_record: runs the audio engine on the sound server the environment
// names (PULSE_SERVER), armed, recording into a cache folder, for a number of
// seconds (0: until killed), then shuts it down and prints the process's CPU
// time. The engine-vs-parec benchmark compares that CPU time with parec's on
// the same monitor, and the crash-recovery test kills it mid-recording.
//
// usage: engine_record FOLDER SECONDS [KEY [ENCODER_LIBRARY]]
// Prints "armed" once recording is armed, and at the end
// "cpu_seconds=X tracks=N": the CPU time up to the end of the run (before the
// last recording is finished and pre-encoded) and the recordings kept.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "pulseDevices.h"
#include "sndDevicesContext.h"
#include "sndDevicesEngine.h"

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER SECONDS [KEY [ENCODER_LIBRARY]]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const int seconds = std::atoi(argv[2]);
    const auto key = static_cast<uint16_t>(argc > 3 ? std::atoi(argv[3]) : kSndScrambleKey);

    std::unique_ptr<AudioDevices> devices = pulseDevicesCreate("Tobrel engine_record");
    auto context = std::make_unique<sndDevicesContext>();
    context->devices = devices.get();
    if (argc > 4) context->encoderLibrary = argv[4];
    int result = 0;
    if (sndDevicesInit(*context, nullptr, kSndEngineModeLoopback, 0) != OKAY ||
        sndDevicesSetCacheFolder(*context, folder) != OKAY ||
        sndDevicesSetScrambleKey(*context, key) != OKAY ||
        sndDevicesSetRecordState(*context, kSndRecordArm, result) != OKAY || result != 0) {
        std::fprintf(stderr, "engine_record: the engine did not come up (result %d)\n", result);
        return 1;
    }
    std::printf("armed\n");
    std::fflush(stdout);

    int tracks = 0;
    std::string seen;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (seconds == 0 || std::chrono::steady_clock::now() < end) {
        // Looks once a second: this program's own wakeups are not the engine's cost.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::string name;
        sndDevicesGetLastRecordingName(*context, name);
        if (name != seen) {
            seen = name;
            ++tracks;
        }
    }
    // Measured before the last recording is finished: its pre-encoding is
    // not part of recording.
    const double cpu = cpuSeconds();
    sndDevicesSetRecordState(*context, kSndRecordDisarm, result);
    sndDevicesShutdown(*context);
    context.reset();
    std::printf("cpu_seconds=%.4f tracks=%d\n", cpu, tracks);
    return 0;
}
