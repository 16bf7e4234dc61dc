// Scrambling, the cache file names and their generator, deleting a track's
// files while a pre-encoding may hold them, and a kept recording that cannot
// take its final name.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "report.h"
#include "sndDevicesContext.h"
#include "sndDevicesDeleteCacheFiles.h"
#include "sndDevicesDoRecording.h"
#include "sndDevicesEngine.h"
#include "sndDevicesNames.h"
#include "sndDevicesScramble.h"
#include "testsupport.h"

namespace fs = std::filesystem;
using testsupport::readBytes;
using testsupport::TempDir;

TEST(Scramble, EveryValueSurvivesTheRoundTrip) {
    for (uint16_t key : {uint16_t{kSndScrambleKey}, uint16_t{1}, uint16_t{0xFFFF}}) {
        for (uint32_t v = 0; v <= 0xFFFF; ++v) {
            const uint16_t s = sndDevicesScramble(static_cast<uint16_t>(v), key);
            ASSERT_EQ(v, sndDevicesUnscramble(s, key)) << "key " << key;
        }
    }
    EXPECT_EQ(0, sndDevicesUnscramble(sndDevicesScramble(0, kSndScrambleKey), kSndScrambleKey));
}

TEST(Scramble, RotatesSixteenBitsRightBySeven) {
    // v XOR K = 0x8000: bit 15 lands on bit 8; bit 0 lands on bit 9.
    EXPECT_EQ(0x0100, sndDevicesScramble(0x8000 ^ kSndScrambleKey, kSndScrambleKey));
    EXPECT_EQ(0x0200, sndDevicesScramble(0x0001 ^ kSndScrambleKey, kSndScrambleKey));
    EXPECT_EQ(0x0001, sndDevicesScramble(0x0080, 0));
}

TEST(Scramble, ByteBuffersUnscrambleWholeWordsOnly) {
    const uint16_t key = kSndScrambleKey;
    int16_t samples[2] = {1234, -5678};
    sndDevicesScrambleSamples(samples, 2, key);
    unsigned char bytes[4];
    std::memcpy(bytes, samples, 4);
    const unsigned char last = bytes[2];
    sndDevicesUnscrambleBytes(bytes, 3, key);  // an odd read
    int16_t first;
    std::memcpy(&first, bytes, 2);
    EXPECT_EQ(1234, first);
    EXPECT_EQ(last, bytes[2]);
}

TEST(Names, GeneratorYieldsTheKnownSequenceAfterEngineStart) {
    sndDevicesContext context;
    long n = 0;
    for (long expected : {1111317901L, 1440736464L, 1897408450L}) {
        ASSERT_EQ(OKAY, sndDevicesNextNameNumber(context, n));
        EXPECT_EQ(expected, n);
    }
    ReportRecorder reports;
    context.capture.nameSeed = 0;
    EXPECT_EQ(NOT_OKAY, sndDevicesNextNameNumber(context, n));
    EXPECT_GE(reports.count(), 1u);
}

TEST(Names, PathsByKey) {
    EXPECT_EQ("/c/sdrtfn.tmp", sndDevicesTempPath("/c", kSndScrambleKey));
    EXPECT_EQ("/c/sdrtfn.wav", sndDevicesTempPath("/c", 0));
    EXPECT_EQ("1291648000_183456_1111317901.tmp",
              sndDevicesFinishedName(1291648000u, 183456, 1111317901, 14940));
    EXPECT_EQ("1291648000_183456_1111317901", sndDevicesFinishedBaseName(1291648000u, 183456, 1111317901));
    // Past 2038 the low 32 bits of the time stay positive.
    EXPECT_EQ("3000000000_2000_7", sndDevicesFinishedBaseName(3000000000u, 2000, 7));
    EXPECT_EQ("/c/b.dat", sndDevicesCompanionPath("/c", "b", 14940));
    EXPECT_EQ("/c/b.mp3", sndDevicesCompanionPath("/c", "b", 0));
    EXPECT_EQ("/c/b.wav", sndDevicesAudioPath("/c", "b", 0));
    EXPECT_EQ("/c/b.dax", sndDevicesPartialCompanionPath("/c", "b"));
}

