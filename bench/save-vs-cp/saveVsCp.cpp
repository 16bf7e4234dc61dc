// save-vs-cp benchmark program.
//   prepare <plain.wav> <cache folder> <base name> <encoder.so>
//        writes the cache track and its pre-encoded companion (not timed)
//   save <cache folder> <base name> <out.mp3>
//        one save of the track as a tagged MP3 from its companion; prints its seconds
// The script times cp of the same companion file beside it.
#include <chrono>
#include <cstdio>
#include <string>

#include "benchCacheTrack.h"
#include "report.h"
#include "sndDevicesMp3.h"
#include "sndDevicesNames.h"

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    sndDevicesContext context;
    sndDevicesSettingsChange(context, [](sndDevicesSettings& s) { s.scrambleKey = kSndScrambleKey; });
    if (mode == "prepare" && argc == 6) {
        const std::string folder = argv[3], base = argv[4];
        const std::string track = sndDevicesAudioPath(folder, base, kSndScrambleKey);
        if (!benchMakeCacheTrack(argv[2], track)) return 1;
        sndDevicesMp3Job job =
            benchSaveJob(track, sndDevicesCompanionPath(folder, base, kSndScrambleKey), argv[5]);
        job.scrambleOutput = 1;
        return sndDevicesWavToMP3(context, job) == OKAY && job.status == 0 ? 0 : 1;
    }
    if (mode == "save" && argc == 5) {
        sndDevicesSettingsChange(context, [&](sndDevicesSettings& s) { s.cacheFolder = argv[2]; });
        int status = 1;
        const auto start = std::chrono::steady_clock::now();
        const int result = sndDevicesManageFinalMP3Creation(
            context, "Benchmark Title", "Benchmark Artist", "Benchmark Album", "Rock",
            "saved by the benchmark", argv[3], argv[4], status);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (result != OKAY || status != 0) {
            std::fprintf(stderr, "save failed: status %d\n", status);
            return 1;
        }
        std::printf("%.6f\n", elapsed.count());
        return 0;
    }
    std::fprintf(stderr, "usage: %s prepare WAV FOLDER BASE LIBRARY | save FOLDER BASE MP3\n", argv[0]);
    return 2;
}
