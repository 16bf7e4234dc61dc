// File playback: the transport's controls over one loaded cache track (load,
// play, pause, seek, rewind, close, status, gain), the playback step that feeds
// the render stream, and the playback thread that runs the step every 10 ms.
//
// Every control waits at most 200 ms for the context's playback mutex; a
// time-out is an internal error. The playback step holds the mutex for its
// whole run (a few microseconds of copying), so the reader, the flags, the
// position and the render stream are never seen half-changed by either side.
//
// The render stream is corked while paused and uncorked by play; stop, close
// and seek drop what it still queues, so no stale audio follows a control.
// A track that ends by itself is not flushed: its last queued audio plays out.
#pragma once

#include <mutex>
#include <string>

#include "sndDevicesContext.h"

// Waits at most 200 ms for the playback mutex; NOT_OKAY (nothing reported, the
// caller reports its own line) when it stays taken. The engine takes it this way
// too before it replaces the render stream under a playing track.
int sndDevicesLockPlayback(sndDevicesContext& ctx, std::unique_lock<std::recursive_timed_mutex>& lock);

// Loads the cache track `baseName` (the extension follows the scramble key:
// "tmp" with a key, "wav" without) from the cache folder. A track that cannot
// be opened, is not 16-bit PCM, or is empty loads as length 0 (nothing loaded).
int sndDevicesPlayLoad(sndDevicesContext& ctx, const std::string& baseName, int& lengthMs);

// Whether the cache track `baseName` has its audio file in the cache folder
// (the user may have deleted it behind the program's back).
int sndDevicesPlayTrackPresent(sndDevicesContext& ctx, const std::string& baseName, bool& present);

// Starts or resumes the loaded track. Without a render stream `code` is 208 and
// playing and paused are cleared; otherwise 0. Creates the playback thread on
// the first play.
int sndDevicesPlayPlay(sndDevicesContext& ctx, int& code);

// Pauses the loaded track, keeping its position.
int sndDevicesPlayPause(sndDevicesContext& ctx);

// Moves to `ms` (clamped to 0..length); the audible position is rounded down to
// a whole block of 1024 bytes.
int sndDevicesPlaySeek(sndDevicesContext& ctx, int ms);

// Stops the loaded track and goes back to its start.
int sndDevicesPlayRewind(sndDevicesContext& ctx);

// Stops (when playing) and unloads the track.
int sndDevicesPlayClose(sndDevicesContext& ctx);

// All 0 when nothing is loaded; playing only while playing and not paused.
int sndDevicesPlayStatus(sndDevicesContext& ctx, int& playing, int& positionMs, int& lengthMs);

// Linear gain, clamped to 0.0..1.0 (a NaN counts as 0).
int sndDevicesPlaySetGain(sndDevicesContext& ctx, float gain);

// The playback step: hands the render stream as much of the track as it has
// room for. `code` is 0, or 206 when the end was reached (the reader is then
// back at the start of the track).
int sndDevicesDoFilePlayback(sndDevicesContext& ctx, int& code);

// Body of the playback thread: steps while a track plays, every 10 ms, until
// ctx.stopRequested is set.
void sndDevicesFilePlaybackThread(sndDevicesContext& ctx);
