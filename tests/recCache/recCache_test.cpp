// The recording cache database on real files in a scratch folder, checked with
// the sqlite3 command-line tool: schema, migration, rebuild from the cache
// files, tag round trips at the column widths, reads by id and damaged files.
#include <gtest/gtest.h>

#include <filesystem>

#include "dbtest.h"
#include "recCache.h"
#include "report.h"
#include "testsupport.h"

using dbtest::CapturingSlout;
using dbtest::repeat;
using dbtest::sqliteCli;
using testsupport::TempDir;
namespace fs = std::filesystem;

namespace {

const std::string kCjk = "\xe6\xbc\xa2";        // one UTF-16 unit, three UTF-8 bytes
const std::string kEmoji = "\xf0\x9f\x8e\xb5";  // a surrogate pair: two units, four bytes

struct Folder {
    TempDir dir;
    CapturingSlout sink;
    std::unique_ptr<recCache> db;

    std::string dbPath() const { return dir.file("cache.db"); }
    void touch(const std::string& name) const { testsupport::writeText(dir.file(name), "x"); }
    void open(const std::string& extension = "tmp") {
        ASSERT_EQ(recCacheInit(dir.str() + "/", "sdrtfn", extension, false, &sink, db), OKAY);
        ASSERT_TRUE(db);
    }
    ~Folder() { recCacheClose(db); }
};

std::vector<std::string> baseNamesInListOrder(recCache* db) {
    std::vector<int> ids;
    EXPECT_EQ(recCacheGetIds(db, kRecCacheMaxIds, ids), OKAY);
    std::vector<std::string> names;
    for (int id : ids) {
        recCacheTrack track;
        EXPECT_EQ(recCacheGetTrack(db, id, track), OKAY);
        names.push_back(track.baseName);
    }
    return names;
}

}  // namespace

TEST(recCache, NewDatabaseHasExactlyTheCachesSchema) {
    Folder f;
    f.open();
    EXPECT_EQ(
        sqliteCli(f.dbPath(), ".schema caches"),
        "CREATE TABLE caches (`id` INTEGER PRIMARY KEY,`cache_filename_no_extension` CHAR(1024) NOT NULL,"
        "`artist` CHAR(512),`song` CHAR(512),`album` CHAR(512),`genre` CHAR(512),`comment` CHAR(2048),"
        "`creation_timestamp` timestamp NOT NULL,`duration` int(11) NOT NULL,`source` int(11) NOT NULL "
        "DEFAULT 0);");
    EXPECT_TRUE(f.sink.errors.empty());
}

TEST(recCache, OldDatabaseWithoutSourceGainsItAndItsRowsReadZero) {
    Folder f;
    sqliteCli(
        f.dbPath(),
        "CREATE TABLE caches (`id` INTEGER PRIMARY KEY,`cache_filename_no_extension` CHAR(1024) NOT NULL,"
        "`artist` CHAR(512),`song` CHAR(512),`album` CHAR(512),`genre` CHAR(512),`comment` CHAR(2048),"
        "`creation_timestamp` timestamp NOT NULL,`duration` int(11) NOT NULL);"
        "INSERT INTO caches VALUES (NULL,'1700000000_5000_7','Abba','SOS',NULL,NULL,NULL,1700000000,5000);"
        "INSERT INTO caches VALUES (NULL,'1600000000_6000_8',NULL,NULL,NULL,NULL,NULL,1600000000,6000);");
    f.touch("1800000000_1000_1.tmp");  // an existing database is not rebuilt from the files
    f.open();
    EXPECT_NE(sqliteCli(f.dbPath(), "PRAGMA table_info(caches);").find("|source|INTEGER|0|0|0"),
              std::string::npos);
    std::vector<int> ids;
    ASSERT_EQ(recCacheGetIds(f.db.get(), kRecCacheMaxIds, ids), OKAY);
    EXPECT_EQ(ids, (std::vector<int>{2, 1}));
    for (int id : ids) {
        int source = -1;
        ASSERT_EQ(recCacheGetSource(f.db.get(), id, source), OKAY);
        EXPECT_EQ(source, 0);
    }
    recCacheTags tags;
    ASSERT_EQ(recCacheGetTags(f.db.get(), 1, tags), OKAY);
    EXPECT_EQ(tags, (recCacheTags{"Abba", "SOS", "", "", ""}));

    // A second open finds the column and leaves the schema alone.
    ASSERT_EQ(recCacheClose(f.db), OKAY);
    const std::string schema = sqliteCli(f.dbPath(), ".schema caches");
    f.open();
    EXPECT_EQ(sqliteCli(f.dbPath(), ".schema caches"), schema);
}

