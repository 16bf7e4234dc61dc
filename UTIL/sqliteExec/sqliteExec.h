// The small result-collecting layer over SQLite's callback interface, shared by
// the cache database (recCache) and the auto-completion stores (autoComplete).
//
// A statement runs through sqlite3_exec and its rows are gathered into plain
// lists of UTF-8 texts. In single-column mode every row of exactly one column
// adds its value to one list (other rows are ignored); in multi-column mode the
// value of column i of every row is appended to list i, for columns 0 to 9
// (later columns are ignored). SQL NULL becomes an empty text. Every list has a
// width in UTF-16 units; a value wider than its list, or not well-formed UTF-8,
// stops the statement with an internal error, so no value is ever cut silently.
// The lists are emptied when a statement starts: results are valid until the
// next statement on the same results record.
//
// Opening and closing share the user-facing messages of both databases
// ("Can't open database: %s\n", "Error closing database connection: %s\n"),
// which go through the trace sink's error operation.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class CSlout;

constexpr size_t kSqliteExecColumns = 10;

// The longest statement accepted, in UTF-8 bytes. It must hold the longest
// legal statement of its users: the cache database's tags UPDATE with four
// 512-unit tags and a 2 048-unit comment. One UTF-16 unit takes at most three
// UTF-8 bytes (a doubled quote takes two, a surrogate pair four for two units),
// so the five texts need at most 3 * 4 096 bytes; the rest is the fixed text.
constexpr size_t kSqliteExecStatementBytes = 3 * (4 * 512 + 2048) + 512;

enum class sqliteExecMode { SingleColumn = 1, MultiColumn = 2 };

// Widths of the result lists, in UTF-16 units.
struct sqliteExecWidths {
    size_t single = 0;
    std::array<size_t, kSqliteExecColumns> columns{};
};

struct sqliteExecResults {
    std::vector<std::string> single;
    std::array<std::vector<std::string>, kSqliteExecColumns> columns;
};

// Closes a connection quietly; the owner closes it with sqliteExecClose when the
// outcome must be reported, so this only covers paths that never got that far.
struct sqliteExecCloser {
    void operator()(sqlite3* db) const;
};
using sqliteExecDb = std::unique_ptr<sqlite3, sqliteExecCloser>;

// The statement runner's name ("recCache_sqlite_exec") prefixes its trace and
// error lines; traceSql traces every statement and its success.
struct sqliteExecCaller {
    std::string_view name;
    CSlout* trace = nullptr;
    bool traceSql = false;
};

// Opens (creating when missing) the database at a UTF-8 path. On failure reports
// "Can't open database: %s\n" with SQLite's message through trace->errorW,
// closes the connection and returns NOT_OKAY with an internal error.
int sqliteExecOpen(const std::string& path, CSlout* trace, sqliteExecDb& db);

// Closes and clears db (an empty db is not an error). When SQLite refuses,
// reports "Error closing database connection: %s\n" through trace->errorW,
// releases the connection anyway and returns NOT_OKAY.
int sqliteExecClose(sqliteExecDb& db, CSlout* trace);

// The last statement a caller ran, kept compiled: running the very same text
// again skips parsing it (the track list reads each row twice in a row).
// Finalized by reset() or on destruction, which must both come before the
// connection is closed by sqliteExecClose.
class sqliteExecStatement {
  public:
    sqliteExecStatement() = default;
    sqliteExecStatement(const sqliteExecStatement&) = delete;
    sqliteExecStatement& operator=(const sqliteExecStatement&) = delete;
    ~sqliteExecStatement() { reset(); }
    void reset();

  private:
    friend int sqliteExecRun(sqlite3*, const struct sqliteExecCaller&, std::string_view, sqliteExecMode,
                             const sqliteExecWidths&, sqliteExecResults&, sqliteExecStatement*);
    std::string text_;
    sqlite3_stmt* compiled_ = nullptr;
};

// Runs one statement and collects its rows into results (emptied first). With
// `last`, a single statement runs compiled and stays there for its next run.
// Refused with an internal error: a statement that is not well-formed UTF-8,
// holds a NUL byte or exceeds kSqliteExecStatementBytes - 1 bytes. A statement
// that SQLite fails reports "<name>: Error executing SQL: %s\n" through
// trace->errorW and returns NOT_OKAY with an internal error.
int sqliteExecRun(sqlite3* db, const sqliteExecCaller& caller, std::string_view statement,
                  sqliteExecMode mode, const sqliteExecWidths& widths, sqliteExecResults& results,
                  sqliteExecStatement* last = nullptr);

// Tells whether the file behind db is damaged: not a database at all (garbage
// bytes), or a database whose structure "PRAGMA quick_check" finds broken (a
// truncated file, for instance). Runs quietly, since a damaged file is an
// expected finding here; any other failure (locked, unreadable) is reported as
// by sqliteExecRun and returns NOT_OKAY.
int sqliteExecCheckDamage(sqlite3* db, const sqliteExecCaller& caller, bool& damaged);
