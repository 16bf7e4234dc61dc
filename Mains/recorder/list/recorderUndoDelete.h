// Undoing a delete. The tracks the user deletes are held, not deleted: their
// files move into the holding place of the cache folder and their rows leave
// cache.db for a table of the connection's own (recCacheHold), so a deleted
// track's row is gone from cache.db as before. A notice at the foot of the
// track list says what went, with "Undo" beside it; Ctrl+Z and the main
// menu's "Undo Delete" do the same. Undo puts the files and rows back as they
// were. The next delete, a save and the end of the program make the held
// tracks go for good; the holding place is emptied at start-up too, for a
// program that ended without its shutdown.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

struct RecorderApp;

inline constexpr const char* kUndoNoticeName = "undoNotice";
inline constexpr const char* kUndoNoticeText = "undoNoticeText";
inline constexpr const char* kUndoNoticeButton = "undoNoticeButton";
inline constexpr const char* kUndoButtonText = "Undo";
inline constexpr const char* kUndoButtonTip = "Bring the deleted tracks back (Ctrl+Z)";
inline constexpr const char* kMsgUnableToUndo = "A deleted track could not be brought back.";
// The notice's height, taken from the foot of the track list's rectangle.
inline constexpr int kUndoNoticeHeight = 34;

// The held tracks (RecorderApp::undo).
struct RecorderUndoState {
    std::vector<std::string> baseNames;  // in the order they were deleted
    std::vector<std::string> names;      // as the list showed them
    QPointer<QWidget> notice;
};

// Deletes one track the way that can be undone: playback of it stops, its
// files are held and its row too. deleted is off when its files could not be
// moved (the user is told, as for a delete that fails).
int recorderUndoDeleteTrack(RecorderApp& app, int id, bool& deleted);
// After a delete: the notice of what is held, when anything is.
int recorderUndoDeleteOffer(RecorderApp& app);
// Whether there is a delete to undo.
bool recorderUndoDeleteAvailable(const RecorderApp& app);
// Undo: the held tracks come back into the list, selected.
int recorderUndoDelete(RecorderApp& app);
// The held tracks go for good (the next delete, a save, the shutdown).
int recorderUndoDeleteForget(RecorderApp& app);
// Start-up, once the engine knows the cache folder: what an earlier run left held goes.
int recorderUndoDeleteStartUp(RecorderApp& app);
