// File playback over the scripted render stream: loading and lengths, seeking
// by whole blocks, the step's conversion (gain, channel layouts, frame
// repetition, unscrambling), the controls' effect on the render stream, the
// end of a track on the real playback thread, and the internal errors.
//
// Most tests drive the step by hand: a finished stand-in thread sits in the
// context's thread slot, so play does not start the real one.
#include <gtest/gtest.h>

#include <functional>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <future>
#include <thread>

#include "CsndDevicesWaveFile.h"
#include "report.h"
#include "scriptedRender.h"
#include "sndDevicesEngine.h"
#include "sndDevicesPlay.h"
#include "sndDevicesScramble.h"
#include "testsupport.h"

namespace {

constexpr uint16_t kKey = kSndScrambleKey;

// Interleaved stereo test signal covering the whole 16-bit range, with left
// and right different in every frame.
std::vector<int16_t> testSignal(size_t frames) {
    std::vector<int16_t> s(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        s[2 * i] = static_cast<int16_t>(uint16_t(i * 7919u + 12345u));
        s[2 * i + 1] = static_cast<int16_t>(uint16_t(~(i * 104729u)));
    }
    return s;
}

void put16(std::vector<unsigned char>& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(std::vector<unsigned char>& b, uint32_t v) {
    put16(b, uint16_t(v));
    put16(b, uint16_t(v >> 16));
}

// A cache file laid out by hand (RIFF, fmt, fact, data), its samples scrambled
// with `key`. `bits` other than 16 only writes a header that claims so.
void writeCacheFile(const std::string& path, uint32_t rate, uint16_t channels,
                    const std::vector<int16_t>& samples, uint16_t key, uint16_t bits = 16) {
    std::vector<unsigned char> b;
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    put32(b, 48 + dataBytes);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(b, 16);
    put16(b, 1);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * channels * bits / 8);
    put16(b, uint16_t(channels * bits / 8));
    put16(b, bits);
    b.insert(b.end(), {'f', 'a', 'c', 't'});
    put32(b, 4);
    put32(b, 0);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put32(b, dataBytes);
    for (int16_t s : samples) put16(b, key ? sndDevicesScramble(uint16_t(s), key) : uint16_t(s));
    testsupport::writeBytes(path, b);
}

float toFloat(int16_t s, float gain = 1.0f) { return float(s) * (gain / 32768.0f); }

class PlayTest : public ::testing::Test {
  protected:
    ReportRecorder reports;
    testsupport::TempDir dir;
    sndDevicesContext ctx;
    ScriptedRenderStream* render = nullptr;

    PlayTest() {
        sndDevicesSettingsChange(ctx, [&](sndDevicesSettings& s) {
            s.cacheFolder = dir.str();
            s.scrambleKey = kKey;
        });
    }

    // A render stream as the engine sets one up: float frames at `rate`, the
    // render buffers sized for 200.2 ms of it.
    void attachRender(uint16_t channels, uint32_t rate, uint32_t decimation = 1, uint32_t bufferFrames = 0) {
        if (bufferFrames == 0) bufferFrames = rate / 5;
        auto stream = std::make_unique<ScriptedRenderStream>(channels, rate, bufferFrames);
        ASSERT_EQ(stream->initialize(AudioDirection::Render, 2000000), OKAY);
        render = stream.get();
        ctx.streams.renderClient = stream->renderService();
        ctx.streams.renderAudioClient = std::move(stream);
        ctx.streams.renderFormat = audioFloatFormat(channels, rate);
        ctx.streams.renderBufferFrames = bufferFrames;
        ctx.streams.decimation = decimation;
        ctx.streams.renderBufferElements = size_t(double(channels) * rate * 100 * 1.001 / 500);
        ctx.streams.renderBufferA.assign(ctx.streams.renderBufferElements * 2, 0);
        ctx.streams.renderBufferB.assign(ctx.streams.renderBufferElements, 0.0f);
    }

    // Keeps play from starting the real playback thread.
    void standInThread() {
        ctx.playbackThread = std::thread([] {});
    }

    int load(const std::string& name) {
        int length = -1;
        EXPECT_EQ(sndDevicesPlayLoad(ctx, name, length), OKAY);
        return length;
    }

