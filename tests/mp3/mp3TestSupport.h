// Fixtures of the MP3 pipeline tests: cache audio files written byte by byte
// in the cache layout (56-byte header, optionally scrambled), test signals,
// decoding through ffmpeg, correlation, and a walk over MPEG frame headers.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sndDevicesScramble.h"
#include "testsupport.h"
#include "toolOutput.h"

namespace mp3test {

using Samples = std::vector<int16_t>;
using Bytes = std::vector<unsigned char>;

inline void put16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<unsigned char>(v & 0xFF));
    b.push_back(static_cast<unsigned char>(v >> 8));
}
inline void put32(Bytes& b, uint32_t v) {
    put16(b, static_cast<uint16_t>(v & 0xFFFF));
    put16(b, static_cast<uint16_t>(v >> 16));
}
inline void putTag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(tag[i]));
}

// A closed cache audio file: RIFF, fmt (16), fact (0), data; samples scrambled with `key`.
inline void writeCacheWav(const std::string& path, uint32_t rate, uint16_t channels, const Samples& samples,
                          uint16_t key) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    Bytes b;
    putTag(b, "RIFF");
    put32(b, 48 + dataBytes);
    putTag(b, "WAVE");
    putTag(b, "fmt ");
    put32(b, 16);
    put16(b, 1);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * channels * 2);
    put16(b, static_cast<uint16_t>(channels * 2));
    put16(b, 16);
    putTag(b, "fact");
    put32(b, 4);
    put32(b, 0);
    putTag(b, "data");
    put32(b, dataBytes);
    for (int16_t s : samples)
        put16(b, key ? sndDevicesScramble(static_cast<uint16_t>(s), key) : static_cast<uint16_t>(s));
    testsupport::writeBytes(path, b);
}

// A few seconds of two-tone music-like audio at the given peak (interleaved when stereo).
inline Samples tones(uint32_t rate, int channels, double seconds, double peak) {
    const size_t frames = static_cast<size_t>(rate * seconds);
    Samples s;
    s.reserve(frames * channels);
    const double pi = 3.14159265358979323846;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double envelope = 0.75 + 0.25 * std::sin(2 * pi * 1.5 * t);
        const double left = envelope * (0.6 * std::sin(2 * pi * 440 * t) + 0.4 * std::sin(2 * pi * 1250 * t));
        const double right = envelope * (0.6 * std::sin(2 * pi * 660 * t) + 0.4 * std::sin(2 * pi * 310 * t));
        s.push_back(static_cast<int16_t>(std::lround(peak * left)));
        if (channels == 2) s.push_back(static_cast<int16_t>(std::lround(peak * right)));
    }
    return s;
}

inline Samples fromBytes(const std::string& raw) {
    Samples s(raw.size() / 2);
    std::memcpy(s.data(), raw.data(), s.size() * 2);
    return s;
}

// Decodes an MP3 with ffmpeg to 16-bit samples at `rate` Hz and `channels`
// channels; `errors` receives what ffmpeg complained about (empty: clean).
inline Samples decode(const std::string& mp3, int rate, int channels, std::string* errors = nullptr) {
    const std::string errorFile = mp3 + ".decode-errors";
    Samples s = fromBytes(testsupport::toolOutput("ffmpeg -nostdin -v error -i " +
                                                  testsupport::shellQuoted(mp3) + " -f s16le -ac " +
                                                  std::to_string(channels) + " -ar " + std::to_string(rate) +
                                                  " - 2>" + testsupport::shellQuoted(errorFile)));
    if (errors) *errors = testsupport::readText(errorFile);
    std::remove(errorFile.c_str());
    return s;
}

// What ffmpeg complains about while decoding the whole file (empty: clean).
inline std::string decodeErrors(const std::string& mp3) {
    return testsupport::toolOutput("ffmpeg -nostdin -v error -i " + testsupport::shellQuoted(mp3) +
                                   " -f null - 2>&1");
}

