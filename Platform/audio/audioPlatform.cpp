// Format helpers shared by the audio platform implementations and doubles.
#include "audioPlatform.h"

AudioFormat audioFloatFormat(uint16_t channels, uint32_t rate) {
    AudioFormat f;
    f.formatTag = kWaveFormatIeeeFloat;
    f.channels = channels;
    f.sampleRate = rate;
    f.bitsPerSample = 32;
    f.blockAlign = static_cast<uint16_t>(channels * 4);
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
}

AudioFormat audioPcm16Format(uint16_t channels, uint32_t rate) {
    AudioFormat f;
    f.formatTag = kWaveFormatPcm;
    f.channels = channels;
    f.sampleRate = rate;
    f.bitsPerSample = 16;
    f.blockAlign = static_cast<uint16_t>(channels * 2);
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
}
