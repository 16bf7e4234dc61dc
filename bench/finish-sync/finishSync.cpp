// finish-sync benchmark program.
//   finish <folder> <seconds>
//        writes <seconds> of 48 kHz stereo audio into the recording in
//        progress as the capture step does (10 ms pieces, not timed), then
//        finishes it as the record thread does: close (header, sync), rename
//        to the finished name, sync of the folder. Prints the finish's seconds.
// The script times coreutils' sync on a copy of the same size beside it.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "CsndDevicesWaveFile.h"
#include "fileIo.h"

int main(int argc, char** argv) {
    if (argc != 4 || std::string(argv[1]) != "finish") {
        std::fprintf(stderr, "usage: %s finish FOLDER SECONDS\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[2];
    const int seconds = std::stoi(argv[3]);
    const std::string temporary = folder + "/sdrtfn.tmp", finished = folder + "/1291648000_180000_1.tmp";
    const AudioFormat format = audioPcm16Format(2, 48000);
    CsndDevicesWaveFile file;
    if (file.open(temporary, &format, kWaveModeWrite) != kWaveSOk) return 1;
    std::vector<int16_t> piece(480 * 2);
    for (size_t i = 0; i < piece.size(); ++i) piece[i] = int16_t((i * 7919) & 0x3fff);
    for (int n = 0; n < seconds * 100; ++n) {
        uint32_t written = 0;
        if (file.write(uint32_t(piece.size() * 2), piece.data(), &written) != kWaveSOk) return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    if (file.close() != kWaveSOk) return 1;
    if (std::rename(temporary.c_str(), finished.c_str()) != 0) return 1;
    if (fileIoSyncFolder(folder) != OKAY) return 1;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%.6f\n", elapsed.count());
    return 0;
}