// Best normalised correlation of decoded against reference over encoder delays
// up to maxLag frames, with the amplitude (RMS) ratio at that lag. A coarse
// pass over every 16th frame finds the delay, a full pass around it refines it.
struct Match {
    double correlation = 0;
    double amplitudeRatio = 0;
    int lag = 0;
};
inline Match matchAt(const Samples& reference, const Samples& decoded, int channels, int lag, size_t start,
                     size_t count, size_t step) {
    double xy = 0, xx = 0, yy = 0;
    for (size_t f = start; f < start + count; f += step) {
        for (int c = 0; c < channels; ++c) {
            const double x = reference[f * channels + c];
            const double y = decoded[(f + lag) * channels + c];
            xy += x * y;
            xx += x * x;
            yy += y * y;
        }
    }
    const double r = (xx > 0 && yy > 0) ? xy / std::sqrt(xx * yy) : 0;
    return {r, xx > 0 ? std::sqrt(yy / xx) : 0, lag};
}
inline Match bestMatch(const Samples& reference, const Samples& decoded, int channels, int maxLag = 3000) {
    const size_t frames = std::min(reference.size(), decoded.size()) / channels;
    const size_t start = 2000;
    if (frames < start + maxLag + 1000) return {};
    const size_t count = frames - start - maxLag - 100;
    Match best;
    for (int lag = 0; lag <= maxLag; ++lag) {
        Match m = matchAt(reference, decoded, channels, lag, start, count, 16);
        if (m.correlation > best.correlation) best = m;
    }
    const int coarse = best.lag;
    best = {};
    for (int lag = std::max(0, coarse - 16); lag <= std::min(maxLag, coarse + 16); ++lag) {
        Match m = matchAt(reference, decoded, channels, lag, start, count, 1);
        if (m.correlation > best.correlation) best = m;
    }
    return best;
}

// The MPEG audio frames behind an optional ID3v2 tag.
struct FrameWalk {
    size_t tagBytes = 0;
    int frames = 0;
    std::set<int> bitRates;      // kbit/s
    std::set<int> sampleRates;   // Hz
    std::set<int> channelModes;  // 0 stereo, 1 joint, 2 dual, 3 mono
    bool infoHeader = false;     // Xing/Info frame
    bool crc = false;
    bool original = true;
    bool endsOnFrame = false;  // the last frame ends at the end of the file (or one byte short)
};
inline FrameWalk walkFrames(const Bytes& b) {
    static const int kMpeg1Rates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const int kMpeg2Rates[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    static const int kSampleRates[] = {44100, 48000, 32000, 0};
    FrameWalk w;
    size_t pos = 0;
    if (b.size() >= 10 && b[0] == 'I' && b[1] == 'D' && b[2] == '3')
        pos = w.tagBytes = 10 + ((b[6] << 21) | (b[7] << 14) | (b[8] << 7) | b[9]);
    while (pos + 4 <= b.size()) {
        if (b[pos] != 0xFF || (b[pos + 1] & 0xE0) != 0xE0) return w;
        const int version = (b[pos + 1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
        const int layer = (b[pos + 1] >> 1) & 3;
        if (layer != 1 || version == 1) return w;
        const int brIndex = b[pos + 2] >> 4, srIndex = (b[pos + 2] >> 2) & 3, padding = (b[pos + 2] >> 1) & 1;
        const int kbps = version == 3 ? kMpeg1Rates[brIndex] : kMpeg2Rates[brIndex];
        int rate = kSampleRates[srIndex];
        if (version == 2) rate /= 2;
        if (version == 0) rate /= 4;
        if (kbps == 0 || rate == 0) return w;
        w.crc = w.crc || (b[pos + 1] & 1) == 0;
        w.original = w.original && (b[pos + 3] & 0x04) != 0;
        const size_t length = (version == 3 ? 144 : 72) * kbps * 1000 / rate + padding;
        if (w.frames == 0) {
            const std::string first(b.begin() + pos, b.begin() + std::min(b.size(), pos + length));
            w.infoHeader = first.find("Xing") != std::string::npos || first.find("Info") != std::string::npos;
        }
        w.bitRates.insert(kbps);
        w.sampleRates.insert(rate);
        w.channelModes.insert(b[pos + 3] >> 6);
        ++w.frames;
        if (pos + length >= b.size()) {
            w.endsOnFrame = pos + length - b.size() <= 1;
            return w;
        }
        pos += length;
    }
    w.endsOnFrame = pos == b.size();
    return w;
}

}  // namespace mp3test
