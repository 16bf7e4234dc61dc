// Peak scan and gain of the level rule (see sndDevicesNormalise.h).
#include "sndDevicesNormalise.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "CsndDevicesWaveFile.h"
#include "sndDevicesMp3.h"
#include "sndDevicesScramble.h"

namespace {

constexpr int32_t kMaxGainPeak = 32699;
constexpr double kMaxGain = 20.0;

}  // namespace

int sndDevicesScanPeak(CsndDevicesWaveFile& reader, uint16_t key, bool mixDown,
                       const std::atomic<int>* cancel, int32_t& peak) {
    std::vector<unsigned char> buffer(kSndPeakScanBytes);
    peak = 0;
    for (;;) {
        if (cancel != nullptr && cancel->load() != 0) return kMp3StatusCancelled;
        uint32_t got = 0;
        if (reader.read(buffer.data(), kSndPeakScanBytes, &got) != kWaveSOk) return kMp3StatusReadFailed;
        if (got == 0) return kMp3StatusOk;
        sndDevicesUnscrambleBytes(buffer.data(), got, key);
        const size_t samples = got / 2;
        if (mixDown) {
            for (size_t i = 0; i + 1 < samples; i += 2) {
                const int32_t m =
                    (sndDevicesSampleAt(buffer.data(), i) + sndDevicesSampleAt(buffer.data(), i + 1)) / 2;
                peak = std::max(peak, std::abs(m));
            }
        } else {
            for (size_t i = 0; i < samples; ++i)
                peak = std::max(peak, std::abs(int32_t{sndDevicesSampleAt(buffer.data(), i)}));
        }
    }
}

bool sndDevicesNormaliseGain(int32_t peak, double& gain) {
    gain = 1.0;
    if (peak < 1 || peak > kMaxGainPeak) return false;
    gain = std::min(32767.0 / peak, kMaxGain);
    return true;
}

int16_t sndDevicesApplyGain(int16_t value, double gain) {
    const double v = std::trunc(value * gain);
    return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
}
