// The recording cache database: schema, statements, migration, the rebuild
// from the cache folder and the setting aside of a damaged file. Statements
// are built as text with quotes doubled and run through recCache_sqlite_exec,
// which collects their rows with the shared sqliteExec layer.
#include "recCache.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <filesystem>
#include <set>
#include <utility>

#include "CSlout.h"
#include "File.h"
#include "pstr.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/recCache/recCache";

namespace {

constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS caches (`id` INTEGER PRIMARY KEY,`cache_filename_no_extension` CHAR(1024) "
    "NOT "
    "NULL,`artist` CHAR(512),`song` CHAR(512),`album` CHAR(512),`genre` CHAR(512),`comment` CHAR(2048),"
    "`creation_timestamp` timestamp NOT NULL,`duration` int(11) NOT NULL,`source` int(11) NOT NULL DEFAULT "
    "0)";

// Result columns of "SELECT * FROM caches".
enum Column {
    kId = 0,
    kBaseName = 1,
    kArtist = 2,
    kSong,
    kAlbum,
    kGenre,
    kComment,
    kCreation = 7,
    kDuration,
    kSource
};

// Each result column is collected up to its declared width, so that whatever
// the writers accept can be read back. The number columns get 512 units,
// far more than any number needs; a single-column result may be any column.
const sqliteExecWidths kWidths{kRecCacheCommentWidth,
                               {512, kRecCacheBaseNameWidth, kRecCacheTagWidth, kRecCacheTagWidth,
                                kRecCacheTagWidth, kRecCacheTagWidth, kRecCacheCommentWidth, 512, 512, 512}};

// The longest statement is the tags UPDATE; the shared buffer must hold it.
static_assert(kSqliteExecStatementBytes >= 3 * (4 * kRecCacheTagWidth + kRecCacheCommentWidth) + 256);

// A decimal number of text; an empty text (a NULL column) reads as 0.
// NOT_OKAY for anything else, reported unless `report` is false.
template <typename Number>
int toNumber(std::string_view text, Number& out, bool report = true) {
    out = 0;
    if (text.empty()) return OKAY;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    if (ec != std::errc() || end != text.data() + text.size()) return report ? REPORT_ERR() : NOT_OKAY;
    return OKAY;
}

// A number of a row the list shows: a value that is not one (a database
// edited outside the program, a duration of "5 s") reads as 0, so the row is
// still listed, and the trace says so.
template <typename Number>
void toShownNumber(const recCache* h, int id, const char* column, std::string_view text, Number& out) {
    if (toNumber<Number>(text, out, false) == OKAY) return;
    out = 0;
    if (h->trace)
        h->trace->messageW(1, "recCache: Row " + std::to_string(id) + ": " + column + " '" +
                                  std::string(text) + "' is not a number, read as 0");
}

// Digits only, so that "12abc" or "-5" never count as a time.
bool parseDecimal(std::string_view text, long& out) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

bool fits(std::string_view text, size_t width) { return pstrUtf16Length(text) <= width; }

// Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on "'" + std::string.
std::string sqlText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    out += '\'';
    out += pstrQuoteSql(text);
    out += '\'';
    return out;
}

std::string selectById(int id) { return "SELECT * FROM caches WHERE id = '" + std::to_string(id) + "'"; }

// Runs a read by id and checks that it found exactly one row.
int readRow(recCache* h, int id) {
    if (!h) return REPORT_ERR();
    REPORT_CHECK(recCache_sqlite_exec(h, selectById(id), sqliteExecMode::MultiColumn));
    if (h->results.columns[kId].size() != 1) return REPORT_ERR();
    return OKAY;
}

const std::string& cell(const recCache* h, Column c) { return h->results.columns[c][0]; }

// Migration: databases of older versions lack `source`. Sets hasTable to
// whether `caches` exists at all (a zero-length file is a valid empty database).
int migrate(recCache* h, bool& hasTable) {
    REPORT_CHECK(recCache_sqlite_exec(h, "PRAGMA TABLE_INFO(caches)", sqliteExecMode::MultiColumn));
    const auto& names = h->results.columns[1];
    hasTable = !names.empty();
    if (!hasTable) return OKAY;
    for (const std::string& name : names)
        if (name == "source") return OKAY;
    REPORT_CHECK(recCache_sqlite_exec(h, "ALTER TABLE caches ADD COLUMN source INTEGER DEFAULT 0",
                                      sqliteExecMode::SingleColumn));
    return OKAY;
}

// A finished recording in the cache folder.
struct CacheFile {
    long creationTime = 0, durationMs = 0;
    std::string baseName;
};

// The finished recordings of the folder, in the order the folder lists them:
// the files with the cache extension but the one being recorded, whose names
// carry a start and a length.
int cacheFiles(recCache* h, std::vector<CacheFile>& files) {
    std::vector<std::string> names;
    REPORT_CHECK(FileListFiles(h->folder, 512, names));
    const std::string tempName = h->tempBaseName + "." + h->extension;
    for (const std::string& name : names) {
        if (pstrCompare(name, tempName, false) == 0) continue;
        if (pstrCompare(pstrExtension(name), h->extension, false) != 0) continue;
        CacheFile f;
        f.baseName = pstrStripExtension(name);
        bool parsed = false;
        REPORT_CHECK(recCacheParseFileName(h, f.baseName, f.creationTime, f.durationMs, parsed));
        // Not a recording of ours (notes.tmp): there is no time to list it by.
        if (parsed) files.push_back(std::move(f));
    }
    return OKAY;
}

// One row per cache file of the folder. The table and its rows are made in one
// transaction: a rebuild that fails half-way leaves no table behind, so the
// next start rebuilds again instead of opening a database with half the list.
int createAndRebuild(recCache* h) {
    REPORT_CHECK(recCache_sqlite_exec(h, "BEGIN", sqliteExecMode::SingleColumn));
    const auto fill = [h]() -> int {
        REPORT_CHECK(recCache_sqlite_exec(h, kCreateTable, sqliteExecMode::SingleColumn));
        std::vector<CacheFile> files;
        REPORT_CHECK(cacheFiles(h, files));
        for (const CacheFile& f : files)
            REPORT_CHECK(recCacheInsert(h, f.baseName, f.creationTime, f.durationMs));
        return OKAY;
    };
    if (fill() != OKAY) {
        recCache_sqlite_exec(h, "ROLLBACK", sqliteExecMode::SingleColumn);
        return REPORT_ERR();
    }
    REPORT_CHECK(recCache_sqlite_exec(h, "COMMIT", sqliteExecMode::SingleColumn));
    return OKAY;
}

// Renames path to a name that does not exist yet, never replacing a file.
int moveAside(const std::string& path, const std::string& target) {
    std::error_code ec;
    std::filesystem::rename(path, target, ec);
    if (ec) return REPORT_ERR();
    return OKAY;
}

// A damaged cache.db keeps its bytes: it is renamed cache.db.corrupt-<seconds>
// (with a counter when that name is taken), together with a journal that
// belongs to it, which would otherwise be played into the new database.
int setDamagedDatabaseAside(recCache* h) {
    h->lastStatement.reset();
    REPORT_CHECK(sqliteExecClose(h->db, h->trace));
    const std::string stem =
        h->dbPath + ".corrupt-" + std::to_string(static_cast<long long>(std::time(nullptr)));
    std::string aside = stem;
    for (int n = 1; FileExists(aside) || FileExists(aside + "-journal") || FileExists(aside + "-wal"); ++n)
        aside = stem + "-" + std::to_string(n);
    REPORT_CHECK(moveAside(h->dbPath, aside));
    for (const char* companion : {"-journal", "-wal", "-shm"})
        if (FileExists(h->dbPath + companion))
            REPORT_CHECK(moveAside(h->dbPath + companion, aside + companion));
    if (h->trace) {
        h->trace->errorW(1, "The track database \"" + h->dbPath + "\" was damaged and could not be read.");
        h->trace->errorW(2, "It was kept as \"" + aside +
                                "\" and the track list was rebuilt from the "
                                "recordings in the cache folder; their titles and other tags were lost.");
    }
    return OKAY;
}

}  // namespace

