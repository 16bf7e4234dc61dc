// The audio engine's life and its recording controls: taking stock of the
// outputs, bringing the engine up and rebuilding its streams on the default
// output, the record thread with its recovery, recovering a recording cut
// short by a crash, the getters and setters the window uses, and shutdown.
//
// Threads: the window's thread calls sndDevicesInit, the setters and getters
// and the shutdown; the record thread calls sndDevicesReInit and the capture
// set-up steps again when capture fails. Stream objects, formats, decimation
// and the conversion buffers are replaced only while the engine's playback
// mutex is held, so the playback thread and the window never see them half
// replaced.
#pragma once

#include <cstdint>
#include <future>
#include <string>

#include "sndDevicesContext.h"

class CSlout;

// The one mode this system runs the engine in: loopback of the default output,
// playback to the same output.
constexpr int kSndEngineModeLoopback = 3;
// Requested stream buffer duration, in 100-ns units (200 ms).
constexpr int64_t kSndStreamDuration = 2000000;
// Fruitless re-initialisations the record thread makes at its fast pace
// before it retries once a second.
constexpr int kSndMaxFruitlessReInits = 20;

// --- outputs

// Takes stock of the active outputs into the context: the endpoint tables (at
// most kSndMaxEndpoints; further endpoints are ignored), the default and the
// enhancer index, and the user's own outputs (all but the enhancer). `count`
// and deviceCount receive the number of outputs. NOT_OKAY (internal error)
// when the platform fails or no platform is set.
int sndDevices_GetAll(sndDevicesContext& context, int& count);

// --- bring-up and re-initialisation

// Fills the context with its defaults and brings the engine up on
// context.devices (set by the caller). NOT_OKAY when the encoder library
// cannot be loaded ("Unable to load dll: %s" through the trace sink) or the
// re-initialisation fails. No output at all is not a failure.
int sndDevicesInit(sndDevicesContext& context, CSlout* trace, int mode, int verbose);

// (Re)builds the capture and render streams on the current default output.
// userDeviceCount receives the number of user outputs (0: no streams were
// set up and the previous ones are kept); flag is always 0 in mode 3.
int sndDevicesReInit(sndDevicesContext& context, int mode, int& userDeviceCount, int& flag);

// From the capture and render formats in the context: the cache format (48000
// Hz when the capture rate is a multiple of 48000, else 44100; 16-bit stereo),
// the decimation, and the conversion buffers sized for 200.2 ms of each
// stream (kept when their size does not change). Takes the playback mutex.
int sndDevicesDeriveFormats(sndDevicesContext& context);

// The set-up steps: activate a stream on the endpoint and read its mix format
// (initial), then initialise it with the requested duration and take its
// service (final). The capture steps do nothing when there is no user output.
// Each replaces the previous stream object, which is released.
int sndDevicesInitialSetupCaptureDevice(sndDevicesContext& context);
int sndDevicesInitialSetupPlaybackDevice(sndDevicesContext& context);
int sndDevicesFinalSetupCaptureDevice(sndDevicesContext& context);
int sndDevicesFinalSetupPlaybackDevice(sndDevicesContext& context);

// Engine shutdown: closes a playing track, stops and joins the record and
// playback threads, cancels and joins the running pre-encodings, and frees the
// name tables, the streams and the conversion buffers.
int sndDevicesShutdown(sndDevicesContext& context);
// Clears the endpoint name tables and the user endpoint list.
void sndDevices_FreeReuseableObjects(sndDevicesContext& context);

// --- record thread

// Body of the record thread: runs the capture step every 10 ms and re-
// initialises when capture fails or no output is there, for as long as the
// engine lives (see sndDevicesRecordThread.cpp). `running` is fulfilled once
// the thread runs. Leaves 204 (stop requested) in
// context.record.threadExitCode when it ends.
void sndDevicesRecordThread(sndDevicesContext& context, std::promise<void> running);

// A recording cut short by a crash or a power loss: the temporary cache file
// with its sizes never written. Recovered before the first arming of an engine
// start (cache folder and key must be set by then): its length comes from the
// whole frames on disk, it is kept only when at least minimumLengthMs long,
// its header is repaired, it starts at its modification time minus its length,
// and it is finished like any recording (final name, lastRecording,
// pre-encoding). Nothing to recover is OKAY.
int sndDevicesRecoverInterruptedRecording(sndDevicesContext& context);

// --- the window's controls

// state kSndRecordArm arms the recorder, anything else disarms it. Arming
// without a capture stream gives result 207 but arms all the same: the record
// thread records once an output comes (record.noOutput tells meanwhile);
// the first arming recovers an interrupted recording and starts the record
// thread, which then lives until shutdown.
int sndDevicesSetRecordState(sndDevicesContext& context, int state, int& result);
// Recording indicator; start second and duration (whole ms) only while recording.
int sndDevicesGetRecordStatus(sndDevicesContext& context, int& indicator, uint32_t& startTime,
                              uint32_t& durationMs);
// The loudest sample captured (of what the recording keeps: the first two
// channels, after decimation, on the 16-bit scale) and the loudest played (gain applied) since
// the last call, each 0.0 to 1.0 (1.0 is full scale); the call starts both
// over, so one call a timer tick gives the peak of each tick.
int sndDevicesGetLevels(sndDevicesContext& context, float& captured, float& played);
// The last kept recording's name without its extension ("" when none).
int sndDevicesGetLastRecordingName(sndDevicesContext& context, std::string& name);
// The same with the recording's serial (0 when none, or for a recording
// recovered after a crash).
int sndDevicesGetLastRecording(sndDevicesContext& context, std::string& name, uint32_t& serial);
// The recording open now, as the window sees it. With none open, open is
// false, serial the last one opened (0 before the first) and the rest zero.
struct sndDevicesOpenRecording {
    bool open = false;
    uint32_t serial = 0;      // the engine numbers its recordings from 1 as it opens them
    uint32_t durationMs = 0;  // its length so far, whole ms
    bool keepable = false;    // long enough to be kept if it ended now (minimumLengthMs)
};
// The fields always describe the same recording.
int sndDevicesGetOpenRecording(sndDevicesContext& context, sndDevicesOpenRecording& recording);
// Asks the record thread to end recording `serial` at its next capture step
// and to let that step's audio begin the next recording (when it is sound), so
// that not a frame is lost between the two. Only an open recording at least
// minimumLengthMs long is cut (cutting = true): a shorter one would be
// discarded, audio and all. A recording that ends by itself before the step
// is not cut again.
int sndDevicesCutRecording(sndDevicesContext& context, uint32_t serial, bool& cutting);
// Sets the cache folder (one trailing "/" removed) and deletes the partial
// pre-encodings (*.dax) left in it.
int sndDevicesSetCacheFolder(sndDevicesContext& context, const std::string& folder);
int sndDevicesSetScrambleKey(sndDevicesContext& context, uint16_t key);
int sndDevicesSetAutoSegment(sndDevicesContext& context, int on);
// Whether recordings are cut at silences, as last set (1 until then).
int sndDevicesGetAutoSegment(sndDevicesContext& context, int& on);
// kbps must be 64, 96, 128, 192, 256 or 320 (else internal error). With
// deleteOld set, the pre-encodings made with the old settings (*.dat, *.mp3 of
// the cache folder) are deleted.
int sndDevicesSetMp3Settings(sndDevicesContext& context, int kbps, int mono, int deleteOld);
