// The sound-server layer against a private PulseAudio server: endpoints and the
// default, the mix-format rule, loopback capture of what is played (in packets
// of one period), render, and what a lost or missing server looks like.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "pulseDevices.h"
#include "pulseFixture.h"
#include "testsupport.h"

using namespace pulsefixture;

namespace {

struct Drained {
    uint64_t frames = 0;
    uint64_t loudFrames = 0;    // frames with a sample above 0.01 in both channels
    uint32_t largestCall = 0;   // frames handed out between two padding probes
    uint64_t notOnePeriod = 0;  // packets of another size than 10 ms
    bool failed = false;
};

// Drains the capture service the way the capture step does: one padding probe,
// then packets until none is ready; repeated every 10 ms for `ms`.
Drained drain(AudioCaptureService& svc, const AudioFormat& format, int ms) {
    const uint16_t channels = format.channels;
    Drained d;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        uint32_t pad = 0, next = 0, call = 0;
        if (svc.padding(pad) != OKAY || svc.nextPacketSize(next) != OKAY) {
            d.failed = true;
            return d;
        }
        while (next > 0) {
            const float* data = nullptr;
            uint32_t n = 0, flags = 0;
            if (svc.fetchPacket(data, n, flags) != OKAY) {
                d.failed = true;
                return d;
            }
            for (uint32_t i = 0; i < n && !(flags & kAudioPacketSilent); ++i)
                if (std::fabs(data[i * channels]) > 0.01f && std::fabs(data[i * channels + 1]) > 0.01f)
                    ++d.loudFrames;
            d.frames += n;
            call += n;
            d.notOnePeriod += n != audioCapturePeriodFrames(format.sampleRate);
            if (svc.releasePacket(n) != OKAY || svc.nextPacketSize(next) != OKAY) {
                d.failed = true;
                return d;
            }
        }
        d.largestCall = std::max(d.largestCall, call);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return d;
}

std::unique_ptr<AudioStream> loopback(AudioDevices& devices, const std::string& sink, AudioFormat& format) {
    std::unique_ptr<AudioStream> s;
    EXPECT_EQ(devices.activate(sink, s), OKAY);
    if (!s) return nullptr;
    EXPECT_EQ(s->mixFormat(format), OKAY);
    EXPECT_EQ(s->initialize(AudioDirection::Capture, 2000000), OKAY);
    EXPECT_NE(s->captureService(), nullptr);
    EXPECT_EQ(s->renderService(), nullptr);
    return s;
}

// A private server, its outputs, and a loopback stream on the default sink.
struct LoopbackRig {
    explicit LoopbackRig(PulseServerOptions options = {}) : server(options) {
        if (server.started()) capture = loopback(*devices, kSpeakersSink, format);
    }
    PulseServer server;
    std::unique_ptr<AudioDevices> devices = pulseDevicesCreate("tobrel-test");
    AudioFormat format;
    std::unique_ptr<AudioStream> capture;
};

}  // namespace

TEST(PulseDevices, ListsSinksWithTheDefaultAndNames) {
    PulseServer server;
    ASSERT_TRUE(server.started());
    auto devices = pulseDevicesCreate("tobrel-test");
    std::vector<AudioEndpoint> eps;
    ASSERT_EQ(devices->renderEndpoints(eps), OKAY);
    ASSERT_EQ(eps.size(), 2u);
    EXPECT_EQ(eps[0].id, kSpeakersSink);
    EXPECT_EQ(eps[0].interfaceName, kSpeakersDescription);
    EXPECT_EQ(eps[1].id, kEnhancerSink);
    EXPECT_EQ(eps[1].interfaceName, kEnhancerDescription);
    EXPECT_FALSE(eps[1].description.empty());
    std::string id;
    bool found = false;
    ASSERT_EQ(devices->defaultRenderEndpoint(id, found), OKAY);
    EXPECT_TRUE(found);
    EXPECT_EQ(id, kSpeakersSink);

    // The same order on every enumeration.
    std::vector<AudioEndpoint> again;
    ASSERT_EQ(devices->renderEndpoints(again), OKAY);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0].id, eps[0].id);
    EXPECT_EQ(again[1].id, eps[1].id);
}

