// Start-up with hostile stored input: rows of cache.db written by other
// programs (a 513-character song, invalid UTF-8, a duration of "5 s", a 5 MB
// comment) and settings that cannot be read (a volume of "nan", a value that
// is a folder, a named pipe or 5 MB long, a key that is a file). The program
// starts, lists every track as far as it can be read, takes the defaults, and
// says so in the trace once, with no internal error.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QTreeWidget>
#include <filesystem>

#include "dbtest.h"
#include "recCache.h"
#include "recorderPaths.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "recorderTestApp.h"
#include "registryStore.h"
#include "report.h"
#include "testsupport.h"

namespace fs = std::filesystem;

namespace {

size_t count(const std::string& text, const std::string& piece) {
    size_t n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(FaultsStart, HostileRowsAndSettingsAreReadAsFarAsTheyCanBeAndTracedOnce) {
    RecorderHarness h;
    std::string cache, documents;
    ASSERT_EQ(recorderPaths(RECORDER_PATH_CACHE, cache), OKAY);
    ASSERT_EQ(recorderPaths(RECORDER_PATH_DOCUMENTS, documents), OKAY);
    fs::create_directories(cache);
    fs::create_directories(documents);
    testsupport::writeText(documents + "/trace_on.txt", "");

    // The rows, each with its audio file, and what the list shows of each.
    struct Row {
        const char* base;
        std::string set;
        std::string shown, duration;
    } rows[] = {
        {"1700000000_5000_1", "song = '" + dbtest::repeat("s", 513) + "'", dbtest::repeat("s", 512), "0:05"},
        {"1700000001_5000_2", "song = 'Song', artist = CAST(x'41ff42' AS TEXT)",
         "Song - A\xef\xbf\xbd"
         "B",
         "0:05"},
        {"1700000002_5000_3", "song = 'Five', duration = '5 s'", "Five", "0:00"},
        {"1700000003_5000_4", "song = 'Long', comment = replace(hex(zeroblob(2621440)), '00', 'cc')", "Long",
         "0:05"},
        {"1700000004_5000_5", "song = 'Good'", "Good", "0:05"},
    };
    {
        std::unique_ptr<recCache> db;
        ASSERT_EQ(recCacheInit(cache, "sdrtfn", "tmp", false, nullptr, db), OKAY);
        for (const Row& r : rows) {
            ASSERT_EQ(recCacheInsertFromFileName(db.get(), r.base), OKAY);
            testsupport::writeText(cache + "/" + r.base + ".tmp", "audio");
        }
        ASSERT_EQ(recCacheClose(db), OKAY);
        int id = 0;
        for (const Row& r : rows)
            dbtest::sqliteCli(cache + "/cache.db",
                              "UPDATE caches SET " + r.set + " WHERE id = " + std::to_string(++id) + ";");
    }

    // The settings: each value file's place made hostile.
    std::string root;
    ASSERT_EQ(registryRootFolder(registryRoot::CurrentUser, root), OKAY);
    const auto valueFile = [&](const char* name) {
        std::string folder;
        registryKeyFolder(root, std::string(RECORDER_SESSION_KEY) + "\\" + name, folder);
        fs::create_directories(folder);
        return folder + "/" + kRegistryValueFile;
    };
    testsupport::writeText(valueFile("volume"), "nan");
    fs::create_directories(valueFile("always_on_top"));
    ASSERT_EQ(::mkfifo(valueFile("auto_segment").c_str(), 0644), 0);
    testsupport::writeText(valueFile("window_xmin"), std::string(5 << 20, '7'));
    {
        // A key that is a file where its folder should be.
        const std::string key = valueFile("clear_on_exit");
        fs::remove_all(fs::path(key).parent_path());
        testsupport::writeText(fs::path(key).parent_path().string(), "x");
    }

    ReportRecorder reports;
    ASSERT_EQ(h.start(), OKAY);
    EXPECT_TRUE(h.boxes.empty());
    EXPECT_EQ(reports.count(), 0u);
    std::vector<std::string> shown, durations;
    for (const Row& r : rows) shown.push_back(r.shown), durations.push_back(r.duration);
    EXPECT_EQ(recorderTestListColumn(h.app, 0), shown);
    EXPECT_EQ(recorderTestListColumn(h.app, 1), durations);
    // Read again, the settings give their defaults, and each is told once.
    bool on = true;
    ASSERT_EQ(recorderSessionGetAlwaysOnTop(on), OKAY);
    EXPECT_FALSE(on);
    ASSERT_EQ(recorderSessionGetAutoSegment(on), OKAY);
    EXPECT_TRUE(on);
    ASSERT_EQ(recorderSessionGetClearOnExit(on), OKAY);
    EXPECT_TRUE(on);
    double volume = 0;
    ASSERT_EQ(recorderSessionGetVolume(volume), OKAY);
    EXPECT_EQ(volume, 1.0);
    EXPECT_EQ(reports.count(), 0u);
    const std::string trace = testsupport::readText(documents + "/trace_messages.txt");
    for (const char* name : {"always_on_top", "auto_segment", "window_xmin"})
        EXPECT_EQ(count(trace, std::string("session\\") + name + " cannot be read"), 1u) << name << "\n"
                                                                                         << trace;
    EXPECT_GE(count(trace, "was read as far as it could be"), 3u);
    EXPECT_GE(count(trace, "'5 s' is not a number"), 1u);
    EXPECT_EQ(count(trace, "Internal error"), 0u);
}
