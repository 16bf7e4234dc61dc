// CPU cost of the capture step: drives sndDevicesDoRecording over a scripted
// capture stream that always has one 10 ms packet of sound ready, recording
// into a scrambled cache file, and compares the thread's CPU time (user and
// system, file writes included) with the real time of the audio it took.
//
//   capturestep_bench FOLDER SECONDS
//
// Prints one line per stream format and, last, the worst ratio.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "CsndDevicesWaveFile.h"
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

// CPU seconds per second of audio for one stream format, or a negative value on failure.
double measure(const std::string& folder, uint16_t channels, uint32_t rate, int seconds) {
    sndDevicesContext context;
    // One second of a 440 Hz tone, cut into 10 ms packets, repeated.
    const uint32_t packetFrames = rate / 100;
    std::vector<ScriptedPoll> script;
    for (uint32_t p = 0; p < 100; ++p) {
        ScriptedPacket packet = ScriptedPacket::constant(channels, packetFrames, 0.0f);
        for (uint32_t j = 0; j < packetFrames; ++j) {
            const double t = static_cast<double>(p * packetFrames + j) / rate;
            for (uint16_t ch = 0; ch < channels; ++ch)
                packet.samples[j * channels + ch] =
                    static_cast<float>(0.5 * std::sin(2 * M_PI * 440.0 * t + ch));
        }
        script.push_back({packet});
    }
    auto stream = std::make_unique<ScriptedCapture>(audioFloatFormat(channels, rate), std::move(script));
    stream->setRepeat(true);
    if (stream->initialize(AudioDirection::Capture, 2000000) != OKAY) return -1;
    context.streams.captureClient = stream->captureService();
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
    std::printf("capture step, %u Hz, %u channels: %.1f s of audio in %.4f s CPU, ratio %.6f\n", rate,
                static_cast<unsigned>(channels), audio, cpu, cpu / audio);
    return cpu / audio;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: capturestep_bench FOLDER SECONDS\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int seconds = std::atoi(argv[2]);
    const double a = measure(folder, 2, 48000, seconds);
    const double b = measure(folder, 6, 96000, seconds);
    if (a < 0 || b < 0) {
        std::fprintf(stderr, "capture step failed\n");
        return 1;
    }
    std::printf("capture-step ratio=%.6f target=0.001\n", a > b ? a : b);
    return 0;
}