    // Loads a scrambled stereo track and plays it (stand-in thread).
    std::vector<int16_t> loadAndPlay(uint32_t rate, size_t frames) {
        auto signal = testSignal(frames);
        writeCacheFile(dir.file("t.tmp"), rate, 2, signal, kKey);
        EXPECT_GT(load("t"), 0);
        standInThread();
        int code = -1;
        EXPECT_EQ(sndDevicesPlayPlay(ctx, code), OKAY);
        EXPECT_EQ(code, 0);
        return signal;
    }

    int step() {
        int code = -1;
        EXPECT_EQ(sndDevicesDoFilePlayback(ctx, code), OKAY);
        return code;
    }

    struct Status {
        int playing, position, length;
    };
    Status status() {
        Status s{-1, -1, -1};
        EXPECT_EQ(sndDevicesPlayStatus(ctx, s.playing, s.position, s.length), OKAY);
        return s;
    }
};

TEST_F(PlayTest, LengthFollowsDataSizeAndRate) {
    struct Case {
        uint32_t rate;
        size_t frames;
        int length;
    } cases[] = {{44100, 44100, 1000}, {48000, 24000, 500}, {44100, 44099, 999}, {48000, 47, 0}};
    for (const Case& c : cases) {
        writeCacheFile(dir.file("t.tmp"), c.rate, 2, testSignal(c.frames), kKey);
        EXPECT_EQ(load("t"), c.length) << c.rate << " Hz, " << c.frames << " frames";
        const Status s = status();
        EXPECT_EQ(s.length, c.length);
        EXPECT_EQ(s.position, 0);
        EXPECT_EQ(s.playing, 0);
    }
    EXPECT_EQ(reports.count(), 0u);
}

TEST_F(PlayTest, UnplayableFilesLoadAsNothing) {
    // The extension follows the key: without one, only the .wav is looked for.
    writeCacheFile(dir.file("plain.tmp"), 44100, 2, testSignal(44100), 0);
    writeCacheFile(dir.file("eight.tmp"), 44100, 2, testSignal(44100), kKey, 8);
    testsupport::writeText(dir.file("junk.tmp"), std::string(200, 'x'));
    writeCacheFile(dir.file("empty.tmp"), 44100, 2, {}, kKey);
    for (const char* name : {"missing", "eight", "junk", "empty"}) {
        EXPECT_EQ(load(name), 0) << name;
        EXPECT_EQ(status().length, 0) << name;
    }
    sndDevicesSettingsChange(ctx, [](sndDevicesSettings& s) { s.scrambleKey = 0; });
    EXPECT_EQ(load("plain"), 0);
    writeCacheFile(dir.file("plain.wav"), 44100, 2, testSignal(44100), 0);
    EXPECT_EQ(load("plain"), 1000);
    // Play with nothing loaded does nothing, and a failed load unloads the last track.
    attachRender(2, 44100);
    EXPECT_EQ(load("missing"), 0);
    int code = -1;
    EXPECT_EQ(sndDevicesPlayPlay(ctx, code), OKAY);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(ctx.playbackThread.joinable());
    EXPECT_EQ(reports.count(), 0u);
}

TEST_F(PlayTest, StepUnscramblesAndConvertsSampleForSample) {
    attachRender(2, 44100);
    const auto signal = loadAndPlay(44100, 4410);
    EXPECT_EQ(step(), 0);
    const auto out = render->rendered();
    ASSERT_EQ(out.size(), signal.size());  // 100 ms fit in the 200 ms buffer at once
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], toFloat(signal[i])) << i;
    EXPECT_EQ(status().position, 100);
    EXPECT_EQ(step(), kSndCodeEndOfFile);
}

TEST_F(PlayTest, GainScalesEverySampleAndIsClamped) {
    attachRender(2, 48000);
    const auto signal = loadAndPlay(48000, 480);
    EXPECT_EQ(sndDevicesPlaySetGain(ctx, 0.5f), OKAY);
    EXPECT_EQ(step(), 0);
    const auto out = render->rendered();
    ASSERT_EQ(out.size(), signal.size());
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], float(signal[i]) / 65536.0f) << i;

    const std::pair<float, float> clamps[] = {{2.0f, 1.0f}, {-1.0f, 0.0f}, {NAN, 0.0f}, {0.25f, 0.25f}};
    for (auto [in, stored] : clamps) {
        EXPECT_EQ(sndDevicesPlaySetGain(ctx, in), OKAY);
        EXPECT_EQ(ctx.playback.gain.load(), stored) << in;
    }
}