TEST(recCache, LostDatabaseIsRebuiltFromTheCacheFilesOldestFirst) {
    Folder f;
    for (const char* name : {"1700000300_4000_11.tmp", "1700000100_5000_22.TMP", "1700000200_3000_33.Tmp",
                             "sdrtfn.tmp", "1700000400_1000_44.dat", "1700000400_1000_55.dax", "notes.tmp",
                             "12abc_5_1.tmp", "-5_10_1.tmp", ".1700000000_1_1.tmp", "1700000500_1_1.wav"})
        f.touch(name);
    fs::create_directory(f.dir.file("1700000600_1_1.tmp"));
    f.open();
    EXPECT_EQ(baseNamesInListOrder(f.db.get()),
              (std::vector<std::string>{"1700000100_5000_22", "1700000200_3000_33", "1700000300_4000_11"}));
    EXPECT_EQ(
        sqliteCli(f.dbPath(),
                  "SELECT creation_timestamp, duration, quote(artist), quote(comment), source FROM caches "
                  "ORDER BY creation_timestamp;"),
        "1700000100|5000|NULL|NULL|0\n1700000200|3000|NULL|NULL|0\n1700000300|4000|NULL|NULL|0");
    recCacheTags tags;
    ASSERT_EQ(recCacheGetTags(f.db.get(), 1, tags), OKAY);
    EXPECT_EQ(tags, recCacheTags{});
}

// The list follows the folder at every start: files without a row are added in
// recording order, rows whose file is gone are dropped, and a row whose file is
// there under a name the listing does not read as a recording stays.
TEST(recCache, ReconcileFollowsTheFolderAndLeavesAnAgreeingListAlone) {
    Folder f;
    for (const char* name : {"1700000100_5000_1.tmp", "1700000200_3000_2.tmp"}) f.touch(name);
    f.open();
    ASSERT_EQ(recCacheInsert(f.db.get(), "notes", 1700000150, 1000), OKAY);
    f.touch("notes.tmp");
    fs::remove(f.dir.file("1700000100_5000_1.tmp"));
    f.touch("1700000400_1000_4.tmp");
    f.touch("1700000300_2000_3.tmp");

    int added = -1, removed = -1;
    ASSERT_EQ(recCacheReconcile(f.db.get(), added, removed), OKAY);
    EXPECT_EQ(added, 2);
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(
        baseNamesInListOrder(f.db.get()),
        (std::vector<std::string>{"notes", "1700000200_3000_2", "1700000300_2000_3", "1700000400_1000_4"}));

    ASSERT_EQ(recCacheReconcile(f.db.get(), added, removed), OKAY);
    EXPECT_EQ(added, 0);
    EXPECT_EQ(removed, 0);
}

TEST(recCache, TemporaryFileIsSkippedWhateverItsLetterCase) {
    Folder f;
    f.touch("SdrtFn.TMP");
    f.touch("1700000000_2500_9.wav");
    f.open("wav");
    EXPECT_EQ(baseNamesInListOrder(f.db.get()), (std::vector<std::string>{"1700000000_2500_9"}));
}

