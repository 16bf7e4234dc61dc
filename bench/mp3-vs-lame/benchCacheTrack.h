// Shared by the MP3 benchmarks: turns a plain 16-bit WAV into a cache track
// the way the recorder keeps one (cache header layout, samples scrambled with
// the application's key), so the pipeline is measured on its real input.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "CsndDevicesWaveFile.h"
#include "sndDevicesContext.h"
#include "sndDevicesScramble.h"

inline bool benchMakeCacheTrack(const std::string& wavPath, const std::string& cachePath) {
    CsndDevicesWaveFile in, out;
    if (in.open(wavPath, nullptr, kWaveModeRead) != kWaveSOk || in.format() == nullptr) return false;
    const AudioFormat format = *in.format();
    if (out.open(cachePath, &format, kWaveModeWrite) != kWaveSOk) return false;
    std::vector<int16_t> block(65536);
    for (;;) {
        uint32_t got = 0;
        if (in.read(block.data(), static_cast<uint32_t>(block.size() * 2), &got) != kWaveSOk) return false;
        if (got == 0) break;
        sndDevicesScrambleSamples(block.data(), got / 2, kSndScrambleKey);
        uint32_t written = 0;
        if (out.write(got, block.data(), &written) != kWaveSOk || written != got) return false;
    }
    return out.close() == kWaveSOk;
}

// The job of a save-time encode with the recorder's defaults: 256 kbit/s
// joint stereo, preset 2, normalised, scrambled source.
inline sndDevicesMp3Job benchSaveJob(const std::string& source, const std::string& mp3,
                                     const std::string& library) {
    sndDevicesMp3Job job;
    job.bitRate = 256;
    job.mono = 0;
    job.preset = 2;
    job.normalise = 1;
    job.key = kSndScrambleKey;
    job.scrambleOutput = 0;
    job.encoderLibrary = library;
    job.sourcePath = source;
    job.mp3Path = mp3;
    job.threadPriority = 0;
    return job;
}
