// The five track details shared by the Rename and Save Track dialogs (title,
// artist, album, genre, comment as labelled edit fields) and the three
// auto-completion stores behind the artist, album and genre fields: what the
// user enters there is stored, and earlier entries are offered while typing
// (case-insensitive, by prefix).
#pragma once

#include <memory>
#include <string>

#include "autoComplete.h"
#include "recCache.h"

class QGridLayout;
class QLineEdit;
class QWidget;
struct RecorderApp;

// String 1016, shown when OK is pressed without a title.
inline constexpr const char* kMsgTitleRequired = "You must specify a title for the track.";
inline constexpr const char* kTagRequired = "(* required)";
inline constexpr const char* kTagOptional = "(optional)";
// Longest texts of the fields, in UTF-16 units.
inline constexpr int kTagFieldMaxLength = 511;
inline constexpr int kTagCommentMaxLength = 2047;

// Control identifiers of the five fields (the widgets' object names).
struct RecorderTagFieldIds {
    const char* title;
    const char* artist;
    const char* album;
    const char* genre;
    const char* comment;
};

struct RecorderTagFields {
    QLineEdit* title = nullptr;
    QLineEdit* artist = nullptr;
    QLineEdit* album = nullptr;
    QLineEdit* genre = nullptr;
    QLineEdit* comment = nullptr;
};

// Adds the five fields, title first, as rows of `grid` from `row` on: a
// label, the edit field and "(* required)" or "(optional)" beside it.
RecorderTagFields recorderTagFieldsCreate(QWidget& parent, QGridLayout& grid, int row,
                                          const RecorderTagFieldIds& ids);
// Puts the non-empty texts into their fields.
void recorderTagFieldsFill(const RecorderTagFields& fields, const recCacheTags& tags);
// The fields' texts (title as `song`).
recCacheTags recorderTagFieldsRead(const RecorderTagFields& fields);

// The stores of store numbers 1 (artist), 2 (album) and 3 (genre).
struct RecorderTagStores {
    std::unique_ptr<autoComplete> artist, album, genre;
};
// Opens the three stores in the Autocomplete folder and gives each field a
// completer over its store's entries.
int recorderTagStoresOpen(RecorderApp& app, const RecorderTagFields& fields, RecorderTagStores& stores);
// Adds the non-empty artist, album and genre to their stores.
int recorderTagStoresAdd(RecorderTagStores& stores, const recCacheTags& tags);
// Closes the stores that are open; closing twice does nothing.
int recorderTagStoresClose(RecorderTagStores& stores);
