// Auto-completion stores: one small SQLite database per edit field of the
// Rename dialog ("1.db" Artist, "2.db" Album, "3.db" Genre in the Autocomplete
// folder), each a table `strings` that keeps every distinct text once. The
// dialogs write what the user typed and offer the stored texts back while the
// user types (a completer over autoCompleteGetAll).
//
// Every operation returns OKAY or NOT_OKAY; failures are internal errors, and
// failures of SQLite are also told to the user through the trace sink.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sqliteExec.h"

class CSlout;

// Declared width of `string`, in UTF-16 units.
constexpr size_t kAutoCompleteWidth = 512;

// Store numbers of the Rename dialog's fields.
constexpr int kAutoCompleteArtist = 1;
constexpr int kAutoCompleteAlbum = 2;
constexpr int kAutoCompleteGenre = 3;

struct autoComplete {
    CSlout* trace = nullptr;  // not owned; may be null
    bool traceSql = false;
    int number = 0;
    const void* editControl = nullptr;  // the field the store belongs to; never dereferenced here
    std::string folder;                 // without a trailing "/"
    std::string path;                   // folder + "/<number>.db"
    sqliteExecDb db;
    sqliteExecResults results;
};

// Opens (creating when missing) folder/<number>.db and makes sure it has its table.
int autoCompleteInit(int number, const void* editControl, const std::string& folder, bool traceSql,
                     CSlout* trace, std::unique_ptr<autoComplete>& out);

// Stores text once; adding a text already present changes nothing. A text wider
// than the column is refused with an internal error.
int autoCompleteAdd(autoComplete* store, std::string_view text);

// Every stored text, in case-insensitive alphabetical order.
int autoCompleteGetAll(autoComplete* store, std::vector<std::string>& texts);

// Closes the connection and clears the handle; an empty handle is not an error.
int autoCompleteClose(std::unique_ptr<autoComplete>& store);

// Runs one statement on the store, collecting one-column rows.
int autoComplete_sqlite_exec(autoComplete* store, std::string_view statement);