int recCache_sqlite_exec(recCache* h, std::string_view statement, sqliteExecMode mode) {
    if (!h) return REPORT_ERR();
    const sqliteExecCaller caller{"recCache_sqlite_exec", h->trace, h->traceSql};
    if (!statement.starts_with("SELECT ")) h->anyTrack = -1;
    REPORT_CHECK(sqliteExecRun(h->db.get(), caller, statement, mode, kWidths, h->results, &h->lastStatement));
    return OKAY;
}

int recCacheInit(const std::string& folder, const std::string& tempBaseName, const std::string& extension,
                 bool traceSql, CSlout* trace, std::unique_ptr<recCache>& out) {
    out.reset();
    auto h = std::make_unique<recCache>();
    h->trace = trace;
    h->traceSql = traceSql;
    h->folder = folder;
    pstrStripTrailingSlash(h->folder);
    h->extension = extension;
    h->tempBaseName = tempBaseName;
    if (h->folder.empty() || h->extension.empty() || h->tempBaseName.empty()) return REPORT_ERR();
    h->dbPath = h->folder + "/cache.db";

    bool existed = FileExists(h->dbPath);
    REPORT_CHECK(sqliteExecOpen(h->dbPath, trace, h->db));
    if (existed) {
        bool damaged = false;
        const sqliteExecCaller caller{"recCache_sqlite_exec", h->trace, h->traceSql};
        REPORT_CHECK(sqliteExecCheckDamage(h->db.get(), caller, damaged));
        if (damaged) {
            REPORT_CHECK(setDamagedDatabaseAside(h.get()));
            REPORT_CHECK(sqliteExecOpen(h->dbPath, trace, h->db));
            existed = false;
        }
    }
    bool hasTable = false;
    if (existed) REPORT_CHECK(migrate(h.get(), hasTable));
    if (!hasTable) REPORT_CHECK(createAndRebuild(h.get()));
    out = std::move(h);
    return OKAY;
}