namespace {

void touch(const std::string& path) { std::ofstream(path) << "x"; }

// A "file" that cannot be unlinked: a folder in its place.
void blockDeletion(const std::string& path) {
    fs::create_directory(path);
    touch(path + "/inside");
}

}  // namespace

TEST(DeleteCacheFiles, DeletesAudioAndCompanionAndToleratesMissingOnes) {
    TempDir dir;
    sndDevicesContext context;
    sndDevicesSettingsChange(context, [&](sndDevicesSettings& s) {
        s.cacheFolder = dir.str();
        s.scrambleKey = kSndScrambleKey;
    });
    touch(dir.file("t.tmp"));
    touch(dir.file("t.dat"));
    touch(dir.file("t.wav"));  // another key's file is not this track's
    int result = 99;
    ASSERT_EQ(OKAY, sndDevicesDeleteCacheFiles(context, "t", result));
    EXPECT_EQ(0, result);
    EXPECT_FALSE(fs::exists(dir.file("t.tmp")));
    EXPECT_FALSE(fs::exists(dir.file("t.dat")));
    EXPECT_TRUE(fs::exists(dir.file("t.wav")));
    ASSERT_EQ(OKAY, sndDevicesDeleteCacheFiles(context, "t", result));
    EXPECT_EQ(0, result);
}

// A delete that can be undone: the files move into the holding place and
// back, unchanged; nothing is replaced, nothing moves through a link, and
// emptying the holding place takes only the cache files there.
TEST(DeleteCacheFiles, HeldFilesMoveAsideAndBackUnchanged) {
    TempDir dir;
    sndDevicesContext context;
    sndDevicesSettingsChange(context, [&](sndDevicesSettings& s) {
        s.cacheFolder = dir.str();
        s.scrambleKey = kSndScrambleKey;
    });
    const std::string held = dir.file(kSndHeldFolderName);
    EXPECT_EQ(sndDevicesHeldFolder(context), held);
    testsupport::writeBytes(dir.file("t.tmp"), {1, 2, 3, 0, 255});
    testsupport::writeBytes(dir.file("t.dat"), {9, 8, 7});
    testsupport::writeBytes(dir.file("u.tmp"), {4});  // a track without a companion
    int result = 99;
    ASSERT_EQ(OKAY, sndDevicesHoldCacheFiles(context, "t", result));
    EXPECT_EQ(0, result);
    ASSERT_EQ(OKAY, sndDevicesHoldCacheFiles(context, "u", result));
    EXPECT_EQ(0, result);
    EXPECT_FALSE(fs::exists(dir.file("t.tmp")));
    EXPECT_FALSE(fs::exists(dir.file("t.dat")));
    EXPECT_EQ(readBytes(held + "/t.tmp"), (std::vector<unsigned char>{1, 2, 3, 0, 255}));

    ASSERT_EQ(OKAY, sndDevicesRestoreHeldFiles(context, "t", result));
    EXPECT_EQ(0, result);
    EXPECT_EQ(readBytes(dir.file("t.tmp")), (std::vector<unsigned char>{1, 2, 3, 0, 255}));
    EXPECT_EQ(readBytes(dir.file("t.dat")), (std::vector<unsigned char>{9, 8, 7}));
    EXPECT_FALSE(fs::exists(held + "/t.tmp"));

    // A file of the held track's name came back meanwhile: nothing is replaced.
    touch(dir.file("u.tmp"));
    ASSERT_EQ(OKAY, sndDevicesRestoreHeldFiles(context, "u", result));
    EXPECT_EQ(kSndRestoreNameTaken, result);
    EXPECT_EQ(readBytes(held + "/u.tmp"), (std::vector<unsigned char>{4}));

    // Emptying takes the cache files and leaves the rest (and so the folder).
    touch(held + "/notes.txt");
    touch(held + "/x.wav");
    ASSERT_EQ(OKAY, sndDevicesEmptyHeldFiles(context));
    EXPECT_FALSE(fs::exists(held + "/u.tmp"));
    EXPECT_FALSE(fs::exists(held + "/x.wav"));
    EXPECT_TRUE(fs::exists(held + "/notes.txt"));
    fs::remove(held + "/notes.txt");
    ASSERT_EQ(OKAY, sndDevicesEmptyHeldFiles(context));
    EXPECT_FALSE(fs::exists(held));
    EXPECT_TRUE(fs::exists(dir.file("t.tmp")));  // the cache folder's own files stay

    // A holding place that leads elsewhere is not used: the track stays.
    TempDir elsewhere;
    fs::create_directory_symlink(elsewhere.path(), held);
    ASSERT_EQ(OKAY, sndDevicesHoldCacheFiles(context, "t", result));
    EXPECT_EQ(kSndDeleteCouldNotDelete, result);
    EXPECT_TRUE(fs::exists(dir.file("t.tmp")));
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
}

