// The shared result collector: which rows and columns each mode keeps, NULL as
// empty text, per-list widths, refused statements, and a close that SQLite refuses.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "dbtest.h"
#include "report.h"
#include "sqliteExec.h"
#include "testsupport.h"

using dbtest::CapturingSlout;
using dbtest::repeat;

namespace {

struct Db {
    testsupport::TempDir dir;
    CapturingSlout sink;
    sqliteExecDb db;
    sqliteExecCaller caller{"test_exec", &sink, false};
    sqliteExecWidths widths{4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}};
    sqliteExecResults results;
    Db() { EXPECT_EQ(sqliteExecOpen(dir.file("x.db"), &sink, db), OKAY); }
    sqliteExecStatement* last = nullptr;  // set: statements run compiled and kept
    int run(const std::string& sql, sqliteExecMode mode) {
        return sqliteExecRun(db.get(), caller, sql, mode, widths, results, last);
    }
};

using Texts = std::vector<std::string>;

}  // namespace

TEST(sqliteExec, SingleColumnModeKeepsOnlyOneColumnRows) {
    Db d;
    ASSERT_EQ(d.run("SELECT 'a' UNION ALL SELECT NULL UNION ALL SELECT 'abcd'", sqliteExecMode::SingleColumn),
              OKAY);
    EXPECT_EQ(d.results.single, (Texts{"a", "", "abcd"}));
    ASSERT_EQ(d.run("SELECT 1, 2", sqliteExecMode::SingleColumn), OKAY);
    EXPECT_TRUE(d.results.single.empty());  // emptied by the new statement, two-column row ignored
}

TEST(sqliteExec, MultiColumnModeFillsTenListsWithTheirOwnWidths) {
    Db d;
    ASSERT_EQ(d.run("SELECT 'a', NULL, 'ccc', 4, 5, 6, 7, 8, 9, '0123456789', 'eleventh' "
                    "UNION ALL SELECT 'b', 'bb', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL",
                    sqliteExecMode::MultiColumn),
              OKAY);
    EXPECT_EQ(d.results.columns[0], (Texts{"a", "b"}));
    EXPECT_EQ(d.results.columns[1], (Texts{"", "bb"}));
    EXPECT_EQ(d.results.columns[2], (Texts{"ccc", ""}));
    EXPECT_EQ(d.results.columns[9], (Texts{"0123456789", ""}));
    EXPECT_TRUE(d.results.single.empty());

    // A value too wide for its list or not UTF-8 (written by another program)
    // is read as far as it can be, and the trace says so once for the statement.
    ReportRecorder reports;
    ASSERT_EQ(d.run("SELECT 'a', 'too', 'ccc' UNION ALL SELECT 'b', CAST(x'41ff' AS TEXT), ''",
                    sqliteExecMode::MultiColumn),
              OKAY);  // column 1 holds 2 units
    EXPECT_EQ(d.results.columns[1], (Texts{"to", "A\xef\xbf\xbd"}));
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_TRUE(d.sink.errors.empty());
    ASSERT_EQ(d.sink.outputs.size(), 1u);
    EXPECT_NE(d.sink.outputs[0].second.find("test_exec: A value that was not valid text or did not fit"),
              std::string::npos);
    // Widths count UTF-16 units: four CJK characters fit in a width of 4, one
    // emoji takes two, and a cut never splits one.
    ASSERT_EQ(d.run("SELECT 'x', '\xf0\x9f\x8e\xb5', '', '\xe6\xbc\xa2\xe6\xbc\xa2\xe6\xbc\xa2\xe6\xbc\xa2'",
                    sqliteExecMode::MultiColumn),
              OKAY);
    EXPECT_EQ(d.results.columns[3], Texts{"\xe6\xbc\xa2\xe6\xbc\xa2\xe6\xbc\xa2\xe6\xbc\xa2"});
    ASSERT_EQ(d.run("SELECT 'x', 'a\xf0\x9f\x8e\xb5'", sqliteExecMode::MultiColumn), OKAY);
    EXPECT_EQ(d.results.columns[1], Texts{"a"});
}