// The level the window reads: the loudest sample played since its last read,
// the gain applied, on every layout of the render stream.
TEST_F(PlayTest, PublishesTheLoudestSamplePlayedWithItsGain) {
    for (uint16_t rc : {1, 2, 6}) {
        SCOPED_TRACE(rc);
        attachRender(rc, 48000);
        std::vector<int16_t> signal(2 * 960);
        for (size_t i = 0; i < signal.size(); ++i) signal[i] = static_cast<int16_t>(int(i % 200) - 100);
        signal[2 * 300 + 1] = -24576;  // the right side of one frame, at -0.75
        writeCacheFile(dir.file("t.tmp"), 48000, 2, signal, kKey);
        ASSERT_GT(load("t"), 0);
        standInThread();
        int code = -1;
        ASSERT_EQ(sndDevicesPlayPlay(ctx, code), OKAY);
        int loudest = 0;
        for (int16_t s : signal) loudest = std::max(loudest, std::abs(int(s)));
        ASSERT_EQ(loudest, 24576);
        ASSERT_EQ(sndDevicesPlaySetGain(ctx, 0.5f), OKAY);
        float captured = -1.0f, played = -1.0f;
        ASSERT_EQ(sndDevicesGetLevels(ctx, captured, played), OKAY);
        EXPECT_EQ(played, 0.0f);  // nothing played yet
        EXPECT_EQ(step(), 0);
        ASSERT_EQ(sndDevicesGetLevels(ctx, captured, played), OKAY);
        EXPECT_EQ(played, 0.375f);
        EXPECT_EQ(captured, 0.0f);
        ASSERT_EQ(sndDevicesGetLevels(ctx, captured, played), OKAY);
        EXPECT_EQ(played, 0.0f);  // taken by the read
        ctx.playbackThread.join();
        EXPECT_EQ(sndDevicesPlayClose(ctx), OKAY);
    }
}

// Expected render frame for a file frame L, R on `rc` channels.
std::vector<float> layout(uint32_t rc, float l, float r) {
    switch (rc) {
        case 1:
            return {(l + r) * 0.5f};
        case 2:
            return {l, r};
        case 4:
            return {l, r, l, r};
        case 6:
            return {l, r, 0, 0, l, r};
        case 8:
            return {l, r, 0, 0, l, r, l, r};
        default: {
            std::vector<float> v(rc, 0.0f);
            v[0] = l, v[1] = r;
            return v;
        }
    }
}

TEST_F(PlayTest, ChannelLayoutsOfTheRenderStream) {
    for (uint16_t rc : {1, 2, 3, 4, 6, 8}) {
        SCOPED_TRACE(rc);
        attachRender(rc, 48000);
        const auto signal = loadAndPlay(48000, 960);
        EXPECT_EQ(step(), 0);
        const auto out = render->rendered();
        ASSERT_EQ(out.size(), 960u * rc);
        for (size_t f = 0; f < 960; ++f) {
            const auto want = layout(rc, toFloat(signal[2 * f]), toFloat(signal[2 * f + 1]));
            ASSERT_TRUE(std::equal(want.begin(), want.end(), out.begin() + f * rc)) << "frame " << f;
        }
        ctx.playbackThread.join();
    }
}

TEST_F(PlayTest, MonoFileFeedsBothSides) {
    attachRender(2, 48000);
    std::vector<int16_t> mono = {100, -200, 32767, -32768};
    writeCacheFile(dir.file("m.tmp"), 48000, 1, mono, kKey);
    ASSERT_EQ(load("m"), 0);  // 8 bytes at 96000 bytes per second round to 0 ms
    std::vector<int16_t> longer(4800);
    for (size_t i = 0; i < longer.size(); ++i) longer[i] = int16_t(i * 13);
    writeCacheFile(dir.file("m.tmp"), 48000, 1, longer, kKey);
    ASSERT_EQ(load("m"), 100);
    standInThread();
    int code = 0;
    ASSERT_EQ(sndDevicesPlayPlay(ctx, code), OKAY);
    EXPECT_EQ(step(), 0);
    const auto out = render->rendered();
    ASSERT_EQ(out.size(), longer.size() * 2);
    for (size_t i = 0; i < longer.size(); ++i) {
        ASSERT_EQ(out[2 * i], toFloat(longer[i]));
        ASSERT_EQ(out[2 * i + 1], toFloat(longer[i]));
    }
}

