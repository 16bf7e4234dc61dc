// The plain WAV of a cache track that the iTunes export hands to iTunes:
// unscrambled, optionally mixed down to mono and raised to full scale by the
// same level rule as the MP3 encoder, written as an ordinary RIFF WAVE file of
// 16-bit PCM in the track's own sample rate.
#pragma once

#include <cstdint>
#include <string>

struct sndDevicesContext;

// Converts the cache track `baseName` (in the engine's cache folder, audio
// extension by `key`) into `outputPath`. status: 0; -4 when the track cannot
// be opened or the output created; -6 when reading fails; -8 when the track is
// not 16-bit PCM at 44100 or 48000 Hz with 1 or 2 channels. durationMs: the
// length written, in whole milliseconds. A failed conversion removes its
// output. NOT_OKAY (internal error) when writing fails.
int sndDevicesWavToiTunesWav(sndDevicesContext& context, bool mono, bool normalise, uint16_t key,
                             const std::string& baseName, const std::string& outputPath, int32_t& durationMs,
                             int& status);