TEST(PulseDevices, MixFormatIsFloatWithAtLeastTwoChannelsAnd44100) {
    struct Case {
        uint32_t rate;
        uint16_t channels;
        uint32_t wantRate;
        uint16_t wantChannels;
    };
    for (const Case c : {Case{96000, 2, 96000, 2}, Case{22050, 1, 48000, 2}, Case{44100, 6, 44100, 6}}) {
        SCOPED_TRACE(c.rate);
        PulseServer server({c.rate, c.channels, false});
        ASSERT_TRUE(server.started());
        auto devices = pulseDevicesCreate("tobrel-test");
        std::unique_ptr<AudioStream> s;
        ASSERT_EQ(devices->activate(kSpeakersSink, s), OKAY);
        AudioFormat f;
        ASSERT_EQ(s->mixFormat(f), OKAY);
        EXPECT_EQ(f, audioFloatFormat(c.wantChannels, c.wantRate));
    }
}

TEST(PulseDevices, LoopbackCapturesWhatIsPlayedAndBoundsEachCall) {
    testsupport::TempDir dir;
    // A mono 22050 Hz sink: the stream asks for 48000 Hz stereo and the server converts.
    for (const PulseServerOptions opts :
         {PulseServerOptions{48000, 2, true}, PulseServerOptions{22050, 1, false},
          PulseServerOptions{44100, 6, false}}) {
        SCOPED_TRACE(opts.speakersRate);
        LoopbackRig rig(opts);
        ASSERT_TRUE(rig.capture);
        AudioStream* s = rig.capture.get();
        const AudioFormat& f = rig.format;
        uint32_t bufferFrames = 0;
        ASSERT_EQ(s->bufferFrames(bufferFrames), OKAY);
        EXPECT_EQ(bufferFrames, f.sampleRate / 5);
        ASSERT_EQ(s->start(), OKAY);
        EXPECT_EQ(s->start(), OKAY);  // starting a running stream is harmless

        // 600 ms of tone, not read while it plays: more than one buffer piles up.
        const std::string wav = dir.file("tone.wav");
        ASSERT_TRUE(writeSignal(wav, opts.speakersRate, {{1000, 600}, {0, 100}}));
        ASSERT_EQ(play(wav), 0);
        const Drained d = drain(*s->captureService(), f, 300);
        ASSERT_FALSE(d.failed);
        EXPECT_LE(d.largestCall, bufferFrames);
        EXPECT_EQ(d.notOnePeriod, 0u);  // whatever the server's fragments were
        EXPECT_NEAR(static_cast<double>(d.loudFrames), 0.6 * f.sampleRate, 0.03 * f.sampleRate);
    }
}

TEST(PulseDevices, CorkedUntilStartedAndFlushedByReset) {
    testsupport::TempDir dir;
    LoopbackRig rig;
    ASSERT_TRUE(rig.capture);
    AudioStream* s = rig.capture.get();
    const AudioFormat& f = rig.format;
    const std::string wav = dir.file("tone.wav");
    ASSERT_TRUE(writeSignal(wav, 48000, {{500, 300}}));
    ASSERT_EQ(play(wav), 0);  // played before start: not captured
    ASSERT_EQ(s->start(), OKAY);
    Drained d = drain(*s->captureService(), f, 100);
    EXPECT_EQ(d.loudFrames, 0u);

    ASSERT_EQ(s->stop(), OKAY);
    ASSERT_EQ(play(wav), 0);  // stopped: not captured either
    ASSERT_EQ(s->reset(), OKAY);
    ASSERT_EQ(s->start(), OKAY);
    d = drain(*s->captureService(), f, 100);
    EXPECT_EQ(d.loudFrames, 0u);
}

