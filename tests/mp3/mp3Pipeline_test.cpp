// Pre-encoding threads and the save-time decision: companions byte-identical
// to a direct encode, the four-thread limit, cancel, a track deleted while it
// is encoded, the wait for a pre-encoding in progress with its trace lines,
// and saves that never damage the target.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <thread>

#include "CSlout.h"
#include "Tags.h"
#include "mp3TestSupport.h"
#include "report.h"
#include "sndDevicesMp3.h"
#include "sndDevicesPreEncode.h"

using namespace mp3test;
using testsupport::readBytes;
using testsupport::ScopedEnv;
using testsupport::TempDir;
namespace fs = std::filesystem;

namespace {

constexpr uint16_t kKey = 14940;
const char* const kBase = "1291648000_3000_1111317901";

class TraceLines : public CSlout {
  public:
    int outputW(int, std::string_view text) override {
        std::lock_guard<std::mutex> lock(mutex);
        lines.emplace_back(text);
        return OKAY;
    }
    std::mutex mutex;
    std::vector<std::string> lines;
};

bool waitFor(const std::function<bool()>& done, int ms = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

Bytes tagOf(const std::string& path, const char* title, const char* artist) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_EQ(TagsMp3WriteID3v2_3(f, title, artist, "", "", ""), OKAY);
    std::fclose(f);
    return readBytes(path);
}

class Mp3Pipeline : public ::testing::Test {
  protected:
    Mp3Pipeline() {
        context.cacheFolder = dir.str();
        context.scrambleKey = kKey;
        context.encoderLibrary = TOBREL_ENCODER_PATH;
        context.mp3BitRate = 192;
        context.trace = &trace;
        context.verbose = 1;
    }
    std::string cache(const std::string& base, const char* ext) const { return dir.file(base + "." + ext); }
    void writeTrack(const std::string& base, double seconds = 1.0) {
        writeCacheWav(cache(base, "tmp"), 48000, 2, tones(48000, 2, seconds, 7000), kKey);
    }
    bool idle() const { return context.preEncodingRunning.load() == 0; }
    std::vector<std::string> traced() {
        std::lock_guard<std::mutex> lock(trace.mutex);
        std::vector<std::string> out;
        for (const std::string& l : trace.lines)
            out.push_back(l.substr(std::string("sndDevicesManageFinalMP3Creation(): ").size()));
        trace.lines.clear();
        return out;
    }

    TempDir dir;
    TempDir out;
    TraceLines trace;
    sndDevicesContext context;
};

}  // namespace

// The companion unscrambles to exactly what a direct encode writes, and the
// save from it is that stream behind the tag, byte for byte the same as a save
// from scratch.
TEST_F(Mp3Pipeline, PreEncodedCompanionMatchesADirectEncode) {
    writeTrack(kBase);
    ASSERT_EQ(sndDevicesStartPreEncoding(context, cache(kBase, "tmp"), dir.file(kBase)), OKAY);
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    EXPECT_FALSE(fs::exists(cache(kBase, "dax")));
    ASSERT_TRUE(fs::exists(cache(kBase, "dat")));
    EXPECT_NE(context.lastPreEncodingTid.load(), 0);

    sndDevicesMp3Job direct;
    direct.bitRate = 192;
    direct.key = kKey;
    direct.encoderLibrary = TOBREL_ENCODER_PATH;
    direct.sourcePath = cache(kBase, "tmp");
    direct.mp3Path = out.file("direct.mp3");
    ASSERT_EQ(sndDevicesWavToMP3(context, direct), OKAY);
    ASSERT_EQ(direct.status, 0);
    const Bytes stream = readBytes(direct.mp3Path);
    Bytes companion = readBytes(cache(kBase, "dat"));
    EXPECT_EQ(companion.size() % 2, 0u);
    EXPECT_NE(companion, stream);  // stored scrambled
    sndDevicesUnscrambleBytes(companion.data(), companion.size(), kKey);
    EXPECT_EQ(companion, stream);

    int status = 1;
    ASSERT_EQ(sndDevicesManageFinalMP3Creation(context, "Title", "Artist", "", "", "", kBase,
                                               out.file("saved.mp3"), status),
              OKAY);
    EXPECT_EQ(status, 0);
    Bytes expected = tagOf(out.file("tag.bin"), "Title", "Artist");
    expected.insert(expected.end(), stream.begin(), stream.end());
    EXPECT_EQ(readBytes(out.file("saved.mp3")), expected);
    EXPECT_TRUE(fs::exists(cache(kBase, "dat")));  // saving never deletes the companion
    std::vector<std::string> lines = traced();
    ASSERT_GE(lines.size(), 14u);
    EXPECT_EQ(
        std::vector<std::string>(lines.end() - 4, lines.end()),
        (std::vector<std::string>{"PreEncodedFinalFilePathAndName = " + cache(kBase, "dat"),
                                  "Completed pre-encoded file exists, use it to create the final .mp3 file.",
                                  "Arrived at UsePreEncodedFile", "Returning OKAY from UsePreEncodedFile"}));

    // From scratch (no companion) gives the same file.
    fs::remove(cache(kBase, "dat"));
    ASSERT_EQ(sndDevicesManageFinalMP3Creation(context, "Title", "Artist", "", "", "", kBase,
                                               out.file("again.mp3"), status),
              OKAY);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readBytes(out.file("again.mp3")), expected);
    EXPECT_EQ(decodeErrors(out.file("again.mp3")), "");
}

