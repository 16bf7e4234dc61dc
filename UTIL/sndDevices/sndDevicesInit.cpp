// Bringing the engine up (sndDevicesInit), rebuilding its streams on the
// default output (sndDevicesReInit and the four set-up steps) and shutting it
// down.
//
// The record thread re-initialises while the playback thread may be feeding
// the render stream and the window may be arming the capture stream. So every
// change to the stream objects, the formats, the decimation and the
// conversion buffers happens under the engine's playback mutex (which the
// playback step holds for its whole run); a replaced stream is released under
// it, and the sound-server layer takes its own lock inside each call.
#include <new>

#include "CSlout.h"
#include "report.h"
#include "sndDevicesEncoderLibrary.h"
#include "sndDevicesEngine.h"
#include "sndDevicesPlay.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesInit";

namespace {

using PlaybackLock = std::unique_lock<std::recursive_timed_mutex>;

void traceLine(const sndDevicesContext& context, const char* text) {
    if (context.verbose && context.trace) context.trace->outputW(1, text);
}

// 4-byte elements for 200.2 ms of a stream's audio.
size_t bufferElements(const AudioFormat& format) {
    return static_cast<size_t>(static_cast<double>(format.channels) * format.sampleRate * 100 * 1.001 / 500);
}

// The capture step reads 32-bit float frames of at least two channels.
bool usableCaptureFormat(const AudioFormat& f) {
    return f.formatTag == kWaveFormatIeeeFloat && f.bitsPerSample == 32 && f.channels >= 2 &&
           f.sampleRate > 0;
}

// Sizes the conversion buffers for the current formats; a buffer keeps its
// storage while its size stays the same. Caller holds the playback mutex.
int sizeBuffers(sndDevicesStreams& s) {
    try {
        const size_t pcm = bufferElements(s.captureFormat);
        if (pcm != s.pcmBufferElements) {
            s.pcmBuffer.assign(pcm * 2, 0);  // one element = one 16-bit stereo frame
            s.pcmBufferElements = pcm;
        }
        const size_t render = bufferElements(s.renderFormat);
        if (render != s.renderBufferElements) {
            s.renderBufferA.assign(render * 2, 0);
            s.renderBufferB.assign(render, 0.0f);
            s.renderBufferElements = render;
        }
    } catch (const std::bad_alloc&) {
        return REPORT_ERR();
    }
    return OKAY;
}

// A new stream on endpoint `index` and its mix format.
int activateOn(sndDevicesContext& context, int index, std::unique_ptr<AudioStream>& stream,
               AudioFormat& format) {
    if (!context.devices || index < 0 || index >= context.endpoints.deviceCount) return REPORT_ERR();
    REPORT_CHECK_WHY(context.devices->activate(context.endpoints.endpointIds[index], stream),
                     context.devices->lastError());
    if (!stream) return REPORT_ERR();
    REPORT_CHECK_WHY(stream->mixFormat(format), stream->lastError());
    return OKAY;
}

int64_t actualDuration(uint32_t frames, uint32_t rate) {
    return rate ? static_cast<int64_t>(frames) * 10000000 / rate : 0;
}

}  // namespace

int sndDevicesInitialSetupCaptureDevice(sndDevicesContext& context) {
    if (context.endpoints.userDeviceCount == 0) return OKAY;
    std::unique_ptr<AudioStream> stream;
    AudioFormat format;
    REPORT_CHECK(activateOn(context, context.endpoints.captureEndpoint, stream, format));
    if (!usableCaptureFormat(format)) return REPORT_ERR();
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    context.streams.captureClient = nullptr;
    context.streams.captureAudioClient.swap(stream);
    context.streams.captureFormat = format;
    stream.reset();  // the previous capture stream
    return OKAY;
}

