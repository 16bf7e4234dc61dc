// Names of the files of the cache folder: the recording in progress
// ("sdrtfn" + audio extension), finished tracks ("%ld_%ld_%ld" = start second,
// length in ms, a number of the name generator), and each track's MP3
// companion and partial pre-encoding. The audio extension is "tmp" for
// scrambled caches (key set) and "wav" for plain ones; the companion's is
// "dat" or "mp3" alike. The base name of a finished track is its key in the
// cache database and the track list.
#pragma once

#include <cstdint>
#include <string>

struct sndDevicesContext;

// "tmp" / "wav" by scramble key.
const char* sndDevicesAudioExtension(uint16_t scrambleKey);
// "dat" / "mp3" by scramble key.
const char* sndDevicesCompanionExtension(uint16_t scrambleKey);
// Extension of a pre-encoding in progress.
constexpr const char* kSndPartialCompanionExtension = "dax";

// "folder/base.extension".
std::string sndDevicesCachePath(const std::string& folder, const std::string& baseName,
                                const char* extension);
// Full path of the recording in progress: "folder/sdrtfn.tmp" (or .wav).
std::string sndDevicesTempPath(const std::string& folder, uint16_t scrambleKey);
// "start_length_number" (start in whole seconds since 1970, length in whole ms).
std::string sndDevicesFinishedBaseName(uint32_t startTime, long lengthMs, long number);
// The base name with the audio extension, as kept in lastRecording.
std::string sndDevicesFinishedName(uint32_t startTime, long lengthMs, long number, uint16_t scrambleKey);
// Track files by base name.
std::string sndDevicesAudioPath(const std::string& folder, const std::string& baseName, uint16_t scrambleKey);
std::string sndDevicesCompanionPath(const std::string& folder, const std::string& baseName,
                                    uint16_t scrambleKey);
std::string sndDevicesPartialCompanionPath(const std::string& folder, const std::string& baseName);

// Draws the next number of the name generator (state context.capture.nameSeed,
// 286492 at engine start): x <- 41358 x mod 2147483647. NOT_OKAY (internal
// error) for a state outside 1..2147483646.
int sndDevicesNextNameNumber(sndDevicesContext& context, long& number);
