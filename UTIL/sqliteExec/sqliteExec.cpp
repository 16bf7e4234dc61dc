// Runs SQL statements through sqlite3_exec and collects their rows into plain
// lists of texts; opens and closes connections with the user-facing messages
// both databases of the program share. See sqliteExec.h for the contract.
#include "sqliteExec.h"

#include <sqlite3.h>

#include <algorithm>

#include "CSlout.h"
#include "pstr.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/sqliteExec/sqliteExec";

namespace {

// What the row callback needs; repaired records that a value had to be made
// fit (see collectValue), so that the trace says it once for the statement.
struct Collector {
    sqliteExecMode mode;
    const sqliteExecWidths* widths;
    sqliteExecResults* results;
    bool repaired = false;
};

// Appends one value (NULL as empty text) to list. A value that is not valid
// UTF-8 or longer than its field (a database edited or damaged outside the
// program) is kept as far as it can be read: invalid bytes become U+FFFD and
// the text is cut at a character boundary.
void collectValue(Collector& c, const char* value, size_t width, std::vector<std::string>& list) {
    if (!value) {
        list.emplace_back();
        return;
    }
    const std::string_view text(value);
    if (pstrIsUtf8(text) && pstrUtf16Length(text) <= width) {
        list.emplace_back(text);
        return;
    }
    bool changed = false;
    list.push_back(pstrRepairUtf8(text, width, changed));
    c.repaired = c.repaired || changed;
}

// sqlite3_exec's row callback; a nonzero return aborts the statement.
int collectRow(void* context, int argc, char** argv, char** /*names*/) {
    auto& c = *static_cast<Collector*>(context);
    if (c.mode == sqliteExecMode::SingleColumn) {
        if (argc == 1) collectValue(c, argv[0], c.widths->single, c.results->single);
        return 0;
    }
    const size_t columns = std::min(static_cast<size_t>(argc), kSqliteExecColumns);
    for (size_t i = 0; i < columns; ++i)
        collectValue(c, argv[i], c.widths->columns[i], c.results->columns[i]);
    return 0;
}

void emptyResults(sqliteExecResults& results) {
    results.single.clear();
    for (auto& list : results.columns) list.clear();
}

// SQLite's message for the last failure on db, never null.
std::string errorText(sqlite3* db) {
    const char* text = db ? sqlite3_errmsg(db) : nullptr;
    return text ? text : "out of memory";
}

// SQLite's memory statistics put a global mutex around every allocation; we
// never read them, and without them a list fill of thousands of statements
// costs about a sixth less. The setting is accepted only before SQLite starts
// up; if someone started it first, SQLite refuses it and nothing changes.
void configureSqliteOnce() {
    static const int result = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)result;
}

void reportToUser(CSlout* trace, const std::string& text) {
    if (trace) trace->errorW(1, text);
}

bool onlyBlanks(const char* text) {
    while (text && (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == ';')) ++text;
    return !text || *text == '\0';
}

// Steps a compiled statement to its end, handing every row to collectRow as
// sqlite3_exec would (NULL values as null pointers), and resets it so that it
// holds no lock while it waits for its next run. SQLITE_OK or SQLite's code.
int stepAll(sqlite3_stmt* statement, Collector& collector) {
    const int columns = sqlite3_column_count(statement);
    std::array<char*, kSqliteExecColumns> values{};
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        // collectRow reads at most the first kSqliteExecColumns values.
        const int kept = std::min(columns, static_cast<int>(kSqliteExecColumns));
        for (int i = 0; i < kept; ++i)
            values[i] =
                reinterpret_cast<char*>(const_cast<unsigned char*>(sqlite3_column_text(statement, i)));
        collectRow(&collector, columns, values.data(), nullptr);
    }
    const int reset = sqlite3_reset(statement);
    return rc == SQLITE_DONE ? reset : rc;
}

}  // namespace

void sqliteExecCloser::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

void sqliteExecStatement::reset() {
    if (compiled_) sqlite3_finalize(compiled_);
    compiled_ = nullptr;
    text_.clear();
}

