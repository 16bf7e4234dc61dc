// itunesSdkUtils: the longer automation steps of the export. Conversions hand
// a file (or a track) to iTunes, which converts it with the user's own import
// settings into a new track of the library; waiting follows a conversion until
// it ends or runs out of time; deleting removes a track from the library.
//
// Time-outs are measured on the context's platform clock. A failure the
// export cannot go on from is an internal error (NOT_OKAY).
#pragma once

#include <cstdint>
#include <string>

#include "itunesSdk.h"

// A conversion may take twice the track's length, never less than six minutes.
constexpr int32_t kItunesSdkConversionMinimumSeconds = 360;
// Polls of a conversion in progress, and of a track that refuses deletion.
constexpr int kItunesSdkConversionPollMs = 50;
constexpr int kItunesSdkDeleteStepMs = 100;
constexpr int kItunesSdkDeleteTimeoutMs = 180000;

// The conversion time-out in seconds for a track of `durationMs`.
int32_t itunesSdkUtilsConversionTimeout(int32_t durationMs);

// Converts the file at `path` (a track of `durationMs`) and hands out the ids of the new track.
int itunesSdkUtilsConvertAndImportFile(itunesSdkContext* context, const std::string& path, int32_t durationMs,
                                       itunesSdkTrackIds& newTrack);
// Converts the track `track` once more and hands out the ids of the new track.
int itunesSdkUtilsConvertAndImportTrack(itunesSdkContext* context, const itunesSdkTrackIds& track,
                                        int32_t durationMs, itunesSdkTrackIds& newTrack);
// Waits until the operation is no longer in progress, polling every 50 ms;
// after `timeoutSeconds` sets timedOut and returns OKAY.
int itunesSdkUtils_WaitForAsynchronousTaskToComplete(itunesSdkContext* context, IITOperationStatus* status,
                                                     int32_t timeoutSeconds, bool& timedOut);
// Removes the track from the library, trying every 100 ms for up to 180 s.
int itunesSdkUtilsDeleteTrack(itunesSdkContext* context, const itunesSdkTrackIds& track);
