// A render stream for tests: it keeps every frame it is handed, reports a
// padding the test sets, and records the order of start, stop and reset calls,
// so that the playback step can be checked sample for sample without a sound
// server. Failures of each render operation can be switched on to exercise the
// engine's error paths.
//
// The playback thread calls it while a test inspects it, so every member is
// reached through the accessors, which take the double's own lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "audioPlatform.h"

class ScriptedRenderStream : public AudioStream, public AudioRenderService {
  public:
    // A float stream of `channels` at `rate` whose buffer holds `bufferFrames`.
    ScriptedRenderStream(uint16_t channels, uint32_t rate, uint32_t bufferFrames);

    // AudioStream
    int mixFormat(AudioFormat& format) override;
    int initialize(AudioDirection direction, int64_t bufferDuration) override;
    int bufferFrames(uint32_t& frames) override;
    int start() override;
    int stop() override;
    int reset() override;
    AudioCaptureService* captureService() override { return nullptr; }
    AudioRenderService* renderService() override;

    // AudioRenderService. getBuffer refuses more frames than the free space
    // (buffer frames - padding) and fills the buffer with kUnwritten, so that
    // samples the engine forgot to write stand out.
    int padding(uint32_t& frames) override;
    int getBuffer(uint32_t frames, float*& data) override;
    int releaseBuffer(uint32_t frames) override;

    static constexpr float kUnwritten = -1000.0f;

    // What the test controls.
    void setPadding(uint32_t frames);
    // When set, every release adds its frames to the padding (a stream nobody
    // drains), so the free space shrinks as a real queue's would.
    void setQueueing(bool on);
    void setFailPadding(bool on);
    void setFailGetBuffer(bool on);
    void setFailRelease(bool on);

    // What the test reads.
    std::vector<float> rendered() const;            // every released sample, interleaved
    std::vector<uint32_t> releases() const;         // frame count of each release
    std::vector<std::string> controlCalls() const;  // "start", "stop", "reset" in order
    bool running() const;                           // started and not stopped since
    void clearRendered();
    AudioFormat format() const;

  private:
    mutable std::mutex mutex_;
    AudioFormat format_;
    uint32_t bufferFrames_;
    bool initialized_ = false;
    bool running_ = false;
    bool queueing_ = false;
    uint32_t padding_ = 0;
    bool failPadding_ = false, failGetBuffer_ = false, failRelease_ = false;
    std::vector<float> pending_;
    uint32_t pendingFrames_ = 0;
    bool bufferOut_ = false;
    std::vector<float> rendered_;
    std::vector<uint32_t> releases_;
    std::vector<std::string> calls_;
};
