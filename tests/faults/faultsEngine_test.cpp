// Fault injection on the engine with real parts: the private sound server
// stopped and started again (4 s and 30 s away, and absent when the engine
// starts), the cache folder on a small tmpfs that fills up and is freed, and
// the cache folder deleted in the middle of a recording. In every case the
// record thread lives on, and recording resumes once the cause is gone.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engineTestSupport.h"
#include "pulseDevices.h"
#include "pulseFixture.h"
#include "testsupport.h"

using namespace enginetest;
using namespace pulsefixture;
namespace fs = std::filesystem;

namespace {

// Lengths in ms of the finished tracks of a cache folder, oldest first.
std::vector<long> trackLengths(const std::string& folder) {
    std::vector<std::pair<long, long>> found;
    for (const auto& f : fs::directory_iterator(folder)) {
        long start = 0, length = 0, number = 0;
        const std::string name = f.path().filename().string();
        if (f.path().extension() == ".tmp" &&
            std::sscanf(name.c_str(), "%ld_%ld_%ld.", &start, &length, &number) == 3)
            found.emplace_back(start, length);
    }
    std::sort(found.begin(), found.end());
    std::vector<long> out;
    for (const auto& f : found) out.push_back(f.second);
    return out;
}

struct PulseEngine {
    explicit PulseEngine(const std::string& folder)
        : devices(pulseDevicesCreate("tobrel-faults")), engine(*devices) {
        ok = sndDevicesInit(engine.context, nullptr, kSndEngineModeLoopback, 0) == OKAY &&
             sndDevicesSetCacheFolder(engine.context, folder) == OKAY &&
             sndDevicesSetScrambleKey(engine.context, kSndScrambleKey) == OKAY &&
             sndDevicesSetRecordState(engine.context, kSndRecordArm, armResult) == OKAY;
    }
    sndDevicesContext& context() { return engine.context; }
    std::unique_ptr<AudioDevices> devices;
    Engine engine;
    int armResult = -1;
    bool ok = false;
};

// Plays a tone of `ms` and waits until the engine has finished its track.
void recordTone(PulseEngine& e, const std::string& scratch, int ms) {
    const std::string wav = scratch + "/tone" + std::to_string(ms) + ".wav";
    ASSERT_TRUE(writeSignal(wav, 48000, {{440, ms}, {0, 300}}));
    ASSERT_EQ(play(wav), 0);
    ASSERT_TRUE(waitUntil([&] { return e.context().record.recording.load() == 0; }, 3000));
}

// Milliseconds until `done` holds (at most `limit`; more means it never did).
long msUntil(const std::function<bool()>& done, int limit) {
    const auto start = std::chrono::steady_clock::now();
    waitUntil(done, limit);
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

// A tmpfs of `size` mounted on a fresh folder; unmounted when it goes.
class SmallFs {
  public:
    SmallFs(const std::string& folder, const char* size) : folder_(folder) {
        fs::create_directories(folder_);
        mounted_ =
            ::mount("tobrel-faults", folder_.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
        if (!mounted_) why_ = std::strerror(errno);
    }
    ~SmallFs() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }

  private:
    std::string folder_;
    bool mounted_ = false;
    std::string why_;
};

}  // namespace

TEST(FaultsSoundServer, RecordingResumesWithinTwoSecondsOfTheServersReturn) {
    for (const int awayMs : {4000, 30000}) {
        SCOPED_TRACE("server away " + std::to_string(awayMs) + " ms");
        PulseServer server;
        ASSERT_TRUE(server.started());
        testsupport::TempDir cache, scratch;
        PulseEngine e(cache.str());
        ASSERT_TRUE(e.ok);
        ASSERT_EQ(e.armResult, 0);

        server.kill();
        ASSERT_TRUE(waitUntil([&] { return e.context().record.noOutput.load() == 1; }, 3000));
        // The outage itself: the fault held for its length, not a wait for a state.
        std::this_thread::sleep_for(std::chrono::milliseconds(awayMs));
        EXPECT_EQ(e.context().record.threadRunning.load(), 1);
        EXPECT_EQ(e.context().record.noOutput.load(), 1);

        ASSERT_TRUE(server.start());
        // Two seconds, and one of slack for a loaded machine.
        const long back = msUntil([&] { return e.context().record.noOutput.load() == 0; }, 3000);
        EXPECT_LE(back, 3000);
        std::printf("recording resumed %ld ms after the server's return (away %d ms)\n", back, awayMs);
        recordTone(e, scratch.str(), 2500);
        const std::vector<long> lengths = trackLengths(cache.str());
        ASSERT_EQ(lengths.size(), 1u);
        EXPECT_NEAR(lengths[0], 2500, 60);
    }
}

TEST(FaultsSoundServer, AnEngineStartedWithoutAServerRecordsOnceOneStarts) {
    PulseServer server;
    ASSERT_TRUE(server.started());
    server.kill();
    testsupport::TempDir cache, scratch;
    PulseEngine e(cache.str());
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.armResult, kSndCodeNoCaptureStream);
    EXPECT_EQ(e.context().record.noOutput.load(), 1);
    EXPECT_EQ(e.context().record.recordArmed.load(), 1);

