// The audio platform the engine is built against: endpoints, one stream per
// endpoint and direction, and the packet operations of the capture and render
// services. The Linux implementation sits on the sound server (libpulse); tests
// use scripted doubles. Nothing here includes a platform header, so the engine
// can be compiled and driven without one.
//
// Every operation returns OKAY or NOT_OKAY, and the set-up calls keep the
// sound system's reason for a failure (lastError) for the engine's report. A
// lost server or stream makes the packet operations fail; the engine then
// presumes the device lost.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "report.h"

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatIeeeFloat = 3;

// The 18-byte wave format of a stream or a file (tag, channels, rate, bytes
// per second, block align, bits, extra size).
struct AudioFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
    bool operator==(const AudioFormat&) const = default;
};

// 32-bit float interleaved format as streams deliver it.
AudioFormat audioFloatFormat(uint16_t channels, uint32_t rate);
// 16-bit PCM format of the cache files.
AudioFormat audioPcm16Format(uint16_t channels, uint32_t rate);

// Flag of a captured packet whose data is to be taken as silence.
constexpr uint32_t kAudioPacketSilent = 2;

// A capture packet is one device period, 10 ms of the stream's rate (480
// frames at 48 kHz, 441 at 44.1 kHz, 960 at 96 kHz): the capture step counts
// silence in packets and means them to be periods.
constexpr uint32_t kAudioPeriodsPerSecond = 100;
constexpr uint32_t audioCapturePeriodFrames(uint32_t rate) { return rate / kAudioPeriodsPerSecond; }

// Capture service of a loopback stream. The sound-server layer hands out
// packets of exactly one period, whatever its server's fragments are.
class AudioCaptureService {
  public:
    virtual ~AudioCaptureService() = default;
    // Frames queued in the stream; only success counts for the capture step.
    virtual int padding(uint32_t& frames) = 0;
    // Frames in the next packet, 0 when nothing is ready (for the sound
    // server: until a whole period is there).
    virtual int nextPacketSize(uint32_t& frames) = 0;
    // The next packet: interleaved float frames (stream channel count), its
    // frame count and flags. Data stays valid until releasePacket.
    virtual int fetchPacket(const float*& data, uint32_t& frames, uint32_t& flags) = 0;
    // Releases the packet fetched last, with the same frame count.
    virtual int releasePacket(uint32_t frames) = 0;
};

// Render service of a playback stream.
class AudioRenderService {
  public:
    virtual ~AudioRenderService() = default;
    // Frames still queued; free space = buffer frames - padding.
    virtual int padding(uint32_t& frames) = 0;
    // A buffer for `frames` interleaved float frames in the stream's layout.
    virtual int getBuffer(uint32_t frames, float*& data) = 0;
    // Hands over the buffer with the same frame count.
    virtual int releaseBuffer(uint32_t frames) = 0;
};

enum class AudioDirection { Capture, Render };

// One stream on one endpoint (an "audio client").
class AudioStream {
  public:
    virtual ~AudioStream() = default;
    // The endpoint's mix format: 32-bit float, at least 2 channels and 44100 Hz.
    virtual int mixFormat(AudioFormat& format) = 0;
    // Sets the stream up in the mix format; Capture streams are loopback streams
    // of the endpoint. bufferDuration is in 100-ns units (2,000,000 = 200 ms).
    virtual int initialize(AudioDirection direction, int64_t bufferDuration) = 0;
    virtual int bufferFrames(uint32_t& frames) = 0;
    // Starts (or resumes) the stream; starting a running stream is harmless.
    virtual int start() = 0;
    // Pauses the stream, keeping what is queued.
    virtual int stop() = 0;
    // Drops what is queued (render: unplayed audio; capture: undelivered audio).
    virtual int reset() = 0;
    // The services; null until initialize succeeded, or for the other direction.
    virtual AudioCaptureService* captureService() = 0;
    virtual AudioRenderService* renderService() = 0;
    // Why the last failed set-up call (mixFormat, initialize, start, stop,
    // reset) failed, in the sound system's words; empty when it did not say.
    virtual std::string lastError() const { return {}; }
};

// One active render endpoint.
struct AudioEndpoint {
    std::string id;             // compared for exact equality with the default's id
    std::string interfaceName;  // friendly name (at most 511 characters)
    std::string description;    // device description (at most 511 characters)
};

// The computer's outputs.
class AudioDevices {
  public:
    virtual ~AudioDevices() = default;
    // Active render endpoints in a stable order. A sound system that cannot be
    // reached counts as a computer with no outputs (empty list, OKAY).
    virtual int renderEndpoints(std::vector<AudioEndpoint>& endpoints) = 0;
    // Id of the default output for multimedia; found = false when there is none.
    virtual int defaultRenderEndpoint(std::string& id, bool& found) = 0;
    // A new, uninitialised stream on the endpoint with this id.
    virtual int activate(const std::string& id, std::unique_ptr<AudioStream>& stream) = 0;
    // Why the last failed call failed, in the sound system's words; empty when it did not say.
    virtual std::string lastError() const { return {}; }
};
