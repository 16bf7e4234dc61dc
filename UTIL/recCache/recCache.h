// The recording cache database: cache.db in the cache folder, one row of table
// `caches` per kept recording. The row holds what the cache file's name cannot
// (the user's tags and whether the YouTube Wizard named the track); the file's
// base name links the two. This module owns the schema, every statement, the
// migration of older databases and the rebuild of a lost or damaged database
// from the files of the folder. It is used on the user-interface thread only.
//
// Every operation returns OKAY or NOT_OKAY; a missing handle, a missing text,
// a text wider than its column or a failed statement is an internal error.
// Widths count UTF-16 units of the text as stored (before quotes are doubled).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sqliteExec.h"

class CSlout;

// Declared column widths, in UTF-16 units.
constexpr size_t kRecCacheBaseNameWidth = 1024;
constexpr size_t kRecCacheTagWidth = 512;
constexpr size_t kRecCacheCommentWidth = 2048;

// Who named a track (its `source`): nobody (the user, or no one), the YouTube
// Wizard, or a media player of the desktop.
constexpr int kRecCacheSourceOther = 0;
constexpr int kRecCacheSourceWizard = 1;
constexpr int kRecCacheSourcePlayers = 2;

// The capacity the program's callers use with recCacheGetIds.
constexpr size_t kRecCacheMaxIds = 32767;

// The open database. Results of the last statement stay in `results` until the
// next statement on the same handle.
struct recCache {
    CSlout* trace = nullptr;  // not owned; may be null
    bool traceSql = false;
    std::string folder;        // without a trailing "/"
    std::string extension;     // of cache audio files: "tmp" (or "wav")
    std::string tempBaseName;  // of the file being recorded: "sdrtfn"
    std::string dbPath;        // folder + "/cache.db"
    sqliteExecDb db;
    sqliteExecResults results;
    // What recCacheHasTracks last found: -1 unknown, 0 no row, 1 rows. Every
    // statement other than a SELECT forgets it; this handle is the only writer.
    int anyTrack = -1;
    // The last statement, kept compiled; goes before the connection closes.
    sqliteExecStatement lastStatement;
};

struct recCacheTrack {
    long creationTime = 0;  // seconds since 1970, the first number of the base name
    long durationMs = 0;    // the second number of the base name
    std::string baseName;
};

struct recCacheTags {
    std::string artist, song, album, genre, comment;
    bool operator==(const recCacheTags&) const = default;
};

// Opens folder/cache.db, creating it when missing. An existing database gains
// the `source` column when it lacks it. A new database, or one without the
// table, is filled from the cache files of the folder (one row per file with
// the cache extension, except the file being recorded and names that do not
// start with two numbers joined by "_"). A file that is not a sound database
// is never overwritten: it is moved aside as cache.db.corrupt-<seconds>, the
// user is told through trace->errorW and a new database is built as above.
int recCacheInit(const std::string& folder, const std::string& tempBaseName, const std::string& extension,
                 bool traceSql, CSlout* trace, std::unique_ptr<recCache>& out);

// Closes the connection and clears the handle; an empty handle is not an error.
int recCacheClose(std::unique_ptr<recCache>& handle);

// Ids of at most `capacity` rows, oldest recording first.
int recCacheGetIds(recCache* h, size_t capacity, std::vector<int>& ids);

// Whether the table holds any row, for a caller that polls: answered from
// memory until a statement that may write runs on the handle.
int recCacheHasTracks(recCache* h, bool& any);

// A run of reads (the track list's fill) inside one read transaction: the file
// is locked and checked for a journal once for the run, not once per statement.
// Every recCacheBeginReads needs its recCacheEndReads; no writes in between.
int recCacheBeginReads(recCache* h);
int recCacheEndReads(recCache* h);

// The reads by id demand exactly one row: a missing id is an internal error.
int recCacheGetTrack(recCache* h, int id, recCacheTrack& track);
int recCacheGetTags(recCache* h, int id, recCacheTags& tags);
int recCacheGetSource(recCache* h, int id, int& source);

int recCacheSetTags(recCache* h, int id, const recCacheTags& tags);
// value: one of the kRecCacheSource values.
int recCacheSetSource(recCache* h, int id, int value);
int recCacheDelete(recCache* h, int id);

// A deleted track that may come back (the undo of a delete): its row leaves
// `caches` whole, every column as it is, for a table of the connection's own
// that goes when the database closes. recCacheRestoreHeld puts the row of a
// base name back as it was, its id too unless a new row took that id meanwhile
// (then the row gets the next id); id receives the row's id. A base name
// without a held row is an internal error. recCacheForgetHeld drops every
// held row.
int recCacheHold(recCache* h, int id);
int recCacheRestoreHeld(recCache* h, const std::string& baseName, int& id);
int recCacheForgetHeld(recCache* h);

// Adds a row with the next id, empty tags and source 0. Times must not be negative.
int recCacheInsert(recCache* h, const std::string& baseName, long creationTime, long durationMs);

// Reads creation time and duration from a base name "start_length[_...]".
// parsed is false (and the result OKAY) when the name does not begin with two
// decimal numbers joined by "_".
int recCacheParseFileName(recCache* h, std::string_view baseName, long& creationTime, long& durationMs,
                          bool& parsed);

// recCacheParseFileName then recCacheInsert; a name that does not parse is an internal error.
int recCacheInsertFromFileName(recCache* h, const std::string& baseName);

// Brings the table in line with the cache files of the folder, so that no
// kept recording stays unlisted: a file without a row (its insert failed on a
// full disk, say) is added, oldest recording first; a row whose audio file is
// gone is removed, its tags written to the trace. added and removed count them.
int recCacheReconcile(recCache* h, int& added, int& removed);

// Runs one statement on the handle, collecting rows as `mode` says.
int recCache_sqlite_exec(recCache* h, std::string_view statement, sqliteExecMode mode);
