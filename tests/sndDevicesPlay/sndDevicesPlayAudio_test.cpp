// File playback through a real sound server: the engine comes up on a private
// PulseAudio server, plays a scrambled cache track to the default null sink,
// and parec records the sink's monitor. The recording must hold the track's
// samples exactly (float rounding aside), in order, with no gap and no block
// played twice, while an MP3 pre-encoding keeps the other core busy. At a
// sink rate of 96000 Hz the same holds with every frame sent twice.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "CsndDevicesWaveFile.h"
#include "pulseDevices.h"
#include "pulseFixture.h"
#include "report.h"
#include "sndDevicesEngine.h"
#include "sndDevicesPlay.h"
#include "sndDevicesPreEncode.h"
#include "sndDevicesScramble.h"
#include "testsupport.h"

namespace {

using namespace std::chrono_literals;

// Stereo noise from a fixed generator: every block differs from every other,
// so a gap or a repeated block cannot line up by chance. The first frame is
// loud in both channels, which marks where the track begins in the recording.
std::vector<int16_t> noise(size_t frames, uint32_t seed) {
    std::vector<int16_t> s(frames * 2);
    uint32_t x = seed;
    for (int16_t& v : s) {
        x = x * 1664525u + 1013904223u;
        v = static_cast<int16_t>(x >> 16);
    }
    s[0] = 20000;
    s[1] = -20000;
    return s;
}

// A cache file as the recorder writes one: our writer, samples scrambled.
void writeCacheTrack(const std::string& path, uint32_t rate, std::vector<int16_t> samples, uint16_t key) {
    sndDevicesScrambleSamples(samples.data(), samples.size(), key);
    CsndDevicesWaveFile writer;
    const AudioFormat format = audioPcm16Format(2, rate);
    ASSERT_EQ(writer.open(path, &format, kWaveModeWrite), kWaveSOk);
    uint32_t written = 0;
    ASSERT_EQ(writer.write(uint32_t(samples.size() * 2), samples.data(), &written), kWaveSOk);
    ASSERT_EQ(writer.close(), kWaveSOk);
}

std::vector<float> readFloats(const std::string& path) {
    const auto bytes = testsupport::readBytes(path);
    std::vector<float> out(bytes.size() / 4);
    std::memcpy(out.data(), bytes.data(), out.size() * 4);
    return out;
}

// The default sink's rate: at 96000 Hz the 48000 Hz track goes out with every
// frame twice.
class PlayAudio : public ::testing::TestWithParam<uint32_t> {};

TEST_P(PlayAudio, ScrambledTrackReachesTheSinkIntactUnderPreEncoding) {
    ReportRecorder reports;
    pulsefixture::PulseServerOptions options;
    options.speakersRate = GetParam();
    pulsefixture::PulseServer server(options);
    ASSERT_TRUE(server.started());
    testsupport::TempDir dir;

    sndDevicesContext ctx;
    auto devices = pulseDevicesCreate("Tobrel playback test");
    ctx.devices = devices.get();
    const char* encoder = std::getenv("TOBREL_LAME_ENC");
    ASSERT_TRUE(encoder);
    ctx.encoderLibrary = encoder;
    ASSERT_EQ(sndDevicesInit(ctx, nullptr, kSndEngineModeLoopback, 0), OKAY);
    ASSERT_TRUE(ctx.streams.renderAudioClient && ctx.streams.renderClient);
    const uint32_t rate = ctx.streams.cacheFormat.sampleRate;
    ASSERT_EQ(rate, 48000u);
    const uint32_t d = GetParam() / rate;
    ASSERT_EQ(ctx.streams.decimation, d);
    sndDevicesSettingsChange(ctx, [&](sndDevicesSettings& s) {
        s.cacheFolder = dir.str();
        s.scrambleKey = kSndScrambleKey;
    });

    // 11 s of noise to play, and a minute of it to pre-encode again and again.
    const size_t frames = size_t(rate) * 11;
    const auto track = noise(frames, 1);
    writeCacheTrack(dir.file("1_11000_1.tmp"), rate, track, kSndScrambleKey);
    writeCacheTrack(dir.file("2_60000_2.tmp"), rate, noise(size_t(rate) * 60, 2), kSndScrambleKey);

    const std::string captured = dir.file("monitor.raw");
    const pid_t parec = pulsefixture::spawnProgram(
        {"parec", "--raw", "--format=float32le", "--rate=" + std::to_string(GetParam()), "--channels=2",
         "--latency-msec=20", "--device=" + std::string(pulsefixture::kSpeakersSink) + ".monitor", captured});
    ASSERT_GT(parec, 0);
    std::this_thread::sleep_for(300ms);  // parec connected and recording silence

    int encodings = 0;
    auto keepEncoding = [&] {
        if (ctx.preEncoding.running.load() > 0) return;
        ASSERT_EQ(sndDevicesStartPreEncoding(ctx, dir.file("2_60000_2.tmp"), dir.file("2_60000_2")), OKAY);
        ++encodings;
    };
    keepEncoding();

    int length = 0, code = -1;
    ASSERT_EQ(sndDevicesPlayLoad(ctx, "1_11000_1", length), OKAY);
    ASSERT_EQ(length, 11000);
    ASSERT_EQ(sndDevicesPlayPlay(ctx, code), OKAY);
    ASSERT_EQ(code, 0);

    // Poll as the window's timer does, until the track has ended.
    int playing = 1, position = 0, busyPolls = 0, polls = 0;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (playing && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(100ms);
        keepEncoding();
        ASSERT_EQ(sndDevicesPlayStatus(ctx, playing, position, length), OKAY);
        ++polls;
        if (ctx.preEncoding.running.load() > 0) ++busyPolls;
    }
    ASSERT_EQ(playing, 0) << "the track did not end";
    EXPECT_EQ(position, 0);
    std::this_thread::sleep_for(500ms);  // the queued tail plays out
    ASSERT_EQ(sndDevicesPlayRewind(ctx), OKAY);
    ASSERT_EQ(sndDevicesPlayClose(ctx), OKAY);
    ::kill(parec, SIGINT);
    pulsefixture::waitProgram(parec);
    // A pre-encoding ran through practically the whole playback.
    EXPECT_GE(busyPolls * 10, polls * 9) << encodings << " pre-encodings started";
    // ... and did encode: a run that ended before the track did left its MP3.
    if (encodings > 1) {
        EXPECT_TRUE(std::filesystem::exists(dir.file("2_60000_2.dat")));
    }

    const auto monitor = readFloats(captured);
    size_t start = 0;
    while (start < monitor.size() && monitor[start] == 0.0f) ++start;
    ASSERT_LT(start, monitor.size()) << "nothing reached the sink";
    ASSERT_EQ(start % 2, 0u) << "left and right swapped";
    ASSERT_GE(monitor.size() - start, track.size() * d) << "the recording is short of the track";
    size_t mismatches = 0, first = 0;
    for (size_t i = 0; i < track.size() * d; ++i) {
        const size_t frame = i / 2 / d, channel = i % 2;
        if (std::fabs(monitor[start + i] - float(track[2 * frame + channel]) / 32768.0f) > 1e-6f) {
            if (mismatches++ == 0) first = i;
        }
    }
    std::printf("[ info ] sink %u Hz: track at monitor frame %zu, %d pre-encodings\n", GetParam(), start / 2,
                encodings);
    EXPECT_EQ(mismatches, 0u) << "first at sink frame " << first / 2 << " of " << frames * d;
    // After the track: silence only.
    for (size_t i = start + track.size() * d; i < monitor.size(); ++i) ASSERT_EQ(monitor[i], 0.0f) << i;
    EXPECT_EQ(reports.count(), 0u);

    ASSERT_EQ(sndDevicesShutdown(ctx), OKAY);
}

INSTANTIATE_TEST_SUITE_P(SinkRates, PlayAudio, ::testing::Values(48000u, 96000u));

}  // namespace
