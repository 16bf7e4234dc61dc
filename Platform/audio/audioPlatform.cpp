// Format helpers shared by the audio platform implementations and doubles.
#include "audioPlatform.h"

namespace {

AudioFormat interleavedFormat(uint16_t tag, uint16_t bits, uint16_t channels, uint32_t rate) {
    AudioFormat f;
    f.formatTag = tag;
    f.channels = channels;
    f.sampleRate = rate;
    f.bitsPerSample = bits;
    f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
}

}  // namespace

AudioFormat audioFloatFormat(uint16_t channels, uint32_t rate) {
    return interleavedFormat(kWaveFormatIeeeFloat, 32, channels, rate);
}

AudioFormat audioPcm16Format(uint16_t channels, uint32_t rate) {
    return interleavedFormat(kWaveFormatPcm, 16, channels, rate);
}
