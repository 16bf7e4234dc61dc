// The level rule shared by everything that writes a track out (the MP3
// encoder, the plain WAV for iTunes): a peak scan over what will be written
// (unscrambled, mixed down to mono when asked), and the gain that raises that
// peak to full scale, never more than 20 times and only for a peak from 1 to
// 32699 (silence and nearly full-scale tracks are written as they are).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class CsndDevicesWaveFile;

// The peak scan reads this many bytes at a time.
constexpr uint32_t kSndPeakScanBytes = 8192;

// The 16-bit little-endian sample at `index` of a byte buffer.
inline int16_t sndDevicesSampleAt(const unsigned char* bytes, size_t index) {
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8)));
}

// Reads `reader` from where it stands to the end and finds the peak of
// |(L + R) / 2| (mixDown) or |s|. Returns an encoder status: 0, -6 for a read
// failure, -12 when `cancel` (may be null) is set. The reader is left at the end.
int sndDevicesScanPeak(CsndDevicesWaveFile& reader, uint16_t key, bool mixDown,
                       const std::atomic<int>* cancel, int32_t& peak);

// The gain for a peak; false when the track is to be written as it is.
bool sndDevicesNormaliseGain(int32_t peak, double& gain);

// A sample raised by the gain, truncated toward zero and kept in 16 bits.
int16_t sndDevicesApplyGain(int16_t value, double gain);