int sndDevicesInitialSetupPlaybackDevice(sndDevicesContext& context) {
    std::unique_ptr<AudioStream> stream;
    AudioFormat format;
    REPORT_CHECK(activateOn(context, context.endpoints.renderEndpoint, stream, format));
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    context.streams.renderClient = nullptr;
    context.streams.renderAudioClient.swap(stream);
    context.streams.renderFormat = format;
    stream.reset();  // the previous render stream
    return OKAY;
}

int sndDevicesFinalSetupCaptureDevice(sndDevicesContext& context) {
    if (context.endpoints.userDeviceCount == 0) return OKAY;
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    sndDevicesStreams& s = context.streams;
    AudioStream* stream = s.captureAudioClient.get();
    if (!stream) return REPORT_ERR();
    REPORT_CHECK_WHY(stream->initialize(AudioDirection::Capture, s.captureRequestedDuration),
                     stream->lastError());
    uint32_t frames = 0;
    REPORT_CHECK(stream->bufferFrames(frames));
    AudioCaptureService* service = stream->captureService();
    if (!service) return REPORT_ERR();
    s.captureBufferFrames = frames;
    s.captureClient = service;
    s.captureActualDuration = actualDuration(frames, s.captureFormat.sampleRate);
    return OKAY;
}

int sndDevicesFinalSetupPlaybackDevice(sndDevicesContext& context) {
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    sndDevicesStreams& s = context.streams;
    AudioStream* stream = s.renderAudioClient.get();
    if (!stream) return REPORT_ERR();
    REPORT_CHECK_WHY(stream->initialize(AudioDirection::Render, s.renderRequestedDuration),
                     stream->lastError());
    uint32_t frames = 0;
    REPORT_CHECK(stream->bufferFrames(frames));
    AudioRenderService* service = stream->renderService();
    if (!service) return REPORT_ERR();
    s.renderBufferFrames = frames;
    s.renderClient = service;
    s.renderActualDuration = actualDuration(frames, s.renderFormat.sampleRate);
    // A track that was playing goes on playing on the new stream rather than
    // feeding one that never starts.
    if (context.playback.playing && !context.playback.paused)
        REPORT_CHECK_WHY(stream->start(), stream->lastError());
    return OKAY;
}

int sndDevicesDeriveFormats(sndDevicesContext& context) {
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    sndDevicesStreams& s = context.streams;
    const uint32_t rate = s.captureFormat.sampleRate;
    const uint32_t cacheRate = rate % 48000 == 0 ? 48000 : 44100;
    s.cacheFormat = audioPcm16Format(2, cacheRate);
    s.bufferLength = 100;
    s.decimation = rate / cacheRate;
    REPORT_CHECK(sizeBuffers(s));
    return OKAY;
}

int sndDevicesReInit(sndDevicesContext& context, int mode, int& userDeviceCount, int& flag) {
    (void)mode;  // one mode: loopback of the default output
    traceLine(context, "sndDevicesReInit():: sndDevicesReInit() enters");
    userDeviceCount = 0;
    flag = 0;
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));

    context.endpoints = sndDevicesEndpoints{};
    context.streams.decimation = 1;
    context.capture.silence = sndDevicesSilence{};
    // A loaded track keeps its position: its reader is not moved here.
    if (context.playback.lengthMs == 0) context.playback.positionMs = 0;

    int count = 0;
    REPORT_CHECK(sndDevices_GetAll(context, count));
    sndDevicesEndpoints& e = context.endpoints;
    userDeviceCount = e.userDeviceCount;
    if (userDeviceCount == 0) {
        traceLine(context, "sndDevicesReInit():: Returns OKAY");
        return OKAY;
    }
    if (e.defaultDeviceIndex < 0) return REPORT_ERR();
    e.captureEndpoint = e.renderEndpoint = e.defaultDeviceIndex;

    traceLine(context, "sndDevicesReInit():: Calling sndDevicesInitialSetupCaptureDevice()");
    REPORT_CHECK(sndDevicesInitialSetupCaptureDevice(context));
    REPORT_CHECK(sndDevicesInitialSetupPlaybackDevice(context));

    REPORT_CHECK(sndDevicesDeriveFormats(context));
    context.streams.captureRequestedDuration = kSndStreamDuration;
    context.streams.renderRequestedDuration = kSndStreamDuration;

    traceLine(context, "sndDevicesReInit():: Calling sndDevicesFinalSetupCaptureDevice()");
    REPORT_CHECK(sndDevicesFinalSetupCaptureDevice(context));
    REPORT_CHECK(sndDevicesFinalSetupPlaybackDevice(context));
    traceLine(context, "sndDevicesReInit():: Returns OKAY");
    return OKAY;
}

