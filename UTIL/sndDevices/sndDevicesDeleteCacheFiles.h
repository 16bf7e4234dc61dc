// Deletion of one track's files from the cache folder: its audio file and its
// MP3 companion. A pre-encoding may still be reading the audio file; when a
// deletion fails the running pre-encodings are asked to stop and waited for
// (up to 1.1 s) before one more try.
#pragma once

#include <string>

struct sndDevicesContext;

constexpr int kSndDeleteCouldNotDelete = -10;      // a file stayed even after the wait
constexpr int kSndDeletePreEncodingRunning = -13;  // the pre-encoding did not stop in time

// Deletes "<cacheFolder>/<baseName>.tmp|wav" and ".dat|mp3" (by scramble key).
// result: 0 done, -13 a pre-encoding did not stop within the wait, -10 a file
// could not be deleted (may replace -13). Returns OKAY.
int sndDevicesDeleteCacheFiles(sndDevicesContext& context, const std::string& baseName, int& result);
