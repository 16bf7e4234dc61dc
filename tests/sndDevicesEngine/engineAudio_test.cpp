// The engine end to end on a private PulseAudio server with a default null
// sink and the enhancer's null sink: signals played through the default sink
// become cache files of the played lengths (at 48 and 96 kHz), a server killed
// and restarted mid-recording is recovered from, a server gone for good ends
// the record thread with 209, and a recorder killed mid-recording leaves a
// file that the next start turns into a track.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "engineTestSupport.h"
#include "pstr.h"
#include "pulseDevices.h"
#include "pulseFixture.h"
#include "sndDevicesScramble.h"
#include "testsupport.h"

using namespace enginetest;
using namespace pulsefixture;
namespace fs = std::filesystem;

namespace {

struct Track {
    long start = 0, lengthMs = 0;
    std::string path;
};

// The finished tracks of a cache folder ("start_length_number.ext"), oldest first.
std::vector<Track> tracks(const std::string& folder, const std::string& ext) {
    std::vector<Track> out;
    for (const auto& f : fs::directory_iterator(folder)) {
        long start = 0, length = 0, number = 0;
        const std::string name = f.path().filename().string();
        if (f.path().extension() == "." + ext &&
            std::sscanf(name.c_str(), "%ld_%ld_%ld.", &start, &length, &number) == 3)
            out.push_back(Track{start, length, f.path().string()});
    }
    std::sort(out.begin(), out.end(), [](const Track& a, const Track& b) { return a.start < b.start; });
    return out;
}

struct CacheAudio {
    uint32_t rate = 0;
    std::vector<int16_t> left;
};

CacheAudio readCache(const std::string& path, uint16_t key) {
    const std::vector<unsigned char> b = testsupport::readBytes(path);
    CacheAudio a;
    if (b.size() < 56) return a;
    a.rate = b[24] | b[25] << 8 | b[26] << 16 | static_cast<uint32_t>(b[27]) << 24;
    std::vector<unsigned char> data(b.begin() + 56, b.end());
    if (key) sndDevicesUnscrambleBytes(data.data(), data.size(), key);
    for (size_t i = 0; i + 3 < data.size(); i += 4)
        a.left.push_back(static_cast<int16_t>(data[i] | data[i + 1] << 8));
    return a;
}

// Sign changes: a sine of f Hz over s seconds has about 2 f s.
size_t crossings(const std::vector<int16_t>& v) {
    size_t n = 0;
    for (size_t i = 1; i < v.size(); ++i) n += (v[i - 1] < 0) != (v[i] < 0);
    return n;
}

struct PulseEngine {
    explicit PulseEngine(const std::string& folder, uint16_t key)
        : devices(pulseDevicesCreate("tobrel-test")), engine(*devices) {
        ok = sndDevicesInit(engine.context, nullptr, kSndEngineModeLoopback, 0) == OKAY &&
             sndDevicesSetCacheFolder(engine.context, folder) == OKAY &&
             sndDevicesSetScrambleKey(engine.context, key) == OKAY;
        int result = -1;
        ok = ok && sndDevicesSetRecordState(engine.context, kSndRecordArm, result) == OKAY && result == 0;
    }
    sndDevicesContext& context() { return engine.context; }
    std::unique_ptr<AudioDevices> devices;
    Engine engine;
    bool ok = false;
};

// Three kept signals of different lengths and a 1.5 s one, 3 s of digital
// silence between them, played through the default sink; the cache must hold
// exactly the three, each within 50 ms of its played length.
void recordsThreeOfFour(uint32_t rate, uint16_t key) {
    PulseServer server({rate, 2, true});
    ASSERT_TRUE(server.started());
    testsupport::TempDir cache, scratch;
    PulseEngine e(cache.str(), key);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.context().endpoints.deviceCount, 2);
    EXPECT_EQ(e.context().endpoints.userDeviceCount, 1);
    EXPECT_EQ(e.context().endpoints.endpointIds[e.context().endpoints.captureEndpoint], kSpeakersSink);
    EXPECT_EQ(e.context().streams.captureFormat, audioFloatFormat(2, rate));
    EXPECT_EQ(e.context().streams.decimation, rate / 48000);

    const std::vector<Segment> signal = {{440, 2200}, {0, 3000}, {660, 2600}, {0, 3000},
                                         {880, 1500}, {0, 3000}, {550, 3000}, {0, 300}};
    const std::string wav = scratch.file("signal.wav");
    ASSERT_TRUE(writeSignal(wav, rate, signal));
    ASSERT_EQ(play(wav), 0);
    ASSERT_TRUE(waitUntil([&] { return e.context().record.recording.load() == 0; }, 2000));