TEST_F(Mp3Pipeline, SaveTraceLinesFollowThePathTaken) {
    writeTrack(kBase, 0.5);
    int status = 1;
    ASSERT_EQ(
        sndDevicesManageFinalMP3Creation(context, "T", "A", "B", "G", "C", kBase, out.file("x.mp3"), status),
        OKAY);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(traced(), (std::vector<std::string>{
                            "entered", "wcp_SongTitle = T", "wcp_ArtistName = A", "wcp_AlbumName = B",
                            "wcp_Genre = G", "wcp_Comment = C", "wcp_wavFileName = " + std::string(kBase),
                            "wcp_MP3FilePath = " + out.file("x.mp3"),
                            "WavFilePathAndNameWithExtension = " + cache(kBase, "tmp"),
                            "PreEncodedPartialFilePathAndName = " + cache(kBase, "dax"),
                            "PreEncodedFinalFilePathAndName = " + cache(kBase, "dat"),
                            "findPreFinalHandle == INVALID_HANDLE_VALUE",
                            "findPrePartialHandle == INVALID_HANDLE_VALUE", "Arrived at CreateMp3FromScratch",
                            "Calling sndDevicesWavToMP3()", "return(OKAY)"}));

    // Not verbose: no lines.
    context.verbose = 0;
    ASSERT_EQ(
        sndDevicesManageFinalMP3Creation(context, "T", "", "", "", "", kBase, out.file("y.mp3"), status),
        OKAY);
    EXPECT_TRUE(traced().empty());
}

// A partial companion means a pre-encoding is under way: the save waits for the
// complete one and copies it; if it never comes, the track is encoded.
TEST_F(Mp3Pipeline, SaveWaitsForAPreEncodingInProgress) {
    writeTrack(kBase, 0.5);
    // A stand-in companion whose content shows which path was taken.
    const Bytes marker{0x12, 0x34, 0x56, 0x78};
    testsupport::writeBytes(cache(kBase, "dax"), marker);
    std::thread finisher([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        fs::rename(cache(kBase, "dax"), cache(kBase, "dat"));
    });
    int status = 1;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(sndDevicesManageFinalMP3Creation(context, "", "", "", "", "", kBase, out.file("w.mp3"), status),
              OKAY);
    finisher.join();
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(700));
    EXPECT_EQ(status, 0);
    Bytes expected = marker;
    sndDevicesUnscrambleBytes(expected.data(), expected.size(), kKey);
    EXPECT_EQ(readBytes(out.file("w.mp3")), expected);
    std::vector<std::string> lines = traced();
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + 11, lines.end()),
        (std::vector<std::string>{
            "findPreFinalHandle == INVALID_HANDLE_VALUE", "Waiting for pre-encoding thread to complete",
            "Done waiting for pre-encoding thread to complete", "findPreFinalHandle != INVALID_HANDLE_VALUE",
            "Arrived at UsePreEncodedFile", "Returning OKAY from UsePreEncodedFile"}));

    // Never completes: after the wait (shortened here to two checks) the track is encoded.
    fs::remove(cache(kBase, "dat"));
    testsupport::writeBytes(cache(kBase, "dax"), marker);
    ASSERT_EQ(sndDevicesManageFinalMP3CreationWaiting(context, "", "", "", "", "", kBase, out.file("s.mp3"),
                                                      2, status),
              OKAY);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(walkFrames(readBytes(out.file("s.mp3"))).bitRates, std::set<int>{192});
    lines = traced();
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + 11, lines.end()),
        (std::vector<std::string>{
            "findPreFinalHandle == INVALID_HANDLE_VALUE", "Waiting for pre-encoding thread to complete",
            "Done waiting for pre-encoding thread to complete", "findPreFinalHandle == INVALID_HANDLE_VALUE",
            "Arrived at CreateMp3FromScratch", "Calling sndDevicesWavToMP3()", "return(OKAY)"}));
}