int recCacheClose(std::unique_ptr<recCache>& handle) {
    if (!handle) return OKAY;
    handle->lastStatement.reset();
    const int result = sqliteExecClose(handle->db, handle->trace);
    handle.reset();
    return result;
}

int recCacheReconcile(recCache* h, int& added, int& removed) {
    added = removed = 0;
    if (!h) return REPORT_ERR();
    std::vector<CacheFile> files;
    REPORT_CHECK(cacheFiles(h, files));
    // In recording order, so the ids follow it too.
    std::sort(files.begin(), files.end(), [](const CacheFile& a, const CacheFile& b) {
        return a.creationTime != b.creationTime ? a.creationTime < b.creationTime : a.baseName < b.baseName;
    });

    REPORT_CHECK(recCache_sqlite_exec(h, "SELECT * FROM caches", sqliteExecMode::MultiColumn));
    const sqliteExecResults rows = std::move(h->results);
    const std::set<std::string> listed(rows.columns[kBaseName].begin(), rows.columns[kBaseName].end());
    std::set<std::string> onDisk;
    for (const CacheFile& f : files) onDisk.insert(f.baseName);

    // What differs, found before any write: a start where list and folder
    // agree (nearly every start) reads and writes nothing more. A row's file
    // is looked for on the disk only when the listing did not show it.
    std::vector<const CacheFile*> unlisted;
    for (const CacheFile& f : files)
        if (listed.count(f.baseName) == 0) unlisted.push_back(&f);
    std::vector<size_t> orphans;
    for (size_t i = 0; i < rows.columns[kBaseName].size(); ++i) {
        const std::string& baseName = rows.columns[kBaseName][i];
        if (onDisk.count(baseName) == 0 && !FileExists(h->folder + "/" + baseName + "." + h->extension))
            orphans.push_back(i);
    }
    if (unlisted.empty() && orphans.empty()) return OKAY;

    REPORT_CHECK(recCache_sqlite_exec(h, "BEGIN", sqliteExecMode::SingleColumn));
    const auto change = [&]() -> int {
        for (const CacheFile* f : unlisted) {
            REPORT_CHECK(recCacheInsert(h, f->baseName, f->creationTime, f->durationMs));
            ++added;
        }
        for (const size_t i : orphans) {
            const std::string& baseName = rows.columns[kBaseName][i];
            int id = 0;
            REPORT_CHECK(toNumber(rows.columns[0][i], id));
            if (h->trace) {
                std::string line = "recCacheReconcile: Audio file missing, row removed: " + baseName;
                for (int c = 2; c <= 6; ++c) line += " | " + rows.columns[static_cast<size_t>(c)][i];
                h->trace->messageW(1, line);
            }
            REPORT_CHECK(recCacheDelete(h, id));
            ++removed;
        }
        return OKAY;
    };
    if (change() != OKAY) {
        recCache_sqlite_exec(h, "ROLLBACK", sqliteExecMode::SingleColumn);
        added = removed = 0;
        return REPORT_ERR();
    }
    REPORT_CHECK(recCache_sqlite_exec(h, "COMMIT", sqliteExecMode::SingleColumn));
    return OKAY;
}

int recCacheGetIds(recCache* h, size_t capacity, std::vector<int>& ids) {
    ids.clear();
    if (!h) return REPORT_ERR();
    REPORT_CHECK(recCache_sqlite_exec(h, "SELECT id FROM caches ORDER BY creation_timestamp ASC",
                                      sqliteExecMode::SingleColumn));
    const auto& texts = h->results.single;
    const size_t count = std::min(capacity, texts.size());
    ids.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        int id = 0;
        REPORT_CHECK(toNumber(texts[i], id));
        ids.push_back(id);
    }
    return OKAY;
}

