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
#include <chrono>
#include <new>
#include <thread>

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

void writeDefaults(sndDevicesContext& context) {
    context.captureClient = nullptr;
    context.renderClient = nullptr;
    context.captureAudioClient.reset();
    context.renderAudioClient.reset();
    context.captureRequestedDuration = context.renderRequestedDuration = 0;
    context.captureActualDuration = context.renderActualDuration = 0;
    context.captureBufferFrames = context.renderBufferFrames = 0;
    context.captureFormat = context.renderFormat = AudioFormat{};
    context.cacheFormat = audioPcm16Format(2, 44100);
    context.pcmBuffer.clear();
    context.pcmBufferElements = 0;
    context.renderBufferA.clear();
    context.renderBufferB.clear();
    context.renderBufferElements = 0;
    context.decimation = 1;
    context.bufferLength = 100;

    sndDevices_FreeReuseableObjects(context);
    context.deviceCount = 0;
    context.userDeviceCount = 0;
    context.defaultDeviceIndex = context.enhancerDeviceIndex = -1;
    context.captureEndpoint = context.renderEndpoint = -1;

    context.cacheFolder.clear();
    context.tempPath.clear();
    context.lastRecording.store(nullptr);
    context.recordSerial.store(0);
    context.cutSerial.store(0);
    context.recordDurationMs.store(0.0f);
    context.recordStartTime.store(0);
    context.scrambleKey.store(0);
    context.minimumLengthMs = 2000;
    context.autoSegment.store(1);
    context.recordArmed.store(0);
    context.recording.store(0);
    context.recordIndicator.store(0);
    context.callFrames = 0;
    context.emptyPolls = context.silentFlagRun = context.quietRun = context.zeroRun = context.silenceSteps =
        0;
    context.nameSeed = 286492;

    context.playLength = context.playPosition = context.playing = context.paused = 0;
    context.gain.store(1.0f);

    context.mp3BitRate = 256;
    context.mp3Mono = 0;
    context.mp3Preset = 2;
    context.mp3Normalise = 1;
    context.mp3Limit = 0;
    context.mp3LimitLength = 0;
    context.preEncodingRunning.store(0);
    context.encoderCancel.store(0);
    context.stopRequested.store(0);
}

// Sizes the conversion buffers for the current formats; a buffer keeps its
// storage while its size stays the same. Caller holds the playback mutex.
int sizeBuffers(sndDevicesContext& context) {
    try {
        const size_t pcm = bufferElements(context.captureFormat);
        if (pcm != context.pcmBufferElements) {
            context.pcmBuffer.assign(pcm * 2, 0);  // one element = one 16-bit stereo frame
            context.pcmBufferElements = pcm;
        }
        const size_t render = bufferElements(context.renderFormat);
        if (render != context.renderBufferElements) {
            context.renderBufferA.assign(render * 2, 0);
            context.renderBufferB.assign(render, 0.0f);
            context.renderBufferElements = render;
        }
    } catch (const std::bad_alloc&) {
        return REPORT_ERR();
    }
    return OKAY;
}

// A new stream on endpoint `index` and its mix format.
int activateOn(sndDevicesContext& context, int index, std::unique_ptr<AudioStream>& stream,
               AudioFormat& format) {
    if (!context.devices || index < 0 || index >= context.deviceCount) return REPORT_ERR();
    REPORT_CHECK(context.devices->activate(context.endpointIds[index], stream));
    if (!stream) return REPORT_ERR();
    REPORT_CHECK(stream->mixFormat(format));
    return OKAY;
}

int64_t actualDuration(uint32_t frames, uint32_t rate) {
    return rate ? static_cast<int64_t>(frames) * 10000000 / rate : 0;
}

}  // namespace

int sndDevicesInitialSetupCaptureDevice(sndDevicesContext& context) {
    if (context.userDeviceCount == 0) return OKAY;
    std::unique_ptr<AudioStream> stream;
    AudioFormat format;
    REPORT_CHECK(activateOn(context, context.captureEndpoint, stream, format));
    if (!usableCaptureFormat(format)) return REPORT_ERR();
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    context.captureClient = nullptr;
    context.captureAudioClient.swap(stream);
    context.captureFormat = format;
    stream.reset();  // the previous capture stream
    return OKAY;
}

int sndDevicesInitialSetupPlaybackDevice(sndDevicesContext& context) {
    std::unique_ptr<AudioStream> stream;
    AudioFormat format;
    REPORT_CHECK(activateOn(context, context.renderEndpoint, stream, format));
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    context.renderClient = nullptr;
    context.renderAudioClient.swap(stream);
    context.renderFormat = format;
    stream.reset();  // the previous render stream
    return OKAY;
}

int sndDevicesFinalSetupCaptureDevice(sndDevicesContext& context) {
    if (context.userDeviceCount == 0) return OKAY;
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    AudioStream* stream = context.captureAudioClient.get();
    if (!stream) return REPORT_ERR();
    REPORT_CHECK(stream->initialize(AudioDirection::Capture, context.captureRequestedDuration));
    uint32_t frames = 0;
    REPORT_CHECK(stream->bufferFrames(frames));
    AudioCaptureService* service = stream->captureService();
    if (!service) return REPORT_ERR();
    context.captureBufferFrames = frames;
    context.captureClient = service;
    context.captureActualDuration = actualDuration(frames, context.captureFormat.sampleRate);
    return OKAY;
}

