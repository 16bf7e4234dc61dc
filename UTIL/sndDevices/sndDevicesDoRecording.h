// The capture step and the finishing of a recording.
//
// sndDevicesDoRecording runs on the record thread about every 10 ms. Each call
// drains the packets the loopback capture stream has ready (as many as the
// context's pcmBuffer can take; the rest stays queued for the next call),
// converts them to 16-bit stereo at the cache rate, keeps the silence
// counters, and starts, writes, cuts (when the window asks) or ends the
// recording in the cache folder.
// sndDevicesFinishRecording closes the recording, discards it when shorter
// than minimumLengthMs, else gives it its final name, publishes it in
// lastRecording and hands it to MP3 pre-encoding.
#pragma once

#include <cstdint>

#include "audioPlatform.h"

struct sndDevicesContext;

// What one call of the capture step produced.
struct sndDevicesCaptureOutput {
    int code = 0;  // 0, or kSndCodeDeviceLost / kSndCodeCacheFileFailed / kSndCodeStopRequested
    const int16_t* pcm = nullptr;  // start of pcmBuffer: the call's 16-bit stereo frames
    uint32_t frames = 0;           // output frames of the call (callFrames / decimation)
    AudioFormat captureFormat;
};

// One capture step. NOT_OKAY (internal error) when the capture objects are
// missing or unusable (fewer than 2 channels, decimation 0, no pcmBuffer),
// when the packet query inside the loop fails, when the time cannot be read
// or finishing a recording fails. Otherwise OKAY with the result code.
int sndDevicesDoRecording(sndDevicesContext& context, sndDevicesCaptureOutput& output);
int sndDevicesDoRecording(sndDevicesContext& context, int& code);

// Closes the cache file and finishes the recording (see above). NOT_OKAY
// (internal error) when closing, deleting, naming, renaming or the hand-off fails.
int sndDevicesFinishRecording(sndDevicesContext& context);
// The same for a recording whose cache file is already closed.
int sndDevicesFinishClosedRecording(sndDevicesContext& context);

// Float sample to 16 bits: 1.0 and above 32767, -1.0 and below -32768, else
// x * 32768 truncated toward zero (NaN gives 0).
inline int16_t sndDevicesFloatToPcm16(float x) {
    if (x > -1.0f && x < 1.0f) return static_cast<int16_t>(x * 32768.0f);
    if (x >= 1.0f) return 32767;
    if (x <= -1.0f) return -32768;
    return 0;
}