TEST(PulseDevices, RenderReachesTheMonitor) {
    LoopbackRig rig;
    ASSERT_TRUE(rig.capture);
    AudioStream* cap = rig.capture.get();
    const AudioFormat& f = rig.format;
    ASSERT_EQ(cap->start(), OKAY);

    std::unique_ptr<AudioStream> out;
    ASSERT_EQ(rig.devices->activate(kSpeakersSink, out), OKAY);
    AudioFormat rf;
    ASSERT_EQ(out->mixFormat(rf), OKAY);
    ASSERT_EQ(out->initialize(AudioDirection::Render, 2000000), OKAY);
    AudioRenderService* r = out->renderService();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(out->captureService(), nullptr);
    uint32_t frames = 0, pad = 99;
    ASSERT_EQ(out->bufferFrames(frames), OKAY);
    EXPECT_NEAR(frames, 9600, 480);
    ASSERT_EQ(r->padding(pad), OKAY);
    EXPECT_EQ(pad, 0u);

    // Feed 300 ms of tone in 10 ms pieces, the way the playback step does.
    ASSERT_EQ(out->start(), OKAY);
    uint64_t written = 0, phase = 0;
    while (written < 14400) {
        ASSERT_EQ(r->padding(pad), OKAY);
        const uint32_t n = std::min<uint32_t>(frames - pad, 480);
        if (n > 0) {
            float* buf = nullptr;
            ASSERT_EQ(r->getBuffer(n, buf), OKAY);
            for (uint32_t i = 0; i < n; ++i, ++phase)
                buf[2 * i] = buf[2 * i + 1] =
                    static_cast<float>(0.5 * std::sin(2 * M_PI * 440 * phase / 48000.0));
            ASSERT_EQ(r->releaseBuffer(n), OKAY);
            written += n;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const Drained d = drain(*cap->captureService(), f, 500);
    ASSERT_FALSE(d.failed);
    EXPECT_NEAR(static_cast<double>(d.loudFrames), 14400, 800);
}

TEST(PulseDevices, LostServerFailsPacketsAndRestartedServerIsFoundAgain) {
    LoopbackRig rig;
    ASSERT_TRUE(rig.capture);
    AudioStream* s = rig.capture.get();
    PulseServer& server = rig.server;
    AudioDevices* devices = rig.devices.get();
    AudioFormat f;
    ASSERT_EQ(s->start(), OKAY);
    server.kill();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    uint32_t n = 0;
    EXPECT_NE(s->captureService()->padding(n), OKAY);
    EXPECT_NE(s->captureService()->nextPacketSize(n), OKAY);
    EXPECT_NE(s->start(), OKAY);
    EXPECT_EQ(s->lastError().rfind("the stream is gone: ", 0), 0u) << s->lastError();

    // Gone: no outputs, not a failure.
    std::vector<AudioEndpoint> eps{AudioEndpoint{}};
    ASSERT_EQ(devices->renderEndpoints(eps), OKAY);
    EXPECT_TRUE(eps.empty());
    std::string id = "x";
    bool found = true;
    ASSERT_EQ(devices->defaultRenderEndpoint(id, found), OKAY);
    EXPECT_FALSE(found);
    std::unique_ptr<AudioStream> none;
    EXPECT_NE(devices->activate(kSpeakersSink, none), OKAY);

    ASSERT_TRUE(server.start());
    ASSERT_EQ(devices->renderEndpoints(eps), OKAY);
    EXPECT_EQ(eps.size(), 2u);
    auto again = loopback(*devices, kSpeakersSink, f);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->start(), OKAY);
}

TEST(PulseDevices, UnreachableServerHasNoOutputs) {
    testsupport::TempDir dir;
    testsupport::ScopedEnv env("PULSE_SERVER", "unix:" + dir.file("nothing-here"));
    auto devices = pulseDevicesCreate("tobrel-test");
    std::vector<AudioEndpoint> eps;
    ASSERT_EQ(devices->renderEndpoints(eps), OKAY);
    EXPECT_TRUE(eps.empty());
    std::string id;
    bool found = true;
    ASSERT_EQ(devices->defaultRenderEndpoint(id, found), OKAY);
    EXPECT_FALSE(found);
    // Asked for a stream, it fails and says why in the server's words.
    std::unique_ptr<AudioStream> none;
    EXPECT_NE(devices->activate(kSpeakersSink, none), OKAY);
    EXPECT_EQ(devices->lastError(), "connecting to the sound server: Connection refused");
}
