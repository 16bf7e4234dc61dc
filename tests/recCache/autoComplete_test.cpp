// Auto-completion stores on real files, checked with the sqlite3 tool: the
// table, one row per distinct text, quotes and wide characters, the width.
#include <gtest/gtest.h>

#include "autoComplete.h"
#include "dbtest.h"
#include "pstr.h"
#include "report.h"
#include "testsupport.h"

using dbtest::CapturingSlout;
using dbtest::repeat;
using dbtest::sqliteCli;
using testsupport::TempDir;

TEST(autoComplete, StoresEveryDistinctTextOnce) {
    TempDir dir;
    CapturingSlout sink;
    std::unique_ptr<autoComplete> artist, album, genre;
    ASSERT_EQ(autoCompleteInit(kAutoCompleteArtist, nullptr, dir.str() + "/", false, &sink, artist), OKAY);
    ASSERT_EQ(autoCompleteInit(kAutoCompleteAlbum, nullptr, dir.str(), false, &sink, album), OKAY);
    ASSERT_EQ(autoCompleteInit(kAutoCompleteGenre, nullptr, dir.str(), false, &sink, genre), OKAY);
    EXPECT_EQ(artist->path, dir.file("1.db"));

    const std::string cjk512 = repeat("\xe6\xbc\xa2", 512);
    for (const std::string& text : {std::string("Abba"), std::string("Guns N' Roses"), std::string("Abba"),
                                    std::string("Guns N' Roses"), std::string("abba"), cjk512})
        ASSERT_EQ(autoCompleteAdd(artist.get(), text), OKAY);
    ASSERT_EQ(autoCompleteAdd(album.get(), "Arrival"), OKAY);
    {
        ReportRecorder reports;
        EXPECT_EQ(autoCompleteAdd(genre.get(), cjk512 + "x"), NOT_OKAY);
        EXPECT_TRUE(reports.reported("UTIL/autoComplete/autoComplete"));
    }
    EXPECT_EQ(autoCompleteClose(artist), OKAY);
    EXPECT_FALSE(artist);
    EXPECT_EQ(autoCompleteClose(artist), OKAY);
    EXPECT_EQ(autoCompleteClose(album), OKAY);
    EXPECT_EQ(autoCompleteClose(genre), OKAY);

    EXPECT_EQ(sqliteCli(dir.file("1.db"), "SELECT string FROM strings ORDER BY id;"),
              "Abba\nGuns N' Roses\nabba\n" + cjk512);
    EXPECT_EQ(sqliteCli(dir.file("2.db"), "SELECT string FROM strings;"), "Arrival");
    EXPECT_EQ(sqliteCli(dir.file("3.db"), "SELECT count(*) FROM strings;"), "0");
    EXPECT_EQ(sqliteCli(dir.file("1.db"), ".schema strings"),
              "CREATE TABLE strings (`id` INTEGER PRIMARY KEY,`string` CHAR(512) NOT NULL UNIQUE);");
    EXPECT_TRUE(sink.errors.empty());

    // Reopening keeps what is there.
    ASSERT_EQ(autoCompleteInit(kAutoCompleteArtist, nullptr, dir.str(), false, &sink, artist), OKAY);
    ASSERT_EQ(autoCompleteAdd(artist.get(), "Abba"), OKAY);
    // Read back for the completers: alphabetical without regard to case.
    std::vector<std::string> texts;
    ASSERT_EQ(autoCompleteGetAll(artist.get(), texts), OKAY);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(pstrUpper(texts[0]), "ABBA");
    EXPECT_EQ(pstrUpper(texts[1]), "ABBA");
    EXPECT_EQ(texts[2], "Guns N' Roses");
    EXPECT_EQ(texts[3], cjk512);
    ASSERT_EQ(autoCompleteClose(artist), OKAY);
    EXPECT_EQ(sqliteCli(dir.file("1.db"), "SELECT count(*) FROM strings;"), "4");
}

TEST(autoComplete, EmptyStoreFileGetsItsTable) {
    TempDir dir;
    testsupport::writeText(dir.file("2.db"), "");
    std::unique_ptr<autoComplete> store;
    ASSERT_EQ(autoCompleteInit(2, nullptr, dir.str(), false, nullptr, store), OKAY);
    EXPECT_EQ(autoCompleteAdd(store.get(), "Arrival"), OKAY);
    ASSERT_EQ(autoCompleteClose(store), OKAY);
    EXPECT_EQ(sqliteCli(dir.file("2.db"), "SELECT string FROM strings;"), "Arrival");
}

TEST(autoComplete, TracesStatementsAndTellsFailures) {
    TempDir dir;
    CapturingSlout sink;
    std::unique_ptr<autoComplete> store;
    {
        ReportRecorder reports;
        EXPECT_EQ(autoCompleteInit(1, nullptr, dir.file("missing"), true, &sink, store), NOT_OKAY);
        EXPECT_FALSE(store);
        ASSERT_EQ(sink.errors.size(), 1u);
        EXPECT_EQ(sink.errors[0].second, "Can't open database: unable to open database file\n");
    }
    sink.errors.clear();
    ASSERT_EQ(autoCompleteInit(1, nullptr, dir.str(), true, &sink, store), OKAY);
    sink.outputs.clear();
    ASSERT_EQ(autoCompleteAdd(store.get(), "It's"), OKAY);
    using Line = std::pair<int, std::string>;
    EXPECT_EQ(sink.outputs, (std::vector<Line>{{1,
                                                "autoComplete_sqlite_exec: Executing: INSERT OR IGNORE INTO "
                                                "strings ('id', 'string') VALUES (NULL, 'It''s')"},
                                               {1, "autoComplete_sqlite_exec: Success"}}));
    ReportRecorder reports;
    EXPECT_EQ(autoComplete_sqlite_exec(store.get(), "INSERT INTO nowhere VALUES (1)"), NOT_OKAY);
    EXPECT_EQ(
        sink.errors,
        (std::vector<Line>{{1, "autoComplete_sqlite_exec: Error executing SQL: no such table: nowhere\n"}}));
    ASSERT_EQ(autoCompleteClose(store), OKAY);
}