    ASSERT_TRUE(server.start());
    const long back = msUntil([&] { return e.context().record.noOutput.load() == 0; }, 3000);
    EXPECT_LE(back, 3000);
    recordTone(e, scratch.str(), 2500);
    const std::vector<long> lengths = trackLengths(cache.str());
    ASSERT_EQ(lengths.size(), 1u);
    EXPECT_NEAR(lengths[0], 2500, 60);
}

TEST(FaultsCacheFolder, AFullDiskKeepsTheTrackCutShortAndRecordingResumesOnceThereIsRoom) {
    PulseServer server;
    ASSERT_TRUE(server.started());
    testsupport::TempDir scratch;
    const std::string cache = scratch.file("cache");
    SmallFs small(cache, "2m");
    if (!small.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << small.why();
    // Room for about 3 s of 48 kHz stereo 16-bit audio (192 kB a second).
    const fs::space_info space = fs::space(cache);
    const uintmax_t filler = space.available > 600000 ? space.available - 600000 : 0;
    {
        std::ofstream out(cache + "/filler", std::ios::binary);
        std::vector<char> block(65536, 'x');
        for (uintmax_t done = 0; done < filler; done += block.size())
            out.write(block.data(),
                      static_cast<std::streamsize>(std::min<uintmax_t>(block.size(), filler - done)));
    }
    PulseEngine e(cache);
    ASSERT_TRUE(e.ok);

    // A 6 s song fills the disk about half-way.
    recordTone(e, scratch.str(), 6000);
    EXPECT_EQ(e.context().record.cacheFault.load(), 1);
    ASSERT_NE(e.context().record.cacheFaultWhy.load(), nullptr);
    EXPECT_NE(e.context().record.cacheFaultWhy.load()->find("No space left"), std::string::npos)
        << *e.context().record.cacheFaultWhy.load();
    std::vector<long> lengths = trackLengths(cache);
    ASSERT_EQ(lengths.size(), 1u);  // the track cut short is kept
    EXPECT_GT(lengths[0], 2000);
    EXPECT_LT(lengths[0], 4000);

    // Room again: the next song is recorded whole.
    fs::remove(cache + "/filler");
    recordTone(e, scratch.str(), 2500);
    ASSERT_TRUE(waitUntil([&] { return trackLengths(cache).size() == 2; }, 3000)) << [&] {
        std::string seen = "fault " + std::to_string(e.context().record.cacheFault.load()) + " recording " +
                           std::to_string(e.context().record.recording.load()) + " last " +
                           lastName(e.context()) + " ms " +
                           std::to_string(e.context().record.recordDurationMs.load()) + ":";
        if (auto why = e.context().record.cacheFaultWhy.load()) seen += " " + *why;
        for (const auto& f : fs::directory_iterator(cache))
            seen += " " + f.path().filename().string() + "(" + std::to_string(f.file_size()) + ")";
        return seen;
    }();
    lengths = trackLengths(cache);
    EXPECT_NEAR(lengths[1], 2500, 60);
    EXPECT_EQ(e.context().record.cacheFault.load(), 0);
    EXPECT_EQ(e.context().record.threadRunning.load(), 1);
}

TEST(FaultsCacheFolder, DeletedMidRecordingTheTrackLandsInTheFolderMadeAgain) {
    for (const bool madeAgainByTheUser : {false, true}) {
        SCOPED_TRACE(madeAgainByTheUser ? "re-created by the user" : "left deleted");
        PulseServer server;
        ASSERT_TRUE(server.started());
        testsupport::TempDir scratch;
        const std::string cache = scratch.file("cache");
        fs::create_directories(cache);
        PulseEngine e(cache);
        ASSERT_TRUE(e.ok);
        const std::string wav = scratch.file("tone.wav");
        ASSERT_TRUE(writeSignal(wav, 48000, {{440, 4000}, {0, 300}}));
        const pid_t player = playAsync(wav);
        ASSERT_GT(player, 0);
        ASSERT_TRUE(waitUntil([&] { return e.context().record.recordDurationMs.load() >= 1500.0f; }, 4000));
        fs::remove_all(cache);
        if (madeAgainByTheUser) fs::create_directories(cache);
        EXPECT_EQ(waitProgram(player), 0);
        ASSERT_TRUE(waitUntil([&] { return e.context().record.recording.load() == 0; }, 3000));
        ASSERT_TRUE(fs::is_directory(cache));
        const std::vector<long> lengths = trackLengths(cache);
        ASSERT_EQ(lengths.size(), 1u);  // what was written before and after the deletion
        EXPECT_NEAR(lengths[0], 4000, 60);
        EXPECT_EQ(e.context().record.cacheFault.load(), 0);
    }
}