TEST(recCache, TagsRoundTripUnchanged) {
    Folder f;
    f.open();
    ASSERT_EQ(recCacheInsertFromFileName(f.db.get(), "1700000000_5000_1"), OKAY);
    const std::vector<recCacheTags> cases = {
        {"Tears for Fears", "Don't Stop", "It's 'quoted'", "''", "'"},
        {kCjk + kCjk, "Caf\xc3\xa9 " + kEmoji, "a\"b;c--d", "%s %d \\n", "line one\nline two"},
        {"", "", "", "", ""},
        {"'); DROP TABLE caches; --", "x", "y", "z", "w"},
    };
    for (const recCacheTags& tags : cases) {
        ASSERT_EQ(recCacheSetTags(f.db.get(), 1, tags), OKAY);
        recCacheTags read;
        ASSERT_EQ(recCacheGetTags(f.db.get(), 1, read), OKAY);
        EXPECT_EQ(read, tags);
    }
    ASSERT_EQ(recCacheSetTags(f.db.get(), 1, cases[0]), OKAY);
    // The quote is doubled in the statement only: the file holds the text itself.
    EXPECT_EQ(sqliteCli(f.dbPath(), "SELECT song FROM caches WHERE id = 1;"), "Don't Stop");

    ASSERT_EQ(recCacheSetSource(f.db.get(), 1, 1), OKAY);
    int source = 0;
    ASSERT_EQ(recCacheGetSource(f.db.get(), 1, source), OKAY);
    EXPECT_EQ(source, 1);
    recCacheTrack track;
    ASSERT_EQ(recCacheGetTrack(f.db.get(), 1, track), OKAY);
    EXPECT_EQ(track.creationTime, 1700000000);
    EXPECT_EQ(track.durationMs, 5000);
    EXPECT_EQ(track.baseName, "1700000000_5000_1");
}

TEST(recCache, TextsUpToTheColumnWidthsAreStoredAndReadBack) {
    Folder f;
    f.open();
    ASSERT_EQ(recCacheInsertFromFileName(f.db.get(), "1700000000_5000_1"), OKAY);
    const std::vector<recCacheTags> cases = {
        // A comment longer than 511 characters, as the Rename dialog allows.
        {"a", "b", "c", "d", repeat("c", 600)},
        // All five fields at their widths in three-byte characters: over 12 000 bytes of statement.
        {repeat(kCjk, 512), repeat(kCjk, 512), repeat(kCjk, 512), repeat(kCjk, 512), repeat(kCjk, 2048)},
        // Widths count the text as stored: doubling the quotes must not make these too long.
        {repeat("'", 512), repeat("'", 512), repeat("'", 512), repeat("'", 512), repeat("'", 2048)},
        {repeat(kEmoji, 256), "s", "a", "g", repeat(kEmoji, 1024)},
    };
    for (const recCacheTags& tags : cases) {
        ASSERT_EQ(recCacheSetTags(f.db.get(), 1, tags), OKAY);
        recCacheTags read;
        ASSERT_EQ(recCacheGetTags(f.db.get(), 1, read), OKAY);
        EXPECT_EQ(read, tags);
    }
    EXPECT_EQ(sqliteCli(f.dbPath(), "SELECT length(artist), length(comment) FROM caches;"), "256|1024");

    const std::string base = repeat(kCjk, 1020) + "_1_1";  // 1 024 units
    ASSERT_EQ(recCacheInsert(f.db.get(), base, 1, 1), OKAY);
    recCacheTrack track;
    ASSERT_EQ(recCacheGetTrack(f.db.get(), 2, track), OKAY);
    EXPECT_EQ(track.baseName, base);
}