int recCacheHasTracks(recCache* h, bool& any) {
    any = false;
    if (!h) return REPORT_ERR();
    if (h->anyTrack < 0) {
        REPORT_CHECK(recCache_sqlite_exec(h, "SELECT id FROM caches LIMIT 1", sqliteExecMode::SingleColumn));
        h->anyTrack = h->results.single.empty() ? 0 : 1;
    }
    any = h->anyTrack == 1;
    return OKAY;
}

int recCacheBeginReads(recCache* h) {
    REPORT_CHECK(recCache_sqlite_exec(h, "BEGIN", sqliteExecMode::SingleColumn));
    return OKAY;
}

int recCacheEndReads(recCache* h) {
    REPORT_CHECK(recCache_sqlite_exec(h, "COMMIT", sqliteExecMode::SingleColumn));
    return OKAY;
}

int recCacheGetTrack(recCache* h, int id, recCacheTrack& track) {
    REPORT_CHECK(readRow(h, id));
    recCacheTrack read;
    toShownNumber(h, id, "creation_timestamp", cell(h, kCreation), read.creationTime);
    toShownNumber(h, id, "duration", cell(h, kDuration), read.durationMs);
    read.baseName = cell(h, kBaseName);
    track = std::move(read);
    return OKAY;
}

int recCacheGetTags(recCache* h, int id, recCacheTags& tags) {
    REPORT_CHECK(readRow(h, id));
    tags = {cell(h, kArtist), cell(h, kSong), cell(h, kAlbum), cell(h, kGenre), cell(h, kComment)};
    return OKAY;
}

int recCacheGetSource(recCache* h, int id, int& source) {
    REPORT_CHECK(readRow(h, id));
    int read = 0;
    toShownNumber(h, id, "source", cell(h, kSource), read);
    source = read;
    return OKAY;
}

int recCacheSetTags(recCache* h, int id, const recCacheTags& tags) {
    if (!h) return REPORT_ERR();
    // A text too wide for its column is refused, never cut: the caller's
    // fields are limited below these widths, so only a programming error gets here.
    for (const std::string* tag : {&tags.artist, &tags.song, &tags.album, &tags.genre})
        if (!fits(*tag, kRecCacheTagWidth)) return REPORT_ERR();
    if (!fits(tags.comment, kRecCacheCommentWidth)) return REPORT_ERR();
    const std::string statement =
        "UPDATE caches SET 'artist' = " + sqlText(tags.artist) + ", 'song' = " + sqlText(tags.song) +
        ", 'album' = " + sqlText(tags.album) + ", 'genre' = " + sqlText(tags.genre) +
        ", 'comment' = " + sqlText(tags.comment) + " WHERE id = '" + std::to_string(id) + "'";
    REPORT_CHECK(recCache_sqlite_exec(h, statement, sqliteExecMode::SingleColumn));
    return OKAY;
}

int recCacheSetSource(recCache* h, int id, int value) {
    if (!h) return REPORT_ERR();
    const std::string statement = "UPDATE caches SET 'source' = '" + std::to_string(value) +
                                  "' WHERE id = '" + std::to_string(id) + "'";
    REPORT_CHECK(recCache_sqlite_exec(h, statement, sqliteExecMode::SingleColumn));
    return OKAY;
}

int recCacheDelete(recCache* h, int id) {
    if (!h) return REPORT_ERR();
    REPORT_CHECK(recCache_sqlite_exec(h, "DELETE FROM caches WHERE id = '" + std::to_string(id) + "'",
                                      sqliteExecMode::SingleColumn));
    return OKAY;
}

namespace {

// The held rows: a temporary table of the connection shaped like `caches`.
int heldTable(recCache* h) {
    REPORT_CHECK(
        recCache_sqlite_exec(h, "CREATE TEMP TABLE IF NOT EXISTS held AS SELECT * FROM main.caches WHERE 0",
                             sqliteExecMode::SingleColumn));
    return OKAY;
}

// Runs `steps` in one transaction: all of it happens or none.
template <typename Steps>
int inTransaction(recCache* h, Steps&& steps) {
    REPORT_CHECK(recCache_sqlite_exec(h, "BEGIN", sqliteExecMode::SingleColumn));
    if (steps() != OKAY) {
        recCache_sqlite_exec(h, "ROLLBACK", sqliteExecMode::SingleColumn);
        return REPORT_ERR();
    }
    REPORT_CHECK(recCache_sqlite_exec(h, "COMMIT", sqliteExecMode::SingleColumn));
    return OKAY;
}

}  // namespace