    const char* ext = key ? "tmp" : "wav";
    const std::vector<Track> kept = tracks(cache.str(), ext);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_FALSE(fs::exists(cache.file(std::string("sdrtfn.") + ext)));
    const struct {
        int ms;
        double hz;
    } expected[] = {{2200, 440}, {2600, 660}, {3000, 550}};
    for (size_t i = 0; i < kept.size(); ++i) {
        SCOPED_TRACE(kept[i].path);
        EXPECT_NEAR(kept[i].lengthMs, expected[i].ms, 50);
        const CacheAudio audio = readCache(kept[i].path, key);
        EXPECT_EQ(audio.rate, 48000u);
        EXPECT_NEAR(audio.left.size() * 1000.0 / 48000, kept[i].lengthMs, 1.0);
        EXPECT_NEAR(static_cast<double>(crossings(audio.left)), 2 * expected[i].hz * expected[i].ms / 1000,
                    0.02 * 2 * expected[i].hz * expected[i].ms / 1000);
        if (i > 0) {
            EXPECT_GE(kept[i].start - kept[i - 1].start, 4);
        }
    }
    EXPECT_EQ(lastName(e.context()), pstrStripExtension(fs::path(kept.back().path).filename().string()));
    if (!key) {  // plain caches are WAV files sox reads
        const std::string out = scratch.file("soxi.txt");
        ASSERT_EQ(runProgram({"sh", "-c", "soxi -D '" + kept[0].path + "' > '" + out + "'"}), 0);
        EXPECT_NEAR(std::stod(testsupport::readText(out)), kept[0].lengthMs / 1000.0, 0.002);
    }
}

}  // namespace

TEST(EngineAudioSegments48k, ThreeTracksOfFourSignals) { recordsThreeOfFour(48000, 0); }

TEST(EngineAudioSegments96k, ThreeTracksOfFourSignalsDecimated) {
    recordsThreeOfFour(96000, kSndScrambleKey);
}

TEST(EngineAudioRecovery, ServerKilledAndRestartedMidRecording) {
    PulseServer server;
    ASSERT_TRUE(server.started());
    testsupport::TempDir cache, scratch;
    PulseEngine e(cache.str(), kSndScrambleKey);
    ASSERT_TRUE(e.ok);
    const std::string first = scratch.file("first.wav"), second = scratch.file("second.wav");
    ASSERT_TRUE(writeSignal(first, 48000, {{440, 5000}}));
    ASSERT_TRUE(writeSignal(second, 48000, {{660, 2500}, {0, 300}}));

    const pid_t player = playAsync(first);
    ASSERT_TRUE(waitUntil([&] { return e.context().record.recordDurationMs.load() >= 2500.0f; }, 5000));
    server.kill();
    waitProgram(player);  // paplay loses its server too
    ASSERT_TRUE(server.start());
    // Back on the restarted server: the thread runs on and the next signal is recorded.
    ASSERT_TRUE(waitUntil([&] { return e.context().record.recording.load() == 0; }, 3000));
    ASSERT_EQ(play(second), 0);
    ASSERT_TRUE(waitUntil([&] { return e.context().record.recording.load() == 0; }, 2000));
    EXPECT_EQ(e.context().record.threadRunning.load(), 1);

    const std::vector<Track> kept = tracks(cache.str(), "tmp");
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_GE(kept[0].lengthMs, 2500);  // what was recorded before the server went away
    EXPECT_LE(kept[0].lengthMs, 3000);
    EXPECT_NEAR(kept[1].lengthMs, 2500, 50);
}

TEST(EngineAudioRecovery, RecorderKilledMidRecordingLeavesATrack) {
    PulseServer server;
    ASSERT_TRUE(server.started());
    testsupport::TempDir cache, scratch;
    const std::string wav = scratch.file("tone.wav");
    ASSERT_TRUE(writeSignal(wav, 48000, {{440, 6000}}));
    const char* recorder = std::getenv("TOBREL_ENGINE_RECORD");
    ASSERT_NE(recorder, nullptr);

    const pid_t child =
        spawnProgram({recorder, cache.str(), "0", std::to_string(kSndScrambleKey), encoderLibraryPath()});
    ASSERT_GT(child, 0);
    const std::string temp = cache.file("sdrtfn.tmp");
    // Armed within a few hundred ms; then play and wait for 3 s of audio on disk.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const pid_t player = playAsync(wav);
    ASSERT_TRUE(waitUntil([&] { return fs::exists(temp) && fs::file_size(temp) >= 56 + 3 * 192000; }, 8000));
    ::kill(child, SIGKILL);
    waitProgram(child);
    ::kill(player, SIGKILL);
    waitProgram(player);
    const auto onDisk = fs::file_size(temp);

    PulseEngine e(cache.str(), kSndScrambleKey);
    ASSERT_TRUE(e.ok);
    EXPECT_FALSE(fs::exists(temp));
    const std::vector<Track> kept = tracks(cache.str(), "tmp");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(lastName(e.context()), pstrStripExtension(fs::path(kept[0].path).filename().string()));
    const long frames = static_cast<long>((onDisk - 56) / 4);
    EXPECT_EQ(kept[0].lengthMs, frames * 1000 / 48000);
    EXPECT_EQ(fs::file_size(kept[0].path), 56 + static_cast<uintmax_t>(frames) * 4);
    const CacheAudio audio = readCache(kept[0].path, kSndScrambleKey);
    EXPECT_NEAR(static_cast<double>(crossings(audio.left)), 2 * 440 * frames / 48000.0,
                0.02 * 2 * 440 * frames / 48000.0);
}