TEST(recCache, TextsWiderThanTheirColumnAreRefusedNotCut) {
    Folder f;
    f.open();
    ASSERT_EQ(recCacheInsertFromFileName(f.db.get(), "1700000000_5000_1"), OKAY);
    const recCacheTags stored{"keep", "me", "as", "I", "am"};
    ASSERT_EQ(recCacheSetTags(f.db.get(), 1, stored), OKAY);
    const std::string tag513 = repeat(kCjk, 513);
    const std::vector<recCacheTags> cases = {
        {tag513, "", "", "", ""},
        {"", tag513, "", "", ""},
        {"", "", tag513, "", ""},
        {"", "", "", tag513, ""},
        {"", "", "", "", repeat("c", 2049)},
        {"", "", "", "", repeat(kEmoji, 1024) + "c"},
    };
    for (const recCacheTags& tags : cases) {
        ReportRecorder reports;
        EXPECT_EQ(recCacheSetTags(f.db.get(), 1, tags), NOT_OKAY);
        EXPECT_TRUE(reports.reported("UTIL/recCache/recCache"));
    }
    ReportRecorder reports;
    EXPECT_EQ(recCacheInsert(f.db.get(), repeat("n", 1025), 1, 1), NOT_OKAY);
    EXPECT_EQ(recCacheInsert(f.db.get(), "1_1_1", -1, 1), NOT_OKAY);
    EXPECT_EQ(recCacheSetTags(f.db.get(), 1, {std::string("a\0b", 3), "", "", "", ""}), NOT_OKAY);
    EXPECT_EQ(recCacheSetTags(f.db.get(), 1, {"\xff\xfe", "", "", "", ""}), NOT_OKAY);
    recCacheTags read;
    ASSERT_EQ(recCacheGetTags(f.db.get(), 1, read), OKAY);
    EXPECT_EQ(read, stored);
    EXPECT_EQ(sqliteCli(f.dbPath(), "SELECT count(*) FROM caches;"), "1");
}