int sndDevicesFinalSetupPlaybackDevice(sndDevicesContext& context) {
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    AudioStream* stream = context.renderAudioClient.get();
    if (!stream) return REPORT_ERR();
    REPORT_CHECK(stream->initialize(AudioDirection::Render, context.renderRequestedDuration));
    uint32_t frames = 0;
    REPORT_CHECK(stream->bufferFrames(frames));
    AudioRenderService* service = stream->renderService();
    if (!service) return REPORT_ERR();
    context.renderBufferFrames = frames;
    context.renderClient = service;
    context.renderActualDuration = actualDuration(frames, context.renderFormat.sampleRate);
    // A track that was playing goes on playing on the new stream rather than
    // feeding one that never starts.
    if (context.playing && !context.paused) REPORT_CHECK(stream->start());
    return OKAY;
}

int sndDevicesDeriveFormats(sndDevicesContext& context) {
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    const uint32_t rate = context.captureFormat.sampleRate;
    const uint32_t cacheRate = rate % 48000 == 0 ? 48000 : 44100;
    context.cacheFormat = audioPcm16Format(2, cacheRate);
    context.bufferLength = 100;
    context.decimation = rate / cacheRate;
    REPORT_CHECK(sizeBuffers(context));
    return OKAY;
}

int sndDevicesReInit(sndDevicesContext& context, int mode, int& userDeviceCount, int& flag) {
    (void)mode;  // one mode: loopback of the default output
    traceLine(context, "sndDevicesReInit():: sndDevicesReInit() enters");
    userDeviceCount = 0;
    flag = 0;
    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));

    context.deviceCount = -1;
    context.defaultDeviceIndex = context.enhancerDeviceIndex = -1;
    context.captureEndpoint = context.renderEndpoint = -1;
    context.decimation = 1;
    context.emptyPolls = context.silentFlagRun = context.quietRun = context.zeroRun = context.silenceSteps =
        0;
    // A loaded track keeps its position: its reader is not moved here.
    if (context.playLength == 0) context.playPosition = 0;

    int count = 0;
    REPORT_CHECK(sndDevices_GetAll(context, count));
    userDeviceCount = context.userDeviceCount;
    if (userDeviceCount == 0) {
        traceLine(context, "sndDevicesReInit():: Returns OKAY");
        return OKAY;
    }
    if (context.defaultDeviceIndex < 0) return REPORT_ERR();
    context.captureEndpoint = context.renderEndpoint = context.defaultDeviceIndex;

    traceLine(context, "sndDevicesReInit():: Calling sndDevicesInitialSetupCaptureDevice()");
    REPORT_CHECK(sndDevicesInitialSetupCaptureDevice(context));
    REPORT_CHECK(sndDevicesInitialSetupPlaybackDevice(context));

    REPORT_CHECK(sndDevicesDeriveFormats(context));
    context.captureRequestedDuration = kSndStreamDuration;
    context.renderRequestedDuration = kSndStreamDuration;

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
        PlaybackLock lock;
        REPORT_CHECK(sndDevicesLockPlayback(context, lock));
        writeDefaults(context);
    }
    traceLine(context, "sndDevicesInit():: Setting GUID ID vars");
    context.engineMode = mode;
    if (mode == kSndEngineModeLoopback) {
        // Only to prove the encoder is there: each encoder run loads it itself.
        void* handle = nullptr;
        if (sndDevicesEncoderLibraryOpen(context.encoderLibrary, handle) != OKAY) {
            if (context.trace) context.trace->errorW(1, "Unable to load dll: " + context.encoderLibrary);
            return REPORT_ERR();
        }
    }
    traceLine(context, "sndDevicesInit():: Calling sndDevicesReInit()");
    int count = 0, flag = 0;
    REPORT_CHECK(sndDevicesReInit(context, mode, count, flag));
    return OKAY;
}

int sndDevicesShutdown(sndDevicesContext& context) {
    context.stopRequested.store(1);
    context.recordArmed.store(0);
    if (context.preEncodingRunning.load() > 0) {
        context.encoderCancel.store(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    bool playing = false;
    {
        PlaybackLock lock;
        REPORT_CHECK(sndDevicesLockPlayback(context, lock));
        playing = context.playing != 0;
    }
    if (playing) REPORT_CHECK(sndDevicesPlayClose(context));
    // Both engine threads end at their next step once a stop is requested.
    if (context.recordThread.joinable()) context.recordThread.join();
    if (context.playbackThread.joinable()) context.playbackThread.join();

    PlaybackLock lock;
    REPORT_CHECK(sndDevicesLockPlayback(context, lock));
    sndDevices_FreeReuseableObjects(context);
    context.captureClient = nullptr;
    context.renderClient = nullptr;
    context.captureAudioClient.reset();
    context.renderAudioClient.reset();
    std::vector<int16_t>().swap(context.pcmBuffer);
    std::vector<int16_t>().swap(context.renderBufferA);
    std::vector<float>().swap(context.renderBufferB);
    context.pcmBufferElements = context.renderBufferElements = 0;
    return OKAY;
}
