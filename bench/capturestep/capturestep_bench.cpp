// CPU cost of the capture step: drives sndDevicesDoRecording over a scripted
// capture stream that always has one 10 ms packet of sound ready, recording
// into a scrambled cache file, and compares the thread's CPU time (user and
// system, file writes included) with the real time of the audio it took.
// A third run takes the packets from the period assembly of the sound-server
// layer, fed 10 ms per look in fragments of ragged sizes as a busy server sends
// them, so that joining and splitting fragments is counted too.
//
//   capturestep_bench FOLDER SECONDS
//
// Prints one line per run and, last, the worst ratio.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "CsndDevicesWaveFile.h"
#include "capturePeriods.h"
#include "scriptedCapture.h"
#include "sndDevicesContext.h"
#include "sndDevicesDoRecording.h"
#include "sndDevicesEngine.h"

namespace {

double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// `seconds` of a 440 Hz tone (a whole number of cycles a second, so it repeats
// seamlessly after a second), interleaved.
std::vector<float> tone(uint16_t channels, uint32_t rate, uint32_t seconds) {
    std::vector<float> samples(static_cast<size_t>(rate) * seconds * channels);
    for (size_t j = 0; j < samples.size() / channels; ++j)
        for (uint16_t ch = 0; ch < channels; ++ch)
            samples[j * channels + ch] =
                static_cast<float>(0.5 * std::sin(2 * M_PI * 440.0 * static_cast<double>(j) / rate + ch));
    return samples;
}

// A sound server's record queue: each look 10 ms of the tone arrive, handed out
// in fragments of ragged sizes (as a server sends them while a player runs).
class RaggedFragments final : public CaptureFragmentSource {
  public:
    RaggedFragments(uint16_t channels, uint32_t rate)
        : channels_(channels), rate_(rate), tone_(tone(channels, rate, 2)) {}

    bool refresh(size_t& queuedBytes) override {
        arrived_ += audioCapturePeriodFrames(rate_);
        queuedBytes = (arrived_ - consumed_) * channels_ * sizeof(float);
        return true;
    }
    bool peek(const void*& data, size_t& bytes) override {
        if (fragment_ == 0)
            fragment_ = std::min<uint64_t>(kSizes[next_ % std::size(kSizes)], arrived_ - consumed_);
        data = tone_.data() + (consumed_ % rate_) * channels_;
        bytes = fragment_ * channels_ * sizeof(float);
        return true;
    }
    bool drop() override {
        consumed_ += fragment_;
        fragment_ = 0;
        ++next_;
        return true;
    }

  private:
    static constexpr uint32_t kSizes[] = {441, 39, 1, 2, 437, 43, 313, 167, 480, 1000};
    uint16_t channels_;
    uint32_t rate_;
    std::vector<float> tone_;  // two seconds: a fragment from anywhere in the first fits
    uint64_t arrived_ = 0, consumed_ = 0, fragment_ = 0, next_ = 0;
};

// CPU seconds per second of audio for one capture service, or a negative
// value on failure. `stream` is the capture stream the engine record holds.
double measure(const std::string& folder, const char* what, uint16_t channels, uint32_t rate, int seconds,
               std::unique_ptr<AudioStream> stream, AudioCaptureService* service) {
    sndDevicesContext context;
    context.streams.captureClient = service;
    context.streams.captureAudioClient = std::move(stream);
    context.streams.captureFormat = audioFloatFormat(channels, rate);
    if (sndDevicesDeriveFormats(context) != OKAY) return -1;
    sndDevicesSettingsChange(context, [&](sndDevicesSettings& s) {
        s.cacheFolder = folder;
        s.scrambleKey = kSndScrambleKey;
    });
    context.record.recordArmed = 1;

    const int calls = seconds * 100;
    uint64_t frames = 0;
    const double start = threadCpuSeconds();
    for (int i = 0; i < calls; ++i) {
        int code = 0;
        if (sndDevicesDoRecording(context, code) != OKAY || code != 0) return -1;
        frames += context.capture.callFrames;
    }
    const double cpu = threadCpuSeconds() - start;
    if (context.record.recording.load() == 0) return -1;
    context.capture.recordFile->close();
    std::remove(context.capture.tempPath.c_str());
    const double audio = static_cast<double>(frames) / rate;
    std::printf("capture step, %s, %u Hz, %u channels: %.1f s of audio in %.4f s CPU, ratio %.6f\n", what,
                rate, static_cast<unsigned>(channels), audio, cpu, cpu / audio);
    return cpu / audio;
}

// The capture step over one-period packets of a scripted stream.
double measurePackets(const std::string& folder, uint16_t channels, uint32_t rate, int seconds) {
    // One second of the tone, cut into 10 ms packets, repeated.
    const uint32_t packetFrames = audioCapturePeriodFrames(rate);
    const std::vector<float> samples = tone(channels, rate, 1);
    std::vector<ScriptedPoll> script;
    for (size_t at = 0; at < samples.size(); at += static_cast<size_t>(packetFrames) * channels) {
        ScriptedPacket packet;
        packet.samples.assign(samples.begin() + static_cast<std::ptrdiff_t>(at),
                              samples.begin() + static_cast<std::ptrdiff_t>(at + packetFrames * channels));
        script.push_back({packet});
    }
    auto stream = std::make_unique<ScriptedCapture>(audioFloatFormat(channels, rate), std::move(script));
    stream->setRepeat(true);
    if (stream->initialize(AudioDirection::Capture, 2000000) != OKAY) return -1;
    AudioCaptureService* service = stream->captureService();
    return measure(folder, "one-period packets", channels, rate, seconds, std::move(stream), service);
}

// The capture step over the periods assembled from ragged fragments.
double measureFragments(const std::string& folder, uint16_t channels, uint32_t rate, int seconds) {
    RaggedFragments fragments(channels, rate);
    CapturePeriods periods(fragments, channels, audioCapturePeriodFrames(rate), rate / 5);
    // The engine record holds a capture stream; its service is the assembly.
    auto stream = std::make_unique<ScriptedCapture>(audioFloatFormat(channels, rate));
    if (stream->initialize(AudioDirection::Capture, 2000000) != OKAY) return -1;
    return measure(folder, "periods from ragged fragments", channels, rate, seconds, std::move(stream),
                   &periods);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: capturestep_bench FOLDER SECONDS\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int seconds = std::atoi(argv[2]);
    const double a = measurePackets(folder, 2, 48000, seconds);
    const double b = measurePackets(folder, 6, 96000, seconds);
    const double c = measureFragments(folder, 2, 48000, seconds);
    if (a < 0 || b < 0 || c < 0) {
        std::fprintf(stderr, "capture step failed\n");
        return 1;
    }
    std::printf("capture-step ratio=%.6f target=0.001\n", std::max({a, b, c}));
    return 0;
}
