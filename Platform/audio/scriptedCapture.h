// A scripted loopback capture stream for tests and benchmarks: an AudioStream
// in the capture direction that is also its own AudioCaptureService, handing
// out packets of interleaved float frames from a script instead of a sound
// server.
//
// The script is a list of polls. Each poll is the packets that are ready when
// the capture step looks: nextPacketSize reports them one after another, and
// once a poll's packets are all taken it reports 0 and the script moves on to
// the next poll. An empty poll is a look that finds nothing. With repeat set
// the script starts over at its end (for benchmarks); otherwise every look
// after the end finds nothing.
//
// Every operation can be made to fail (the device is "lost") at chosen calls.
// The object is thread-safe, so a test may append polls while an engine thread
// drains them.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "audioPlatform.h"

struct ScriptedPacket {
    std::vector<float> samples;  // interleaved frames of the stream's channel count
    uint32_t flags = 0;          // kAudioPacketSilent marks a packet to be taken as silence

    // `frames` frames with every sample = value.
    static ScriptedPacket constant(uint16_t channels, uint32_t frames, float value, uint32_t flags = 0);
};

using ScriptedPoll = std::vector<ScriptedPacket>;

enum class ScriptedOp {
    MixFormat,
    Initialize,
    BufferFrames,
    Start,
    Stop,
    Reset,
    Padding,
    NextPacketSize,
    FetchPacket,
    ReleasePacket,
    Count
};

class ScriptedCapture : public AudioStream, public AudioCaptureService {
  public:
    ScriptedCapture(AudioFormat format, std::vector<ScriptedPoll> script = {});

    // --- script
    void append(ScriptedPoll poll);
    void setRepeat(bool repeat);
    // The calls of `op` numbered `fromCall` .. fromCall + times - 1 (0-based,
    // counted over the object's life) fail. times < 0: every call from then on.
    void failAt(ScriptedOp op, uint64_t fromCall, int64_t times = 1);
    // Every operation fails (or works again).
    void setLost(bool lost);
    // Calls of an operation so far, successful or not.
    uint64_t calls(ScriptedOp op) const;
    // Frames handed out by successful fetches.
    uint64_t framesDelivered() const;
    // Polls not yet finished (the current one included).
    size_t pendingPolls() const;
    // A release whose count differed from its fetch, or without a fetch.
    bool misuse() const;
    bool started() const;

    // --- AudioStream
    int mixFormat(AudioFormat& format) override;
    int initialize(AudioDirection direction, int64_t bufferDuration) override;
    int bufferFrames(uint32_t& frames) override;
    int start() override;
    int stop() override;
    int reset() override;  // drops the rest of the current poll
    AudioCaptureService* captureService() override;
    AudioRenderService* renderService() override;

    // --- AudioCaptureService
    int padding(uint32_t& frames) override;
    int nextPacketSize(uint32_t& frames) override;
    int fetchPacket(const float*& data, uint32_t& frames, uint32_t& flags) override;
    int releasePacket(uint32_t frames) override;

  private:
    struct Failure {
        uint64_t from = 0;
        int64_t times = 0;
    };
    // Counts the call and tells whether it must fail; caller holds the mutex.
    bool failsNow(ScriptedOp op);
    // The poll now being handed out (null when the script is done); caller holds the mutex.
    const ScriptedPoll* current();
    uint32_t framesOf(const ScriptedPacket& packet) const;

    mutable std::mutex mutex_;
    AudioFormat format_;
    std::vector<ScriptedPoll> script_;  // kept whole, for repeat (moving a poll keeps its data)
    size_t pollIndex_ = 0;              // the poll being handed out
    size_t packetIndex_ = 0;            // its next packet
    bool repeat_ = false;
    bool lost_ = false;
    bool initialized_ = false;
    bool started_ = false;
    bool misuse_ = false;
    int64_t bufferDuration_ = 0;
    bool fetched_ = false;
    uint32_t fetchedFrames_ = 0;
    uint64_t framesDelivered_ = 0;
    std::array<uint64_t, static_cast<size_t>(ScriptedOp::Count)> calls_{};
    std::array<std::vector<Failure>, static_cast<size_t>(ScriptedOp::Count)> failures_;
};