int recCacheHold(recCache* h, int id) {
    REPORT_CHECK(readRow(h, id));
    REPORT_CHECK(heldTable(h));
    const std::string where = " WHERE id = '" + std::to_string(id) + "'";
    REPORT_CHECK(inTransaction(h, [&]() -> int {
        REPORT_CHECK(recCache_sqlite_exec(h, "INSERT INTO temp.held SELECT * FROM main.caches" + where,
                                          sqliteExecMode::SingleColumn));
        REPORT_CHECK(
            recCache_sqlite_exec(h, "DELETE FROM main.caches" + where, sqliteExecMode::SingleColumn));
        return OKAY;
    }));
    return OKAY;
}

int recCacheRestoreHeld(recCache* h, const std::string& baseName, int& id) {
    id = 0;
    if (!h || baseName.empty()) return REPORT_ERR();
    REPORT_CHECK(heldTable(h));
    const std::string name = sqlText(baseName);
    REPORT_CHECK(recCache_sqlite_exec(h,
                                      "SELECT id FROM temp.held WHERE cache_filename_no_extension = " + name,
                                      sqliteExecMode::SingleColumn));
    if (h->results.single.size() != 1) return REPORT_ERR();
    REPORT_CHECK(inTransaction(h, [&]() -> int {
        // An id a new row took meanwhile is left to it: NULL gives the next one.
        REPORT_CHECK(recCache_sqlite_exec(
            h,
            "UPDATE temp.held SET id = NULL WHERE cache_filename_no_extension = " + name +
                " AND id IN (SELECT id FROM main.caches)",
            sqliteExecMode::SingleColumn));
        REPORT_CHECK(recCache_sqlite_exec(
            h, "INSERT INTO main.caches SELECT * FROM temp.held WHERE cache_filename_no_extension = " + name,
            sqliteExecMode::SingleColumn));
        REPORT_CHECK(recCache_sqlite_exec(h,
                                          "DELETE FROM temp.held WHERE cache_filename_no_extension = " + name,
                                          sqliteExecMode::SingleColumn));
        REPORT_CHECK(recCache_sqlite_exec(h,
                                          "SELECT id FROM main.caches WHERE cache_filename_no_extension = " +
                                              name + " ORDER BY id DESC LIMIT 1",
                                          sqliteExecMode::SingleColumn));
        if (h->results.single.size() != 1) return REPORT_ERR();
        REPORT_CHECK(toNumber(h->results.single[0], id));
        return OKAY;
    }));
    return OKAY;
}

int recCacheForgetHeld(recCache* h) {
    if (!h) return REPORT_ERR();
    REPORT_CHECK(heldTable(h));
    REPORT_CHECK(recCache_sqlite_exec(h, "DELETE FROM temp.held", sqliteExecMode::SingleColumn));
    return OKAY;
}

int recCacheInsert(recCache* h, const std::string& baseName, long creationTime, long durationMs) {
    if (!h || baseName.empty() || !fits(baseName, kRecCacheBaseNameWidth)) return REPORT_ERR();
    if (creationTime < 0 || durationMs < 0) return REPORT_ERR();
    const std::string statement =
        "INSERT INTO caches ('id', 'cache_filename_no_extension', 'creation_timestamp', 'duration') VALUES "
        "(NULL, " +
        sqlText(baseName) + ", '" + std::to_string(static_cast<unsigned long long>(creationTime)) + "', '" +
        std::to_string(static_cast<unsigned long long>(durationMs)) + "')";
    REPORT_CHECK(recCache_sqlite_exec(h, statement, sqliteExecMode::SingleColumn));
    return OKAY;
}

int recCacheParseFileName(recCache* h, std::string_view baseName, long& creationTime, long& durationMs,
                          bool& parsed) {
    parsed = false;
    if (!h || baseName.empty()) return REPORT_ERR();
    const size_t first = baseName.find('_');
    if (first == std::string_view::npos) return OKAY;
    const size_t second = baseName.find('_', first + 1);
    const std::string_view start = baseName.substr(0, first);
    const std::string_view length = baseName.substr(
        first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
    long c = 0, d = 0;
    if (!parseDecimal(start, c) || !parseDecimal(length, d)) return OKAY;
    creationTime = c;
    durationMs = d;
    parsed = true;
    return OKAY;
}

int recCacheInsertFromFileName(recCache* h, const std::string& baseName) {
    long creationTime = 0, durationMs = 0;
    bool parsed = false;
    REPORT_CHECK(recCacheParseFileName(h, baseName, creationTime, durationMs, parsed));
    if (!parsed) return REPORT_ERR();
    REPORT_CHECK(recCacheInsert(h, baseName, creationTime, durationMs));
    return OKAY;
}
