// The MP3 pipeline: turning a cache track into an MP3 file.
//
//   sndDevicesWavToMP3                  one encoder run (cache audio -> MP3), synchronous
//   sndDevicesWavToMP3Thread            a pre-encoding run on its own thread, at low priority,
//                                       into the track's companion in the cache folder
//   sndDevicesManageFinalMP3Creation    the save-time decision: copy the pre-encoded
//                                       companion (waiting for one in progress) or encode
//   sndDevicesPreEncodedMp3ToFinalMp3   tag + unscrambled companion -> final MP3
//
// The encoder itself is the run-time loaded library of sndDevicesEncoderLibrary.h.
// Outcomes a user can cause come back as a status (below); NOT_OKAY means an
// internal error and has been reported.
//
// A save-time MP3 is written into a hidden temporary file beside the target and
// renamed over the target only once complete, so a failed save never leaves a
// half-written MP3 and never damages a file the user already had.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sndDevicesContext.h"

// Statuses of an encoder run (job.status).
constexpr int kMp3StatusOk = 0;
constexpr int kMp3StatusOpenSourceFailed = -4;
constexpr int kMp3StatusCreateFailed = -5;
constexpr int kMp3StatusReadFailed = -6;
constexpr int kMp3StatusWriteFailed = -7;
constexpr int kMp3StatusUnsupportedSource = -8;
constexpr int kMp3StatusEncoderFailed = -9;
constexpr int kMp3StatusLibraryMissing = -11;
constexpr int kMp3StatusCancelled = -12;

// At most this many pre-encodings run at once; a track finishing while they
// run is not pre-encoded (it is encoded when saved).
constexpr int kMp3MaxPreEncodings = 4;
// Longest save-time wait for a pre-encoding of the track in progress.
constexpr int kMp3PreEncodingWaitMs = 120000;
// Duration cap of a run without a limit of its own: 8 hours of audio.
constexpr int32_t kMp3DefaultDurationCapMs = 28800000;

// Fills a job with the engine's encoder settings (bit rate, mono, preset,
// normalise, limit and its length), its scramble key and library name.
void sndDevicesMp3JobFromEngine(const sndDevicesContext& context, sndDevicesMp3Job& job);

// Runs one encoder run on the calling thread; the outcome is job.status.
// NOT_OKAY only for a bit rate outside 64, 96, 128, 192, 256, 320 or a failure
// of the tag writer.
int sndDevicesWavToMP3(sndDevicesContext& context, sndDevicesMp3Job& job);

// Body of a pre-encoding thread: sets its priority (job.threadPriority), tells
// `run` (when given) its thread id, and encodes. job.mp3Path holds the track's
// base path without extension; the run writes "<base>.dax" and renames it to
// "<base>.dat" (key set) or "<base>.mp3" when complete. Counting the run in and
// off is sndDevicesStartPreEncoding's.
void sndDevicesWavToMP3Thread(sndDevicesContext& context, sndDevicesMp3Job job,
                              sndDevicesPreEncodingRun* run = nullptr);

// Makes the final MP3 of the cache track `baseName` at `mp3Path` from its
// pre-encoded companion when there is one (waiting up to 120 s for the
// pre-encoding of the track to end when one is under way), otherwise by
// encoding it. status: 0 or a run status.
int sndDevicesManageFinalMP3Creation(sndDevicesContext& context, std::string_view title,
                                     std::string_view artist, std::string_view album, std::string_view genre,
                                     std::string_view comment, const std::string& baseName,
                                     const std::string& mp3Path, int& status);
// The same with the longest wait given (tests shorten it).
int sndDevicesManageFinalMP3CreationWaiting(sndDevicesContext& context, std::string_view title,
                                            std::string_view artist, std::string_view album,
                                            std::string_view genre, std::string_view comment,
                                            const std::string& baseName, const std::string& mp3Path,
                                            int waitLimitMs, int& status);

// Writes the tag, then the pre-encoded stream at `preEncodedPath` unscrambled
// with `key`, to `mp3Path`. status 0, or -5 when the MP3 cannot be created.
int sndDevicesPreEncodedMp3ToFinalMp3(sndDevicesContext& context, uint16_t key, std::string_view title,
                                      std::string_view artist, std::string_view album, std::string_view genre,
                                      std::string_view comment, const std::string& preEncodedPath,
                                      const std::string& mp3Path, int& status);

// The folder part of `path` (in front of its last "/" or "\"); found stays
// false for an empty path or one without a separator.
int pstrUserLibraryFilename(const std::string& path, std::string& folder, bool& found);

// Hidden temporary name beside `mp3Path` that a save writes before renaming.
std::string sndDevicesMp3TemporaryPath(const std::string& mp3Path);
