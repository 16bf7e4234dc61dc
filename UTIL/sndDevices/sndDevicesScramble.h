// Sample scrambling of the cache audio files. With a nonzero key each 16-bit
// sample v is stored as rotate-right-16(v XOR key, 7) (the same as rotating
// left by 9); readers restore v = rotate-left-16(s, 7) XOR key. Only data-chunk
// samples are scrambled, always as whole little-endian 16-bit words, so a read
// of an odd number of bytes leaves its last byte for the next read.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

inline uint16_t sndDevicesScramble(uint16_t v, uint16_t key) {
    const uint16_t x = static_cast<uint16_t>(v ^ key);
    return static_cast<uint16_t>((x >> 7) | (x << 9));
}

inline uint16_t sndDevicesUnscramble(uint16_t s, uint16_t key) {
    return static_cast<uint16_t>(((s << 7) | (s >> 9)) ^ key);
}

// Scrambles `count` samples in place; key 0 leaves them plain.
inline void sndDevicesScrambleSamples(int16_t* samples, size_t count, uint16_t key) {
    if (key == 0) return;
    for (size_t i = 0; i < count; ++i)
        samples[i] = static_cast<int16_t>(sndDevicesScramble(static_cast<uint16_t>(samples[i]), key));
}

// Unscrambles the whole 16-bit words of a byte buffer read from a cache file
// (little-endian); an odd last byte is left untouched. On a little-endian
// machine the words are taken as they lie, which the compiler turns into
// vector code: saving a track from its companion is mostly this loop.
inline void sndDevicesUnscrambleBytes(unsigned char* bytes, size_t byteCount, uint16_t key) {
    if (key == 0) return;
    const size_t words = byteCount / 2;
    if constexpr (std::endian::native == std::endian::little) {
        for (size_t i = 0; i < words; ++i) {
            uint16_t s;
            std::memcpy(&s, bytes + 2 * i, 2);
            s = sndDevicesUnscramble(s, key);
            std::memcpy(bytes + 2 * i, &s, 2);
        }
        return;
    }
    for (size_t i = 0; i < words; ++i) {
        const uint16_t s = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        const uint16_t v = sndDevicesUnscramble(s, key);
        bytes[2 * i] = static_cast<unsigned char>(v & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(v >> 8);
    }
}
