// mp3-vs-lame benchmark program.
//   prepare <plain.wav> <track.tmp>              writes the cache track (not timed)
//   encode <track.tmp> <out.mp3> <encoder.so>     one save-time encoder run; prints its seconds
// The script times the lame command-line encoder on the same audio beside it.
#include <chrono>
#include <cstdio>
#include <string>

#include "benchCacheTrack.h"
#include "report.h"
#include "sndDevicesMp3.h"

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "prepare" && argc == 4) return benchMakeCacheTrack(argv[2], argv[3]) ? 0 : 1;
    if (mode == "encode" && argc == 5) {
        sndDevicesContext context;
        sndDevicesMp3Job job = benchSaveJob(argv[2], argv[3], argv[4]);
        const auto start = std::chrono::steady_clock::now();
        const int result = sndDevicesWavToMP3(context, job);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (result != OKAY || job.status != 0) {
            std::fprintf(stderr, "encoder run failed: status %d\n", job.status);
            return 1;
        }
        std::printf("%.4f\n", elapsed.count());
        return 0;
    }
    std::fprintf(stderr, "usage: %s prepare WAV TRACK | encode TRACK MP3 LIBRARY\n", argv[0]);
    return 2;
}