// A kept statement gives what sqlite3_exec gives, run again or not: the same
// rows, the same repair of a value too wide, several statements in one text,
// and a write that the next run of a kept read sees.
TEST(sqliteExec, KeptStatementRunsAgainWithTheSameResults) {
    Db d;
    sqliteExecStatement kept;
    d.last = &kept;
    ASSERT_EQ(d.run("CREATE TABLE t (v TEXT); INSERT INTO t VALUES ('a'); INSERT INTO t VALUES (NULL)",
                    sqliteExecMode::SingleColumn),
              OKAY);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(d.run("SELECT v FROM t ORDER BY rowid", sqliteExecMode::SingleColumn), OKAY);
        EXPECT_EQ(d.results.single, (Texts{"a", ""}));
        ASSERT_EQ(d.run("SELECT v FROM t ORDER BY rowid", sqliteExecMode::SingleColumn), OKAY);
        EXPECT_EQ(d.results.single, (Texts{"a", ""}));
        ASSERT_EQ(d.run("SELECT 1, 2", sqliteExecMode::SingleColumn), OKAY);
        EXPECT_TRUE(d.results.single.empty());
    }
    ASSERT_EQ(d.run("SELECT v FROM t ORDER BY rowid", sqliteExecMode::SingleColumn), OKAY);
    ASSERT_EQ(d.run("INSERT INTO t VALUES ('b')", sqliteExecMode::SingleColumn), OKAY);
    ASSERT_EQ(d.run("SELECT v FROM t ORDER BY rowid", sqliteExecMode::SingleColumn), OKAY);
    EXPECT_EQ(d.results.single, (Texts{"a", "", "b"}));

    ReportRecorder reports;
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(d.run("SELECT 'a', 'too'", sqliteExecMode::MultiColumn), OKAY);
        EXPECT_EQ(d.results.columns[1], Texts{"to"});  // column 1 holds 2 units
    }
    EXPECT_TRUE(d.sink.errors.empty());
    EXPECT_EQ(d.run("SELECT v FROM nowhere", sqliteExecMode::SingleColumn), NOT_OKAY);
    EXPECT_EQ(d.sink.errors.back().second, "test_exec: Error executing SQL: no such table: nowhere\n");

    // A kept statement would make the close fail: it goes first.
    ASSERT_EQ(d.run("SELECT v FROM t", sqliteExecMode::SingleColumn), OKAY);
    kept.reset();
    EXPECT_EQ(sqliteExecClose(d.db, &d.sink), OKAY);
}

TEST(sqliteExec, StatementsThatCannotBePassedWholeAreRefused) {
    Db d;
    ReportRecorder reports;
    const std::string longest(kSqliteExecStatementBytes - 1 - 9, ' ');
    EXPECT_EQ(d.run("SELECT 1;" + longest, sqliteExecMode::SingleColumn), OKAY);
    EXPECT_EQ(d.run("SELECT 1;" + longest + " ", sqliteExecMode::SingleColumn), NOT_OKAY);
    EXPECT_EQ(d.run(std::string("SELECT 1;\0DROP TABLE t", 22), sqliteExecMode::SingleColumn), NOT_OKAY);
    EXPECT_EQ(d.run("SELECT '\xc3'", sqliteExecMode::SingleColumn), NOT_OKAY);
    EXPECT_EQ(d.run("", sqliteExecMode::SingleColumn), NOT_OKAY);
    EXPECT_EQ(reports.count(), 4u);
    EXPECT_TRUE(d.sink.errors.empty());  // programming errors, not the user's business
}

TEST(sqliteExec, RefusedCloseIsToldAndTheHandleClearedAnyway) {
    Db d;
    sqlite3_stmt* pending = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(d.db.get(), "SELECT 1", -1, &pending, nullptr), SQLITE_OK);
    EXPECT_EQ(sqliteExecClose(d.db, &d.sink), NOT_OKAY);
    EXPECT_FALSE(d.db);
    ASSERT_EQ(d.sink.errors.size(), 1u);
    EXPECT_EQ(
        d.sink.errors[0].second,
        "Error closing database connection: unable to close due to unfinalized statements or unfinished "
        "backups\n");
    sqlite3_finalize(pending);  // the connection goes with its last statement
    EXPECT_EQ(sqliteExecClose(d.db, &d.sink), OKAY);
}

TEST(sqliteExec, DamageCheckTellsGarbageFromASoundFile) {
    testsupport::TempDir dir;
    sqliteExecCaller caller{"test_exec", nullptr, false};
    const std::string sound = dir.file("sound.db"), garbage = dir.file("garbage.db");
    dbtest::sqliteCli(sound, "CREATE TABLE t (a); INSERT INTO t VALUES (1);");
    testsupport::writeText(garbage, repeat("garbage ", 1000));
    for (const auto& [path, expected] : {std::pair{sound, false}, std::pair{garbage, true}}) {
        sqliteExecDb db;
        ASSERT_EQ(sqliteExecOpen(path, nullptr, db), OKAY);
        bool damaged = !expected;
        ASSERT_EQ(sqliteExecCheckDamage(db.get(), caller, damaged), OKAY);
        EXPECT_EQ(damaged, expected) << path;
    }
}