TEST_F(PlayTest, DoubleRenderRateSendsEachFrameTwice) {
    attachRender(2, 96000, 2, 1920);  // room for 960 file frames a step
    const auto signal = loadAndPlay(48000, 4800);
    EXPECT_EQ(step(), 0);
    const auto out = render->rendered();
    ASSERT_EQ(render->releases(), std::vector<uint32_t>{1920});
    ASSERT_EQ(out.size(), 1920u * 2);
    for (size_t f = 0; f < 960; ++f)
        for (size_t k = 0; k < 2; ++k) {
            ASSERT_EQ(out[4 * f + 2 * k], toFloat(signal[2 * f])) << f;
            ASSERT_EQ(out[4 * f + 2 * k + 1], toFloat(signal[2 * f + 1])) << f;
        }
    EXPECT_EQ(status().position, 20);
}

TEST_F(PlayTest, SeekSkipsWholeBlocksAndClamps) {
    attachRender(2, 44100);
    const auto signal = loadAndPlay(44100, 44100);
    struct Case {
        int request, position;
        size_t firstFrame;  // frame the next step starts with
    } cases[] = {
        {500, 500, 86 * 1024 / 4},   // 86 blocks = 88064 bytes
        {1, 1, 0},                   // 176 bytes: no whole block
        {999, 999, 172 * 1024 / 4},  // 176223 bytes: 172 blocks
        {-20, 0, 0},
        {2500, 1000, 172 * 1024 / 4},  // 176128 bytes: the last 68 frames remain
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        render->clearRendered();
        ASSERT_EQ(sndDevicesPlaySeek(ctx, c.request), OKAY);
        EXPECT_EQ(status().position, c.position);
        EXPECT_EQ(step(), 0);
        const auto out = render->rendered();
        ASSERT_GE(out.size(), 2u);
        EXPECT_EQ(out[0], toFloat(signal[2 * c.firstFrame]));
        EXPECT_EQ(out[1], toFloat(signal[2 * c.firstFrame + 1]));
    }
    EXPECT_EQ(render->rendered().size(), 68u * 2);
    EXPECT_EQ(step(), kSndCodeEndOfFile);
    EXPECT_EQ(reports.count(), 0u);
}

TEST_F(PlayTest, PositionKeepsPaceWithOddSizedSteps) {
    // A render stream that frees 470 frames a step (10.66 ms at 44100 Hz):
    // the position must not fall behind the audio handed over.
    attachRender(2, 44100, 1, 8820);
    loadAndPlay(44100, 44100);
    size_t frames = 0;
    for (int i = 0; i < 80; ++i) {
        render->setPadding(8820 - 470);
        ASSERT_EQ(step(), 0);
        frames = render->rendered().size() / 2;
        ASSERT_EQ(status().position, int(frames * 1000 / 44100)) << "step " << i;
    }
    EXPECT_GE(frames, 80u * 441);
}

TEST_F(PlayTest, PauseCorksAndKeepsThePlace) {
    attachRender(2, 44100, 1, 4410);
    const auto signal = loadAndPlay(44100, 44100);
    EXPECT_EQ(step(), 0);
    EXPECT_EQ(status().position, 100);
    ASSERT_EQ(sndDevicesPlayPause(ctx), OKAY);
    EXPECT_EQ(status().playing, 0);
    EXPECT_FALSE(render->running());
    const size_t before = render->rendered().size();
    EXPECT_EQ(step(), 0);  // paused: nothing is fed
    EXPECT_EQ(render->rendered().size(), before);
    EXPECT_EQ(status().position, 100);

    int code = -1;
    ASSERT_EQ(sndDevicesPlayPlay(ctx, code), OKAY);
    EXPECT_TRUE(render->running());
    EXPECT_EQ(status().playing, 1);
    EXPECT_EQ(step(), 0);
    const auto out = render->rendered();
    ASSERT_EQ(out.size(), 2 * before);
    EXPECT_EQ(out[before], toFloat(signal[before]));  // resumes with the next frame
    EXPECT_EQ(status().position, 200);
    // Queued audio is kept across the pause: no flush.
    EXPECT_EQ(render->controlCalls(), (std::vector<std::string>{"start", "stop", "start"}));
}