int sqliteExecOpen(const std::string& path, CSlout* trace, sqliteExecDb& db) {
    db.reset();
    configureSqliteOnce();
    if (path.empty() || path.find('\0') != std::string::npos) return REPORT_ERR();
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open(path.c_str(), &raw);
    sqliteExecDb opened(raw);  // sqlite3_open hands out a connection even when it fails
    if (rc != SQLITE_OK) {
        const std::string why = errorText(opened.get());
        reportToUser(trace, "Can't open database: " + why + "\n");
        return REPORT_ERR_WHY(why);
    }
    db = std::move(opened);
    return OKAY;
}

int sqliteExecClose(sqliteExecDb& db, CSlout* trace) {
    sqlite3* raw = db.release();
    if (!raw) return OKAY;
    if (sqlite3_close(raw) == SQLITE_OK) return OKAY;
    reportToUser(trace, "Error closing database connection: " + errorText(raw) + "\n");
    // The close_v2 form frees the connection as soon as whatever held it open
    // is finished, so the owner can forget it now.
    sqlite3_close_v2(raw);
    return NOT_OKAY;
}

int sqliteExecRun(sqlite3* db, const sqliteExecCaller& caller, std::string_view statement,
                  sqliteExecMode mode, const sqliteExecWidths& widths, sqliteExecResults& results,
                  sqliteExecStatement* last) {
    if (!db) return REPORT_ERR();
    const std::string_view name = caller.name;
    if (caller.traceSql && caller.trace)
        caller.trace->outputW(1, std::string(name) + ": Executing: " + std::string(statement));
    emptyResults(results);

    // sqlite3_exec reads a NUL-terminated text: a NUL inside would silently
    // shorten the statement, so it is refused like malformed UTF-8.
    if (statement.empty() || statement.size() >= kSqliteExecStatementBytes) return REPORT_ERR();
    if (statement.find('\0') != std::string_view::npos || !pstrIsUtf8(statement)) return REPORT_ERR();
    Collector collector{mode, &widths, &results};
    int rc = SQLITE_OK;
    if (last && last->compiled_ && last->text_ == statement) {
        rc = stepAll(last->compiled_, collector);
    } else {
        const std::string text(statement);
        sqlite3_stmt* compiled = nullptr;
        const char* tail = nullptr;
        if (last) last->reset();
        if (last && sqlite3_prepare_v2(db, text.c_str(), -1, &compiled, &tail) == SQLITE_OK && compiled &&
            onlyBlanks(tail)) {
            last->compiled_ = compiled;
            last->text_ = text;
            rc = stepAll(compiled, collector);
        } else {
            // Several statements in one text, or one SQLite refused to compile
            // (it reports why again below): run as a whole.
            if (compiled) sqlite3_finalize(compiled);
            rc = sqlite3_exec(db, text.c_str(), collectRow, &collector, nullptr);
        }
    }
    if (rc != SQLITE_OK) {
        const std::string why = errorText(db);
        reportToUser(caller.trace, std::string(name) + ": Error executing SQL: " + why + "\n");
        return REPORT_ERR_WHY(why);
    }
    if (collector.repaired && caller.trace)
        caller.trace->messageW(1, std::string(name) +
                                      ": A value that was not valid text or did not fit its field was read "
                                      "as far as it could be, for: " +
                                      std::string(statement));
    if (caller.traceSql && caller.trace) caller.trace->outputW(1, std::string(name) + ": Success");
    return OKAY;
}

int sqliteExecCheckDamage(sqlite3* db, const sqliteExecCaller& caller, bool& damaged) {
    damaged = false;
    if (!db) return REPORT_ERR();
    // quick_check answers one row "ok" for a sound file and one row per problem
    // otherwise; it walks every page, which for a cache of a few thousand rows
    // costs milliseconds.
    std::vector<std::string> lines;
    const auto collect = [](void* context, int argc, char** argv, char**) {
        auto& out = *static_cast<std::vector<std::string>*>(context);
        out.emplace_back(argc >= 1 && argv[0] ? argv[0] : "");
        return 0;
    };
    const int rc = sqlite3_exec(db, "PRAGMA quick_check", collect, &lines, nullptr);
    const int primary = rc & 0xff;
    if (rc != SQLITE_OK && primary != SQLITE_NOTADB && primary != SQLITE_CORRUPT) {
        const std::string why = errorText(db);
        reportToUser(caller.trace, std::string(caller.name) + ": Error executing SQL: " + why + "\n");
        return REPORT_ERR_WHY(why);
    }
    damaged = rc != SQLITE_OK || lines.size() != 1 || lines[0] != "ok";
    return OKAY;
}