// Nice value of one of this process's threads (field 19 of its stat line).
static int niceOf(int tid) {
    std::string stat = testsupport::readText("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 19; ++i) fields >> field;
    return std::stoi(field);
}

// Pre-encodings run behind everything else; a save that waits for one raises
// it to the normal priority (as root here, so the raise is permitted).
TEST_F(Mp3Pipeline, PreEncodingRunsLowUntilASaveWaitsForIt) {
    context.encoderLibrary = FAKE_ENCODER_PATH;
    ScopedEnv delay("FAKE_ENC_DELAY_MS", "40");
    writeTrack(kBase, 1.0);  // 42 chunks: about 1.7 s
    ASSERT_EQ(sndDevicesStartPreEncoding(context, cache(kBase, "tmp"), dir.file(kBase)), OKAY);
    ASSERT_TRUE(waitFor([&] { return fs::exists(cache(kBase, "dax")); }));
    const int tid = context.lastPreEncodingTid.load();
    ASSERT_GT(tid, 0);
    EXPECT_EQ(niceOf(tid), 10);
    int status = 1;
    ASSERT_EQ(sndDevicesManageFinalMP3CreationWaiting(context, "", "", "", "", "", kBase, out.file("r.mp3"),
                                                      1, status),
              OKAY);
    if (!idle()) {
        EXPECT_EQ(niceOf(tid), 0);
    }
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    EXPECT_TRUE(fs::exists(cache(kBase, "dat")));
}

TEST_F(Mp3Pipeline, AtMostFourPreEncodingsRunAtOnce) {
    context.encoderLibrary = FAKE_ENCODER_PATH;
    ScopedEnv delay("FAKE_ENC_DELAY_MS", "15");
    std::vector<std::string> bases;
    for (int i = 0; i < 5; ++i) {
        bases.push_back("1291648000_2000_10" + std::to_string(i));
        writeTrack(bases.back(), 1.0);  // 42 chunks: about 0.6 s each
    }
    for (const std::string& base : bases)
        ASSERT_EQ(sndDevicesStartPreEncoding(context, cache(base, "tmp"), dir.file(base)), OKAY);
    EXPECT_EQ(context.preEncodingRunning.load(), 4);
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(fs::exists(cache(bases[i], "dat"))) << i;
    EXPECT_FALSE(fs::exists(cache(bases[4], "dat")));
    EXPECT_FALSE(fs::exists(cache(bases[4], "dax")));

    // The fifth is encoded when saved.
    context.encoderLibrary = TOBREL_ENCODER_PATH;
    int status = 1;
    ASSERT_EQ(
        sndDevicesManageFinalMP3Creation(context, "", "", "", "", "", bases[4], out.file("5.mp3"), status),
        OKAY);
    EXPECT_EQ(status, 0);
    EXPECT_GT(walkFrames(readBytes(out.file("5.mp3"))).frames, 30);
}

TEST_F(Mp3Pipeline, CancelAndDeletedTracksLeaveNoCompanion) {
    context.encoderLibrary = FAKE_ENCODER_PATH;
    ScopedEnv delay("FAKE_ENC_DELAY_MS", "15");
    writeTrack("1_2000_1", 1.0);
    writeTrack("1_2000_2", 1.0);
    writeTrack("1_2000_3", 1.0);

    // Cancel: the partial file goes, nothing is renamed.
    ASSERT_EQ(sndDevicesStartPreEncoding(context, cache("1_2000_1", "tmp"), dir.file("1_2000_1")), OKAY);
    ASSERT_TRUE(waitFor([&] { return fs::exists(cache("1_2000_1", "dax")); }));
    context.encoderCancel = 1;
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    context.encoderCancel = 0;
    EXPECT_FALSE(fs::exists(cache("1_2000_1", "dax")));
    EXPECT_FALSE(fs::exists(cache("1_2000_1", "dat")));

    // The track deleted while it is read: the run completes but leaves nothing.
    ASSERT_EQ(sndDevicesStartPreEncoding(context, cache("1_2000_2", "tmp"), dir.file("1_2000_2")), OKAY);
    ASSERT_TRUE(waitFor([&] { return fs::exists(cache("1_2000_2", "dax")); }));
    fs::remove(cache("1_2000_2", "tmp"));
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    EXPECT_FALSE(fs::exists(cache("1_2000_2", "dax")));
    EXPECT_FALSE(fs::exists(cache("1_2000_2", "dat")));

    // A failed run leaves its partial file (the save then waits, then encodes).
    ScopedEnv fail("FAKE_ENC_FAIL", "flush");
    ASSERT_EQ(sndDevicesStartPreEncoding(context, cache("1_2000_3", "tmp"), dir.file("1_2000_3")), OKAY);
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    EXPECT_TRUE(fs::exists(cache("1_2000_3", "dax")));
    EXPECT_FALSE(fs::exists(cache("1_2000_3", "dat")));
}

// A save goes through a temporary file: a failed save leaves the user's file
// as it was and no temporary behind; a good one replaces it.
TEST_F(Mp3Pipeline, SavesNeverDamageTheTarget) {
    const std::string target = out.file("song.mp3");
    const Bytes precious{'o', 'l', 'd'};
    const std::string temporary = sndDevicesMp3TemporaryPath(target);
    EXPECT_EQ(temporary, out.file(".song.mp3.partial"));

    // An unsupported source (-8) and a missing library (-11).
    writeCacheWav(cache(kBase, "tmp"), 22050, 2, tones(22050, 2, 0.5, 5000), kKey);
    testsupport::writeBytes(target, precious);
    int status = 0;
    ASSERT_EQ(sndDevicesManageFinalMP3Creation(context, "T", "", "", "", "", kBase, target, status), OKAY);
    EXPECT_EQ(status, -8);
    EXPECT_EQ(readBytes(target), precious);
    EXPECT_FALSE(fs::exists(temporary));

    writeTrack(kBase, 0.5);
    context.encoderLibrary = "liblame_enc_does_not_exist.so";
    ASSERT_EQ(sndDevicesManageFinalMP3Creation(context, "T", "", "", "", "", kBase, target, status), OKAY);
    EXPECT_EQ(status, -11);
    EXPECT_EQ(readBytes(target), precious);
    EXPECT_FALSE(fs::exists(temporary));

    // A write failure half-way (the scripted encoder fails on flush).
    context.encoderLibrary = FAKE_ENCODER_PATH;
    {
        ScopedEnv fail("FAKE_ENC_FAIL", "flush");
        ASSERT_EQ(sndDevicesManageFinalMP3Creation(context, "T", "", "", "", "", kBase, target, status),
                  OKAY);
        EXPECT_EQ(status, -9);
        EXPECT_EQ(readBytes(target), precious);
        EXPECT_FALSE(fs::exists(temporary));
    }

    // Success replaces the old file.
    context.encoderLibrary = TOBREL_ENCODER_PATH;
    ASSERT_EQ(sndDevicesManageFinalMP3Creation(context, "T", "", "", "", "", kBase, target, status), OKAY);
    EXPECT_EQ(status, 0);
    EXPECT_GT(readBytes(target).size(), 1000u);
    EXPECT_FALSE(fs::exists(temporary));

    // A folder in the target's place, or a missing folder: -5 on both paths.
    fs::create_directory(out.file("taken.mp3"));
    ASSERT_EQ(
        sndDevicesManageFinalMP3Creation(context, "T", "", "", "", "", kBase, out.file("taken.mp3"), status),
        OKAY);
    EXPECT_EQ(status, -5);
    EXPECT_TRUE(fs::is_directory(out.file("taken.mp3")));
    testsupport::writeBytes(cache(kBase, "dat"), Bytes{1, 2, 3, 4});
    ASSERT_EQ(
        sndDevicesManageFinalMP3Creation(context, "T", "", "", "", "", kBase, out.file("taken.mp3"), status),
        OKAY);
    EXPECT_EQ(status, -5);
    ASSERT_EQ(
        sndDevicesManageFinalMP3Creation(context, "T", "", "", "", "", kBase, out.file("none/x.mp3"), status),
        OKAY);
    EXPECT_EQ(status, -5);
}

TEST(Mp3Paths, UserLibraryFilename) {
    struct Case {
        std::string path, folder;
        bool found;
    };
    const Case cases[] = {{"/music/a/b.mp3", "/music/a", true},
                          {"C:\\Music\\x.mp3", "C:\\Music", true},
                          {"/x.mp3", "", true},
                          {"name.mp3", "keep", false},
                          {"", "keep", false},
                          {"a/b\\c.mp3", "a/b", true}};
    for (const Case& c : cases) {
        std::string folder = "keep";
        bool found = !c.found;
        EXPECT_EQ(pstrUserLibraryFilename(c.path, folder, found), OKAY);
        EXPECT_EQ(found, c.found) << c.path;
        EXPECT_EQ(folder, c.folder) << c.path;
    }
}
