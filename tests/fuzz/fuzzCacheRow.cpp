// Fuzz target: a row of cache.db holding hostile values. The input's first
// byte picks, per group of columns, whether the value is stored as TEXT or as
// a BLOB, and the widths the collector is given; the rest is the value put in
// every column of one row of an in-memory database. The row is then collected
// in single- and multi-column mode and read as a track (base name, tags,
// numbers, source) through the cache's own reads. Every value that comes out
// must be valid UTF-8 within its width, and the reads must answer without an
// internal error: a damaged row is shown as far as it can be read.
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzzSupport.h"
#include "pstr.h"
#include "recCache.h"
#include "report.h"
#include "sqliteExec.h"

namespace {

int reports = 0;

constexpr size_t kWidthChoices[] = {0, 1, 2, 3, 7, 64, 511, 512, 1024, 2048};
constexpr int kColumns = 10;
// cache.db's table; the columns carry no type, so every value stays as stored.
constexpr const char* kCreateTable =
    "CREATE TABLE caches (id INTEGER PRIMARY KEY, cache_filename_no_extension, artist, song, album, genre, "
    "comment, creation_timestamp, duration, source)";

void checkValue(std::string_view out, std::string_view stored, size_t width) {
    FUZZ_CHECK(pstrIsUtf8(out));
    FUZZ_CHECK(pstrUtf16Length(out) <= width);
    // A value that needs no repair comes out unchanged.
    if (pstrIsUtf8(stored) && pstrUtf16Length(stored) <= width) FUZZ_CHECK(out == stored);
}

// The row with `value` in every column but the id; a column is a BLOB where
// its group's bit of `blobs` is set (base name, tags, numbers).
bool insertRow(sqlite3* db, std::string_view value, unsigned blobs) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT INTO caches VALUES (1, ?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &raw,
                           nullptr) != SQLITE_OK)
        return false;
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    for (int column = 1; column < kColumns; ++column) {
        const unsigned group = column == 1 ? 0u : (column <= 6 ? 1u : 2u);
        const int rc = (blobs >> group) & 1u
                           ? sqlite3_bind_blob(raw, column, value.data(), static_cast<int>(value.size()),
                                               SQLITE_TRANSIENT)
                           : sqlite3_bind_text(raw, column, value.data(), static_cast<int>(value.size()),
                                               SQLITE_TRANSIENT);
        if (rc != SQLITE_OK) return false;
    }
    return sqlite3_step(raw) == SQLITE_DONE;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    reportSetSink([](const InternalError&) { ++reports; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const unsigned flags = data[0];
    const std::string_view value(reinterpret_cast<const char*>(data) + 1, size - 1);
    // sqlite3_exec hands values over as C strings: they end at a NUL byte.
    const std::string_view stored = value.substr(0, value.find('\0'));
    reports = 0;

    // The repair on its own, at every width.
    for (size_t width : kWidthChoices) {
        bool changed = true;
        const std::string repaired = pstrRepairUtf8(value, width, changed);
        checkValue(repaired, value, width);
        FUZZ_CHECK(changed == (repaired != value));
    }

    sqliteExecDb db;
    FUZZ_CHECK(sqliteExecOpen(":memory:", nullptr, db) == OKAY);
    FUZZ_CHECK(sqlite3_exec(db.get(), kCreateTable, nullptr, nullptr, nullptr) == SQLITE_OK);
    FUZZ_CHECK(insertRow(db.get(), value, flags & 7u));

    const sqliteExecCaller caller{"fuzz", nullptr, false};
    sqliteExecWidths widths;
    widths.single = kWidthChoices[(flags >> 3) % std::size(kWidthChoices)];
    for (size_t c = 0; c < kSqliteExecColumns; ++c)
        widths.columns[c] = kWidthChoices[(flags + c) % std::size(kWidthChoices)];
    sqliteExecResults results;
    FUZZ_CHECK(sqliteExecRun(db.get(), caller, "SELECT song FROM caches", sqliteExecMode::SingleColumn,
                             widths, results) == OKAY);
    FUZZ_CHECK(results.single.size() == 1);
    checkValue(results.single[0], stored, widths.single);
    FUZZ_CHECK(sqliteExecRun(db.get(), caller, "SELECT * FROM caches", sqliteExecMode::MultiColumn, widths,
                             results) == OKAY);
    for (int c = 1; c < kColumns; ++c) {
        FUZZ_CHECK(results.columns[c].size() == 1);
        checkValue(results.columns[c][0], stored, widths.columns[c]);
    }

    // The same row read as the track list reads it.
    auto cache = std::make_unique<recCache>();
    cache->db = std::move(db);
    std::vector<int> ids;
    FUZZ_CHECK(recCacheGetIds(cache.get(), kRecCacheMaxIds, ids) == OKAY);
    FUZZ_CHECK(ids == std::vector<int>{1});
    FUZZ_CHECK(recCacheBeginReads(cache.get()) == OKAY);
    recCacheTrack track;
    FUZZ_CHECK(recCacheGetTrack(cache.get(), 1, track) == OKAY);
    checkValue(track.baseName, stored, kRecCacheBaseNameWidth);
    recCacheTags tags;
    FUZZ_CHECK(recCacheGetTags(cache.get(), 1, tags) == OKAY);
    for (const std::string* tag : {&tags.artist, &tags.song, &tags.album, &tags.genre})
        checkValue(*tag, stored, kRecCacheTagWidth);
    checkValue(tags.comment, stored, kRecCacheCommentWidth);
    int source = -1;
    FUZZ_CHECK(recCacheGetSource(cache.get(), 1, source) == OKAY);
    FUZZ_CHECK(recCacheEndReads(cache.get()) == OKAY);
    FUZZ_CHECK(reports == 0);
    FUZZ_CHECK(recCacheClose(cache) == OKAY);
    return 0;
}
