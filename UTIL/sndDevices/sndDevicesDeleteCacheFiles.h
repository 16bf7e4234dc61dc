// Deletion of one track's files from the cache folder: its audio file and its
// MP3 companion. A pre-encoding may still be reading the audio file; when a
// deletion fails the running pre-encodings are asked to stop and waited for
// (up to 1.1 s) before one more try.
//
// A deletion the user may still undo holds the files instead: they move into
// the holding place, a folder of the cache folder that no listing of the
// cache folder looks into (a listing takes the folder's own files only, so
// neither the start-up's reconciliation nor the rebuild of a lost cache.db
// takes a held file for a track). From there they go back, or are deleted.
#pragma once

#include <string>

struct sndDevicesContext;

constexpr int kSndDeleteCouldNotDelete = -10;      // a file stayed even after the wait
constexpr int kSndDeletePreEncodingRunning = -13;  // the pre-encoding did not stop in time
constexpr int kSndRestoreNameTaken = -14;          // a file of the track's name is back in the cache folder

// The holding place's name inside the cache folder.
inline constexpr const char* kSndHeldFolderName = "Deleted";

// Deletes "<cacheFolder>/<baseName>.tmp|wav" and ".dat|mp3" (by scramble key).
// result: 0 done, -13 a pre-encoding did not stop within the wait, -10 a file
// could not be deleted (may replace -13). Returns OKAY.
int sndDevicesDeleteCacheFiles(sndDevicesContext& context, const std::string& baseName, int& result);

// The holding place of the cache folder in force.
std::string sndDevicesHeldFolder(const sndDevicesContext& context);

// Moves the track's audio file and companion (whichever exist) into the
// holding place, made when missing. result: 0 done, -10 when the holding
// place cannot be used (not a folder of its own: a symbolic link is refused)
// or a file could not be moved; then nothing stays moved. Returns OKAY.
int sndDevicesHoldCacheFiles(sndDevicesContext& context, const std::string& baseName, int& result);
// Moves them back into the cache folder. result: 0 done, -14 when a file of
// the same name is in the cache folder (nothing is replaced; nothing moves),
// -10 when a move failed. Returns OKAY.
int sndDevicesRestoreHeldFiles(sndDevicesContext& context, const std::string& baseName, int& result);
// Deletes the cache files of every kind (audio, companion, scrambled or not)
// in the holding place, then the holding place when nothing else is left in
// it. Nothing held is OKAY; a file that stays is traced and left for the next
// time. Returns OKAY.
int sndDevicesEmptyHeldFiles(sndDevicesContext& context);