TEST_F(PlayTest, StopSeekAndCloseFlushTheStream) {
    attachRender(2, 44100);
    loadAndPlay(44100, 44100);
    ASSERT_EQ(sndDevicesPlaySeek(ctx, 300), OKAY);
    EXPECT_EQ(render->controlCalls(), (std::vector<std::string>{"start", "stop", "reset", "start"}));
    ASSERT_EQ(sndDevicesPlayRewind(ctx), OKAY);
    EXPECT_EQ(render->controlCalls().back(), "reset");
    EXPECT_FALSE(render->running());
    EXPECT_EQ(status().position, 0);
    EXPECT_EQ(status().playing, 0);

    int code = -1;
    ASSERT_EQ(sndDevicesPlayPlay(ctx, code), OKAY);
    EXPECT_TRUE(render->running());
    ASSERT_EQ(sndDevicesPlayClose(ctx), OKAY);
    EXPECT_EQ(render->controlCalls().back(), "reset");
    const Status s = status();
    EXPECT_EQ(s.length, 0);
    EXPECT_EQ(s.playing, 0);
    EXPECT_EQ(s.position, 0);
    EXPECT_EQ(reports.count(), 0u);
}

TEST_F(PlayTest, NoRenderStreamGives208) {
    writeCacheFile(dir.file("t.tmp"), 44100, 2, testSignal(44100), kKey);
    ASSERT_EQ(load("t"), 1000);
    ctx.playback.playing = 1;
    ctx.playback.paused = 1;
    int code = -1;
    ASSERT_EQ(sndDevicesPlayPlay(ctx, code), OKAY);
    EXPECT_EQ(code, kSndCodeNoRenderStream);
    EXPECT_EQ(ctx.playback.playing, 0);
    EXPECT_EQ(ctx.playback.paused, 0);
    EXPECT_FALSE(ctx.playbackThread.joinable());
    // The step without a render stream is an internal error.
    EXPECT_NE(sndDevicesDoFilePlayback(ctx, code), OKAY);
    EXPECT_TRUE(reports.reported("UTIL/sndDevices/sndDevicesFilePlayback"));
}

// The real thread plays a short track to its end: every frame arrives once,
// in order; the track then reads as not playing at position 0 with the reader
// rewound, and the queued tail is left to play out (no flush).
TEST_F(PlayTest, ThreadPlaysToTheEndAndRewinds) {
    attachRender(2, 48000, 1, 960);
    render->setPadding(0);
    writeCacheFile(dir.file("t.tmp"), 48000, 2, testSignal(4800), kKey);
    const auto signal = testSignal(4800);
    ASSERT_EQ(load("t"), 100);
    int code = -1;
    ASSERT_EQ(sndDevicesPlayPlay(ctx, code), OKAY);
    EXPECT_TRUE(ctx.playbackThread.joinable());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (status().playing && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Status s = status();
    EXPECT_EQ(s.playing, 0);
    EXPECT_EQ(s.position, 0);
    EXPECT_EQ(s.length, 100);
    const auto out = render->rendered();
    ASSERT_EQ(out.size(), signal.size());
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], toFloat(signal[i])) << i;
    EXPECT_EQ(render->controlCalls(), std::vector<std::string>{"start"});

    // Stop and close as the transport does: the tail is not dropped.
    ASSERT_EQ(sndDevicesPlayRewind(ctx), OKAY);
    ASSERT_EQ(sndDevicesPlayClose(ctx), OKAY);
    EXPECT_EQ(render->controlCalls(), std::vector<std::string>{"start"});

    // Played again, the track starts from its first frame.
    render->clearRendered();
    ASSERT_EQ(load("t"), 100);
    ASSERT_EQ(sndDevicesPlayPlay(ctx, code), OKAY);
    while (status().playing && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(render->rendered().size(), signal.size());
    EXPECT_EQ(reports.count(), 0u);
}

