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
#include "sndDevicesEngine.h"
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
        context.encoderLibrary = TOBREL_ENCODER_PATH;
        sndDevicesSettingsChange(context, [&](sndDevicesSettings& s) {
            s.cacheFolder = dir.str();
            s.scrambleKey = kKey;
            s.mp3.bitRate = 192;
        });
        context.trace = &trace;
        context.verbose = 1;
    }
    std::string cache(const std::string& base, const char* ext) const { return dir.file(base + "." + ext); }
    void writeTrack(const std::string& base, double seconds = 1.0) {
        writeCacheWav(cache(base, "tmp"), 48000, 2, tones(48000, 2, seconds, 7000), kKey);
    }
    bool idle() const { return context.preEncoding.running.load() == 0; }
    // The thread id of the newest pre-encoding run (0 until it runs).
    int newestRunThread() {
        std::lock_guard<std::mutex> lock(context.preEncoding.mutex);
        return context.preEncoding.runs.empty() ? 0 : context.preEncoding.runs.back()->threadId.load();
    }
    bool tracedLine(const std::string& line) {
        std::lock_guard<std::mutex> lock(trace.mutex);
        for (const std::string& l : trace.lines)
            if (l.ends_with(line)) return true;
        return false;
    }
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

// A partial companion means a pre-encoding is under way: the save waits for
// that run to end (not a moment longer) and copies its companion; a run that
// does not end within the limit leaves the save to encode the track itself,
// and a partial file no run is writing any more costs no wait at all.
TEST_F(Mp3Pipeline, SaveWaitsForThePreEncodingOfItsTrack) {
    const std::vector<std::string> waitedAndCopied{"findPreFinalHandle == INVALID_HANDLE_VALUE",
                                                   "Waiting for pre-encoding thread to complete",
                                                   "Done waiting for pre-encoding thread to complete",
                                                   "findPreFinalHandle != INVALID_HANDLE_VALUE",
                                                   "Arrived at UsePreEncodedFile",
                                                   "Returning OKAY from UsePreEncodedFile"};
    const std::vector<std::string> waitedAndEncoded{"findPreFinalHandle == INVALID_HANDLE_VALUE",
                                                    "Waiting for pre-encoding thread to complete",
                                                    "Done waiting for pre-encoding thread to complete",
                                                    "findPreFinalHandle == INVALID_HANDLE_VALUE",
                                                    "Arrived at CreateMp3FromScratch",
                                                    "Calling sndDevicesWavToMP3()",
                                                    "return(OKAY)"};
    ScopedEnv delay("FAKE_ENC_DELAY_MS", "20");
    writeTrack(kBase, 1.0);  // 42 chunks: about 0.8 s with the stand-in encoder

    // The run ends while the save waits: its companion is copied.
    context.encoderLibrary = FAKE_ENCODER_PATH;
    ASSERT_EQ(sndDevicesStartPreEncoding(context, cache(kBase, "tmp"), dir.file(kBase)), OKAY);
    context.encoderLibrary = TOBREL_ENCODER_PATH;
    ASSERT_TRUE(waitFor([&] { return fs::exists(cache(kBase, "dax")); }));
    traced();
    int status = 1;
    ASSERT_EQ(sndDevicesManageFinalMP3Creation(context, "", "", "", "", "", kBase, out.file("w.mp3"), status),
              OKAY);
    EXPECT_TRUE(idle());
    EXPECT_EQ(status, 0);
    Bytes expected = readBytes(cache(kBase, "dat"));
    sndDevicesUnscrambleBytes(expected.data(), expected.size(), kKey);
    EXPECT_EQ(readBytes(out.file("w.mp3")), expected);
    std::vector<std::string> lines = traced();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 11, lines.end()), waitedAndCopied);

    // The run outlasts the wait (shortened here): the save encodes the track.
    fs::remove(cache(kBase, "dat"));
    context.encoderLibrary = FAKE_ENCODER_PATH;
    ASSERT_EQ(sndDevicesStartPreEncoding(context, cache(kBase, "tmp"), dir.file(kBase)), OKAY);
    context.encoderLibrary = TOBREL_ENCODER_PATH;
    ASSERT_TRUE(waitFor([&] { return fs::exists(cache(kBase, "dax")); }));
    traced();
    ASSERT_EQ(sndDevicesManageFinalMP3CreationWaiting(context, "", "", "", "", "", kBase, out.file("s.mp3"),
                                                      50, status),
              OKAY);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(walkFrames(readBytes(out.file("s.mp3"))).bitRates, std::set<int>{192});
    lines = traced();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 11, lines.end()), waitedAndEncoded);
    ASSERT_TRUE(waitFor([&] { return idle(); }));

    // A partial file that no run writes (a failed run's): encoded at once.
    fs::remove(cache(kBase, "dat"));
    testsupport::writeBytes(cache(kBase, "dax"), Bytes{0x12, 0x34});
    traced();
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(sndDevicesManageFinalMP3Creation(context, "", "", "", "", "", kBase, out.file("f.mp3"), status),
              OKAY);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(walkFrames(readBytes(out.file("f.mp3"))).bitRates, std::set<int>{192});
    lines = traced();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 11, lines.end()), waitedAndEncoded);
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
    const int tid = newestRunThread();
    ASSERT_GT(tid, 0);
    EXPECT_EQ(niceOf(tid), 10);
    int status = 1;
    ASSERT_EQ(sndDevicesManageFinalMP3CreationWaiting(context, "", "", "", "", "", kBase, out.file("r.mp3"),
                                                      500, status),
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
    EXPECT_EQ(context.preEncoding.running.load(), 4);
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
    context.preEncoding.cancel = 1;
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    context.preEncoding.cancel = 0;
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

// Shutting the engine down while four pre-encodings run and a save waits for
// one of them: the runs are cancelled and joined before the shutdown returns,
// the save then encodes its track itself, and the cache keeps no partial file
// and no companion without its track.
TEST_F(Mp3Pipeline, ShutdownJoinsRunningPreEncodingsWhileASaveWaits) {
    ScopedEnv delay("FAKE_ENC_DELAY_MS", "100");  // 42 chunks: about 4 s a run
    std::vector<std::string> bases;
    context.encoderLibrary = FAKE_ENCODER_PATH;
    for (int i = 0; i < 4; ++i) {
        bases.push_back("1291648000_2000_20" + std::to_string(i));
        writeTrack(bases.back(), 1.0);
        ASSERT_EQ(sndDevicesStartPreEncoding(context, cache(bases.back(), "tmp"), dir.file(bases.back())),
                  OKAY);
    }
    context.encoderLibrary = TOBREL_ENCODER_PATH;
    EXPECT_EQ(context.preEncoding.running.load(), 4);
    for (const std::string& base : bases)
        ASSERT_TRUE(waitFor([&] { return fs::exists(cache(base, "dax")); }));

    int result = NOT_OKAY, status = 1;
    std::thread saver([&] {
        result = sndDevicesManageFinalMP3Creation(context, "Title", "", "", "", "", bases[0],
                                                  out.file("saved.mp3"), status);
    });
    ASSERT_TRUE(waitFor([&] { return tracedLine("Waiting for pre-encoding thread to complete"); }));
    EXPECT_EQ(sndDevicesShutdown(context), OKAY);
    EXPECT_EQ(context.preEncoding.running.load(), 0);
    {
        std::lock_guard<std::mutex> lock(context.preEncoding.mutex);
        EXPECT_TRUE(context.preEncoding.runs.empty());
    }
    saver.join();

    EXPECT_EQ(result, OKAY);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(decodeErrors(out.file("saved.mp3")), "");
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_FALSE(name.ends_with(".dax")) << name;
        if (name.ends_with(".dat")) {
            EXPECT_TRUE(fs::exists(cache(name.substr(0, name.size() - 4), "tmp"))) << name;
        }
    }
    for (const auto& entry : fs::directory_iterator(out.path()))
        EXPECT_EQ(entry.path().filename(), "saved.mp3");
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