int sndDevicesInit(sndDevicesContext& context, CSlout* trace, int mode, int verbose) {
    context.trace = trace;
    context.verbose = verbose;
    traceLine(context, "sndDevicesInit():: sndDevicesInit() enters");
    traceLine(context, "sndDevicesInit():: Calling CoCreateGuid()");
    traceLine(context, "sndDevicesInit():: Setting PT handles");
    {
        // Every group back to its defaults; the threads and what was given
        // before the start (platform, encoder library) stay.
        PlaybackLock lock;
        REPORT_CHECK(sndDevicesLockPlayback(context, lock));
        context.endpoints = sndDevicesEndpoints{};
        context.streams = sndDevicesStreams{};
        context.capture = sndDevicesCapture{};
        context.record = sndDevicesRecord{};
        context.playback = sndDevicesPlayback{};
        context.settings.store(std::make_shared<const sndDevicesSettings>());
        context.preEncoding.cancel.store(0);
        context.stopRequested.store(0);
    }
    traceLine(context, "sndDevicesInit():: Setting GUID ID vars");
    context.engineMode = mode;
    if (mode == kSndEngineModeLoopback) {
        // Only to prove the encoder is there: each encoder run loads it itself.
        void* handle = nullptr;
        std::string why;
        if (sndDevicesEncoderLibraryOpen(context.encoderLibrary, handle, why) != OKAY) {
            if (context.trace) context.trace->errorW(1, "Unable to load dll: " + context.encoderLibrary);
            return REPORT_ERR_WHY(why);
        }
    }
    traceLine(context, "sndDevicesInit():: Calling sndDevicesReInit()");
    int count = 0, flag = 0;
    REPORT_CHECK(sndDevicesReInit(context, mode, count, flag));
    context.record.noOutput.store(count == 0 ? 1 : 0);
    return OKAY;
}

int sndDevicesShutdown(sndDevicesContext& context) {
    context.record.recordArmed.store(0);
    // The shutdown goes on whatever fails on the way: a close request must
    // end the program. A mutex still taken (a sound server that does not
    // answer) is free once the threads have ended.
    int result = OKAY;
    bool playing = false;
    {
        PlaybackLock lock;
        if (sndDevicesLockPlayback(context, lock) == OKAY) playing = context.playback.playing != 0;
    }
    if (playing && sndDevicesPlayClose(context) != OKAY) result = REPORT_ERR();
    // The record and playback threads end at their next step; running
    // pre-encodings are cancelled and end at their next chunk.
    sndDevicesJoinThreads(context);

    PlaybackLock lock;
    if (sndDevicesLockPlayback(context, lock) != OKAY) return REPORT_ERR();
    sndDevices_FreeReuseableObjects(context);
    sndDevicesStreams& s = context.streams;
    s.captureClient = nullptr;
    s.renderClient = nullptr;
    s.captureAudioClient.reset();
    s.renderAudioClient.reset();
    std::vector<int16_t>().swap(s.pcmBuffer);
    std::vector<int16_t>().swap(s.renderBufferA);
    std::vector<float>().swap(s.renderBufferB);
    s.pcmBufferElements = s.renderBufferElements = 0;
    return result;
}