TEST_F(PlayTest, RenderFailuresAreInternalErrors) {
    attachRender(2, 48000);
    loadAndPlay(48000, 4800);
    ScriptedRenderStream& stream = *render;
    const std::function<void(bool)> failures[] = {
        [&stream](bool on) { stream.setFailPadding(on); },
        [&stream](bool on) { stream.setFailGetBuffer(on); },
        [&stream](bool on) { stream.setFailRelease(on); },
    };
    for (const auto& fail : failures) {
        reports.clear();
        fail(true);
        int code = -1;
        EXPECT_EQ(sndDevicesDoFilePlayback(ctx, code), NOT_OKAY);
        EXPECT_TRUE(reports.reported("UTIL/sndDevices/sndDevicesFilePlayback"));
        fail(false);
        ASSERT_EQ(sndDevicesPlaySeek(ctx, 0), OKAY);
    }
}

TEST_F(PlayTest, FailingStepStopsTheTrackButNotTheThread) {
    attachRender(2, 48000);
    writeCacheFile(dir.file("t.tmp"), 48000, 2, testSignal(4800), kKey);
    ASSERT_EQ(load("t"), 100);
    render->setFailGetBuffer(true);
    int code = -1;
    ASSERT_EQ(sndDevicesPlayPlay(ctx, code), OKAY);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (reports.count() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(reports.reported("UTIL/sndDevices/sndDevicesFilePlayback"));
    while (status().playing && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(status().playing, 0);

    render->setFailGetBuffer(false);
    ASSERT_EQ(sndDevicesPlaySeek(ctx, 0), OKAY);
    ASSERT_EQ(sndDevicesPlayPlay(ctx, code), OKAY);
    while (status().playing && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(render->rendered().size(), 9600u);
}

TEST_F(PlayTest, MutexHeldTooLongIsAnInternalError) {
    writeCacheFile(dir.file("t.tmp"), 44100, 2, testSignal(44100), kKey);
    ASSERT_EQ(load("t"), 1000);
    std::promise<void> locked, release;
    std::thread holder([&] {
        std::lock_guard lock(ctx.playbackMutex);
        locked.set_value();
        release.get_future().wait();
    });
    locked.get_future().wait();
    const auto started = std::chrono::steady_clock::now();
    int playing = 0, position = 0, length = 0;
    EXPECT_EQ(sndDevicesPlayStatus(ctx, playing, position, length), NOT_OKAY);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(190));
    EXPECT_TRUE(reports.reported("UTIL/sndDevices/sndDevicesPlay"));
    EXPECT_EQ(sndDevicesPlaySeek(ctx, 10), NOT_OKAY);
    release.set_value();
    holder.join();
    EXPECT_EQ(sndDevicesPlayStatus(ctx, playing, position, length), OKAY);
    EXPECT_EQ(length, 1000);
}

TEST_F(PlayTest, ThePlaybackThreadReportsAMutexThatStaysTakenOnceAnEpisode) {
    attachRender(2, 48000, 1, 960);
    render->setPadding(0);
    writeCacheFile(dir.file("t.tmp"), 48000, 2, testSignal(48000 * 20), kKey);
    ASSERT_EQ(load("t"), 20000);
    int code = -1;
    ASSERT_EQ(sndDevicesPlayPlay(ctx, code), OKAY);
    const auto threadReports = [&] {
        size_t n = 0;
        for (const InternalError& e : reports.reports()) n += e.module.ends_with("sndDevicesFilePlayback");
        return n;
    };
    for (const int heldMs : {1100, 500}) {
        // The mutex stays taken for heldMs (a sound server that does not
        // answer), then the thread steps again.
        const int before = status().position;
        {
            std::lock_guard lock(ctx.playbackMutex);
            std::this_thread::sleep_for(std::chrono::milliseconds(heldMs));
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (status().position <= before && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_GT(status().position, before);
    }
    EXPECT_EQ(threadReports(), 2u);  // one for each episode, not one each 200 ms
}

}  // namespace