TEST(DeleteCacheFiles, WaitsForPreEncodingThenRetries) {
    struct Case {
        const char* what;
        bool encoderStops;  // the pre-encoding ends when asked
        bool fileFreed;     // the file becomes deletable once it was asked to
        int result;
    };
    const Case cases[] = {
        {"encoder stops and lets go", true, true, 0},
        {"encoder keeps running, file freed", false, true, kSndDeletePreEncodingRunning},
        {"encoder keeps running, file stays", false, false, kSndDeleteCouldNotDelete},
        {"encoder stops, file stays", true, false, kSndDeleteCouldNotDelete},
    };
    for (const Case& c : cases) {
        TempDir dir;
        sndDevicesContext context;
        sndDevicesSettingsChange(context, [&](sndDevicesSettings& s) { s.cacheFolder = dir.str(); });
        const std::string audio = dir.file("t.wav");
        blockDeletion(audio);
        context.preEncoding.running = 1;
        std::atomic<bool> sawCancel{false};
        std::thread encoder([&] {
            while (context.preEncoding.cancel.load() == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            sawCancel = true;
            if (c.fileFreed) {
                fs::remove_all(audio);
                touch(audio);
            }
            if (c.encoderStops) {
                // As a run ends: counted off under the group's mutex, waiters woken.
                {
                    std::lock_guard lock(context.preEncoding.mutex);
                    context.preEncoding.running = 0;
                }
                context.preEncoding.finished.notify_all();
            }
        });
        int result = 99;
        ASSERT_EQ(OKAY, sndDevicesDeleteCacheFiles(context, "t", result)) << c.what;
        encoder.join();
        context.preEncoding.running = 0;
        EXPECT_TRUE(sawCancel) << c.what;
        EXPECT_EQ(c.result, result) << c.what;
        EXPECT_EQ(0, context.preEncoding.cancel.load()) << c.what;
        EXPECT_EQ(!c.fileFreed, fs::exists(audio)) << c.what;
    }
}

// A kept recording whose final name is taken by a folder cannot be renamed:
// an internal error that says why, and the recording stays where it was.
TEST(FinishRecording, ARenameThatFailsSaysWhy) {
    TempDir dir;
    sndDevicesContext context;
    sndDevicesSettingsChange(context, [&](sndDevicesSettings& s) {
        s.cacheFolder = dir.str();
        s.scrambleKey = kSndScrambleKey;
    });
    const std::string temp = sndDevicesTempPath(dir.str(), kSndScrambleKey);
    touch(temp);
    context.capture.tempPath = temp;
    context.record.recordStartTime = 1291648000;
    context.record.recordDurationMs = 2500.0f;
    long next = 0;
    {
        sndDevicesContext probe;  // the same generator state: the number the finish will draw
        ASSERT_EQ(OKAY, sndDevicesNextNameNumber(probe, next));
    }
    blockDeletion(dir.file(sndDevicesFinishedName(1291648000, 2500, next, kSndScrambleKey)));

    // Not an internal error: the window is told why, and the temporary file
    // stays to be made a track before the next recording.
    ReportRecorder reports;
    EXPECT_EQ(OKAY, sndDevicesFinishClosedRecording(context));
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_EQ(context.record.cacheFault.load(), 1);
    EXPECT_NE(context.record.cacheFaultWhy.load()->find("Is a directory"), std::string::npos);
    EXPECT_TRUE(context.capture.tempLeftOver);
    EXPECT_TRUE(fs::exists(temp));
    std::string last = "x";
    ASSERT_EQ(OKAY, sndDevicesGetLastRecordingName(context, last));
    EXPECT_EQ(last, "");
}