TEST(recCache, RowsWrittenByOtherProgramsAreReadAsFarAsTheyCanBe) {
    // Each hostile value of a row, what the list reads of it, and the trace.
    struct Case {
        const char* name;
        std::string set;  // SQL assignments
        std::string artist, song;
        long creation, duration;
    } cases[] = {
        {"a 513-character song", "song = '" + repeat("s", 513) + "'", "", repeat("s", 512), 1700000000, 5000},
        {"an emoji across the limit", "song = '" + repeat("s", 511) + "\xf0\x9f\x8e\xb5'", "",
         repeat("s", 511), 1700000000, 5000},
        {"invalid UTF-8", "artist = CAST(x'41ff42' AS TEXT)",
         "A\xef\xbf\xbd"
         "B",
         "", 1700000000, 5000},
        {"a duration of '5 s'", "duration = '5 s'", "", "", 1700000000, 0},
        {"a duration of 'nan'", "duration = 'nan'", "", "", 1700000000, 0},
        {"a real creation time", "creation_timestamp = 1.5e300", "", "", 0, 5000},
        {"a 5 MB comment", "comment = replace(hex(zeroblob(2621440)), '00', 'cc')", "", "", 1700000000, 5000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folder f;
        f.open();
        ASSERT_EQ(recCacheInsert(f.db.get(), "1700000000_5000_1", 1700000000, 5000), OKAY);
        sqliteCli(f.dbPath(), "UPDATE caches SET " + c.set + ";");
        ReportRecorder reports;
        f.sink.outputs.clear();
        recCacheTrack track;
        recCacheTags tags;
        ASSERT_EQ(recCacheGetTrack(f.db.get(), 1, track), OKAY);
        ASSERT_EQ(recCacheGetTags(f.db.get(), 1, tags), OKAY);
        EXPECT_EQ(tags.artist, c.artist);
        EXPECT_EQ(tags.song, c.song);
        EXPECT_LE(tags.comment.size(), 2048u);
        EXPECT_EQ(track.creationTime, c.creation);
        EXPECT_EQ(track.durationMs, c.duration);
        EXPECT_EQ(reports.count(), 0u);
        EXPECT_FALSE(f.sink.outputs.empty()) << "the trace says what was read otherwise";
    }
}

TEST(recCache, ReadsByIdDemandExactlyOneRow) {
    Folder f;
    f.open();
    ASSERT_EQ(recCacheInsertFromFileName(f.db.get(), "1700000000_5000_1"), OKAY);
    ASSERT_EQ(recCacheInsertFromFileName(f.db.get(), "1700000001_5000_2"), OKAY);
    ASSERT_EQ(recCacheDelete(f.db.get(), 1), OKAY);
    EXPECT_EQ(sqliteCli(f.dbPath(), "SELECT id FROM caches;"), "2");

    ReportRecorder reports;
    recCacheTrack track{42, 43, "untouched"};
    recCacheTags tags{"u", "n", "t", "o", "uched"};
    int source = 7;
    for (int id : {1, 3, -100, 2147483647}) {
        EXPECT_EQ(recCacheGetTrack(f.db.get(), id, track), NOT_OKAY);
        EXPECT_EQ(recCacheGetTags(f.db.get(), id, tags), NOT_OKAY);
        EXPECT_EQ(recCacheGetSource(f.db.get(), id, source), NOT_OKAY);
    }
    EXPECT_EQ(track.baseName, "untouched");
    EXPECT_EQ(tags.comment, "uched");
    EXPECT_EQ(source, 7);
    EXPECT_EQ(reports.count(), 4u * 3u * 2u);  // each failure reports the read and its caller
    EXPECT_TRUE(f.sink.errors.empty());        // a missing row is not the user's business
}

TEST(recCache, GetIdsStopsAtItsCapacity) {
    Folder f;
    f.open();
    for (int i = 5; i >= 1; --i)
        ASSERT_EQ(recCacheInsert(f.db.get(), std::to_string(i) + "_1000_1", 1700000000 + i, 1000), OKAY);
    std::vector<int> ids;
    ASSERT_EQ(recCacheGetIds(f.db.get(), 3, ids), OKAY);
    EXPECT_EQ(ids, (std::vector<int>{5, 4, 3}));
    ASSERT_EQ(recCacheGetIds(f.db.get(), 0, ids), OKAY);
    EXPECT_TRUE(ids.empty());
}

// The polled answer follows every write through the handle, including a
// write run as a statement of the caller's own, and the reads inside a run.
TEST(recCache, HasTracksFollowsInsertsDeletesAndRawStatements) {
    Folder f;
    f.open();
    const auto any = [&] {
        bool value = true;
        EXPECT_EQ(recCacheHasTracks(f.db.get(), value), OKAY);
        return value;
    };
    EXPECT_FALSE(any());
    ASSERT_EQ(recCacheInsert(f.db.get(), "1700000000_1000_1", 1700000000, 1000), OKAY);
    EXPECT_TRUE(any());
    ASSERT_EQ(recCacheDelete(f.db.get(), 1), OKAY);
    EXPECT_FALSE(any());
    ASSERT_EQ(recCacheInsert(f.db.get(), "1700000001_1000_1", 1700000001, 1000), OKAY);
    EXPECT_TRUE(any());
    ASSERT_EQ(recCache_sqlite_exec(f.db.get(), "DELETE FROM caches", sqliteExecMode::SingleColumn), OKAY);
    EXPECT_FALSE(any());

    ASSERT_EQ(recCacheInsert(f.db.get(), "1700000002_1000_1", 1700000002, 1000), OKAY);
    ASSERT_EQ(recCacheBeginReads(f.db.get()), OKAY);
    EXPECT_EQ(baseNamesInListOrder(f.db.get()), std::vector<std::string>{"1700000002_1000_1"});
    EXPECT_TRUE(any());
    ASSERT_EQ(recCacheEndReads(f.db.get()), OKAY);
    // The run ended: a write goes through again.
    std::vector<int> ids;
    ASSERT_EQ(recCacheGetIds(f.db.get(), kRecCacheMaxIds, ids), OKAY);
    ASSERT_EQ(ids.size(), 1u);
    ASSERT_EQ(recCacheDelete(f.db.get(), ids[0]), OKAY);
    EXPECT_FALSE(any());
}

TEST(recCache, ParseFileNameNeedsTwoLeadingNumbers) {
    Folder f;
    f.open();
    struct Case {
        const char* name;
        bool parsed;
        long creation, duration;
    };
    const Case cases[] = {
        {"1700000000_5000_123", true, 1700000000, 5000},
        {"1_2", true, 1, 2},
        {"0_0_0_extra", true, 0, 0},
        {"notes", false, 0, 0},
        {"12_", false, 0, 0},
        {"_5_1", false, 0, 0},
        {"-1_2_3", false, 0, 0},
        {"1.5_2_3", false, 0, 0},
        {"12abc_5_1", false, 0, 0},
        {"99999999999999999999_1_1", false, 0, 0},
    };
    for (const Case& c : cases) {
        long creation = -1, duration = -1;
        bool parsed = !c.parsed;
        ASSERT_EQ(recCacheParseFileName(f.db.get(), c.name, creation, duration, parsed), OKAY) << c.name;
        EXPECT_EQ(parsed, c.parsed) << c.name;
        if (c.parsed) {
            EXPECT_EQ(creation, c.creation) << c.name;
            EXPECT_EQ(duration, c.duration) << c.name;
        }
    }
    ReportRecorder reports;
    EXPECT_EQ(recCacheInsertFromFileName(f.db.get(), "notes"), NOT_OKAY);
    EXPECT_EQ(sqliteCli(f.dbPath(), "SELECT count(*) FROM caches;"), "0");
}

TEST(recCache, DamagedDatabaseIsSetAsideAndRebuiltFromTheFiles) {
    struct Damage {
        const char* what;
        void (*apply)(const std::string& path);
    };
    const Damage damages[] = {
        {"garbage bytes",
         [](const std::string& path) {
             testsupport::writeText(path, repeat("this is not a database at all\n", 200));
         }},
        {"truncated file",
         [](const std::string& path) {
             sqliteCli(path,
                       "CREATE TABLE caches (`id` INTEGER PRIMARY KEY, `cache_filename_no_extension` "
                       "CHAR(1024) NOT NULL, `comment` CHAR(2048));"
                       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                       "INSERT INTO caches SELECT NULL, 'row' || i, printf('%.1000c', 'x') FROM n;");
             fs::resize_file(path, fs::file_size(path) / 2);
         }},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        Folder f;
        f.touch("1700000200_3000_2.tmp");
        f.touch("1700000100_4000_1.tmp");
        d.apply(f.dbPath());
        const auto damagedBytes = testsupport::readBytes(f.dbPath());
        f.open();

        EXPECT_EQ(baseNamesInListOrder(f.db.get()),
                  (std::vector<std::string>{"1700000100_4000_1", "1700000200_3000_2"}));
        std::vector<fs::path> aside;
        for (const auto& e : fs::directory_iterator(f.dir.path()))
            if (e.path().filename().string().starts_with("cache.db.corrupt-")) aside.push_back(e.path());
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(testsupport::readBytes(aside[0].string()), damagedBytes);
        ASSERT_EQ(f.sink.errors.size(), 2u);
        EXPECT_EQ(f.sink.errors[0].first, 1);
        EXPECT_NE(f.sink.errors[0].second.find("damaged"), std::string::npos);
        EXPECT_NE(f.sink.errors[1].second.find(aside[0].string()), std::string::npos);

        // The rebuilt database opens quietly next time, and the next damage
        // does not overwrite the first file set aside.
        ASSERT_EQ(recCacheClose(f.db), OKAY);
        f.sink.errors.clear();
        f.open();
        EXPECT_TRUE(f.sink.errors.empty());
        ASSERT_EQ(recCacheClose(f.db), OKAY);
        testsupport::writeText(f.dbPath(), "garbage again, in the same second");
        f.open();
        size_t count = 0;
        for (const auto& e : fs::directory_iterator(f.dir.path()))
            count += e.path().filename().string().starts_with("cache.db.corrupt-");
        EXPECT_EQ(count, 2u);
        EXPECT_EQ(testsupport::readBytes(aside[0].string()), damagedBytes);
    }
}

TEST(recCache, EmptyFileGetsTheTableAndTheFilesWithoutAComplaint) {
    Folder f;
    testsupport::writeText(f.dbPath(), "");
    f.touch("1700000100_4000_1.tmp");
    f.open();
    EXPECT_EQ(baseNamesInListOrder(f.db.get()), (std::vector<std::string>{"1700000100_4000_1"}));
    EXPECT_TRUE(f.sink.errors.empty());
}

TEST(recCache, StatementsAreTracedAndFailuresToldToTheUser) {
    TempDir dir;
    CapturingSlout sink;
    std::unique_ptr<recCache> db;
    ASSERT_EQ(recCacheInit(dir.str(), "sdrtfn", "tmp", true, &sink, db), OKAY);
    sink.outputs.clear();
    std::vector<int> ids;
    ASSERT_EQ(recCacheGetIds(db.get(), 10, ids), OKAY);
    using Line = std::pair<int, std::string>;
    EXPECT_EQ(sink.outputs,
              (std::vector<Line>{{1,
                                  "recCache_sqlite_exec: Executing: SELECT id FROM caches ORDER BY "
                                  "creation_timestamp ASC"},
                                 {1, "recCache_sqlite_exec: Success"}}));
    ReportRecorder reports;
    EXPECT_EQ(recCache_sqlite_exec(db.get(), "SELECT x FROM nowhere", sqliteExecMode::MultiColumn), NOT_OKAY);
    EXPECT_EQ(sink.errors, (std::vector<Line>{{1,
                                               "recCache_sqlite_exec: Error executing SQL: no such table: "
                                               "nowhere\n"}}));
    EXPECT_TRUE(reports.reported("UTIL/recCache/recCache"));
    EXPECT_TRUE(reports.reported("UTIL/sqliteExec/sqliteExec"));
    ASSERT_EQ(recCacheClose(db), OKAY);
}

TEST(recCache, OpenFailureIsToldAndCloseIsHarmlessTwice) {
    TempDir dir;
    CapturingSlout sink;
    std::unique_ptr<recCache> db;
    {
        ReportRecorder reports;
        EXPECT_EQ(recCacheInit(dir.file("no/such/folder"), "sdrtfn", "tmp", false, &sink, db), NOT_OKAY);
        EXPECT_FALSE(db);
        ASSERT_EQ(sink.errors.size(), 1u);
        EXPECT_EQ(sink.errors[0].second, "Can't open database: unable to open database file\n");
        EXPECT_EQ(recCacheInit("", "sdrtfn", "tmp", false, &sink, db), NOT_OKAY);
        std::vector<int> ids;
        EXPECT_EQ(recCacheGetIds(nullptr, 1, ids), NOT_OKAY);
    }
    ASSERT_EQ(recCacheInit(dir.str(), "sdrtfn", "tmp", false, nullptr, db), OKAY);
    EXPECT_EQ(recCacheClose(db), OKAY);
    EXPECT_FALSE(db);
    EXPECT_EQ(recCacheClose(db), OKAY);
}

// A held row (the undo of a delete) leaves `caches` and comes back whole:
// every column as it was, NULLs and quotes included, with its own id unless a
// new row took that id meanwhile. Held rows belong to the connection.
TEST(recCache, HeldRowsComeBackWholeAndKeepTheirIdUnlessTaken) {
    Folder f;
    f.open();
    ASSERT_EQ(recCacheInsert(f.db.get(), "1700000100_5000_1", 1700000100, 5000), OKAY);
    ASSERT_EQ(recCacheInsert(f.db.get(), "1700000200_6000_2", 1700000200, 6000), OKAY);
    ASSERT_EQ(recCacheInsert(f.db.get(), "1700000300_7000_3", 1700000300, 7000), OKAY);
    recCacheTags tags;
    tags.song = "It's \"Here\"";
    tags.artist = kEmoji;
    ASSERT_EQ(recCacheSetTags(f.db.get(), 2, tags), OKAY);  // album, genre, comment: empty, not NULL
    ASSERT_EQ(recCacheSetSource(f.db.get(), 2, kRecCacheSourcePlayers), OKAY);
    auto row = [](int id) {
        return "SELECT quote(cache_filename_no_extension), quote(artist), quote(song), quote(album), "
               "quote(genre), "
               "quote(comment), quote(creation_timestamp), quote(duration), quote(source) FROM caches WHERE "
               "id = " +
               std::to_string(id) + ";";
    };
    auto dump = [&](int id) { return sqliteCli(f.dbPath(), row(id)); };
    const std::string second = dump(2), third = dump(3);
    ASSERT_NE(second.find("'It''s \"Here\"'"), std::string::npos);
    ASSERT_NE(third.find("NULL"), std::string::npos);

    ASSERT_EQ(recCacheHold(f.db.get(), 2), OKAY);
    ASSERT_EQ(recCacheHold(f.db.get(), 3), OKAY);
    EXPECT_EQ(sqliteCli(f.dbPath(), "SELECT id FROM caches;"), "1");  // gone from the file
    // A recording finished meanwhile takes the next id, which was the held 2.
    ASSERT_EQ(recCacheInsert(f.db.get(), "1700000400_1000_4", 1700000400, 1000), OKAY);
    EXPECT_EQ(sqliteCli(f.dbPath(), "SELECT id FROM caches WHERE duration = 1000;"), "2");

    int id = 0;
    ASSERT_EQ(recCacheRestoreHeld(f.db.get(), "1700000300_7000_3", id), OKAY);
    EXPECT_EQ(id, 3);  // free: its own
    EXPECT_EQ(dump(3), third);
    ASSERT_EQ(recCacheRestoreHeld(f.db.get(), "1700000200_6000_2", id), OKAY);
    EXPECT_EQ(id, 4);  // taken: the next one
    EXPECT_EQ(dump(4), second);
    EXPECT_EQ(baseNamesInListOrder(f.db.get()),
              (std::vector<std::string>{"1700000100_5000_1", "1700000200_6000_2", "1700000300_7000_3",
                                        "1700000400_1000_4"}));
    {
        ReportRecorder reports;
        EXPECT_NE(recCacheRestoreHeld(f.db.get(), "1700000200_6000_2", id), OKAY);  // back already
        EXPECT_TRUE(reports.reported("../../UTIL/recCache/recCache"));
    }

    // Forgotten, or the database closed: a held row is gone for good.
    ASSERT_EQ(recCacheHold(f.db.get(), 1), OKAY);
    ASSERT_EQ(recCacheForgetHeld(f.db.get()), OKAY);
    ASSERT_EQ(recCacheHold(f.db.get(), 4), OKAY);
    recCacheClose(f.db);
    f.open();
    ReportRecorder reports;
    EXPECT_NE(recCacheRestoreHeld(f.db.get(), "1700000100_5000_1", id), OKAY);
    EXPECT_NE(recCacheRestoreHeld(f.db.get(), "1700000200_6000_2", id), OKAY);
    EXPECT_EQ(sqliteCli(f.dbPath(), "SELECT id FROM caches ORDER BY id;"), "2\n3");
}

// The holding place of deleted tracks is a folder of the cache folder: the
// rebuild of a lost database and the reconciliation at start-up list the
// folder's own files, never the held ones.
TEST(recCache, HeldFilesAreNeverTakenForTracks) {
    Folder f;
    fs::create_directory(f.dir.file("Deleted"));
    f.touch("Deleted/1700000100_5000_1.tmp");
    f.touch("1700000200_6000_2.tmp");
    f.open();  // a new database, rebuilt from the folder
    EXPECT_EQ(baseNamesInListOrder(f.db.get()), (std::vector<std::string>{"1700000200_6000_2"}));
    f.touch("Deleted/1700000300_7000_3.tmp");
    int added = -1, removed = -1;
    ASSERT_EQ(recCacheReconcile(f.db.get(), added, removed), OKAY);
    EXPECT_EQ(added, 0);
    EXPECT_EQ(removed, 0);
}
