// The track list of the main window (control 4000): a report-style list over
// ptListView with the columns "Track" and "Duration", rebuilt from the cache
// database whenever something changes, with a row for the recording in
// progress at the bottom while the engine records. It also carries the track
// actions that start from it: double-click to play, the row menu (Rename,
// Delete, Save) and deleting tracks.
#pragma once

#include <QPoint>
#include <string>

struct RecorderApp;
struct Skin;
struct recCacheTags;

inline constexpr int kSongListControlId = 4000;
inline constexpr const char* kSongListColumnTrack = "Track";                   // string 1501
inline constexpr const char* kSongListColumnDuration = "Duration";             // string 1502
inline constexpr const char* kSongListToday = "Today";                         // string 1014
inline constexpr const char* kSongListRecordingRow = "Recording in Progress";  // string 1038
inline constexpr const char* kSongListRecordingDuration = "...";
inline constexpr const char* kMsgSelectTrackToDelete = "You must select a track to delete.";  // 1021
inline constexpr const char* kMsgCannotDeleteRecording =
    "You may not delete the currently recording track.";                               // 1040
inline constexpr const char* kMsgUnableToDeleteTrack = "Unable to delete the track.";  // 1026
inline constexpr const char* kSongListMenuRename = "Rename...";                        // 1200, command 3100
inline constexpr const char* kSongListMenuDelete = "Delete...";                        // 1201, command 3101
inline constexpr const char* kSongListMenuSave = "Save...";                            // 1202, command 3102

// Creates the list control on the main window, its wrapper and its two columns.
int recorderSongListCreate(RecorderApp& app);
// Places the list on the skin's rectangle 1800, gives the columns their
// shares (0.72, 0.28) and takes the row colours from the skin.
int recorderSongListApplySkin(RecorderApp& app, Skin& skin);
// Places the list on the skin's rectangle 1800 less `room` pixels at its
// bottom (room for a notice there), its rows fitted to the height left.
int recorderSongListPlace(RecorderApp& app, int room);
// Frees the wrapper and the control (shutdown); a second call does nothing.
int recorderSongListFree(RecorderApp& app);

// Rebuilds the rows from the database, keeping the selection.
int recorderSongListFill(RecorderApp& app);
// Per timer tick: the selection follow-up of the transport, a finished
// recording entered into the database, and a rebuild when a track came or
// the recording indicator changed.
int recorderSongListViewTimerClicked(RecorderApp& app, bool changed);

// Deletes the selected tracks (no confirmation: they are held, and the
// delete can be undone until the next one, a save or the end of the
// program; see recorderUndoDelete.h), then selects a neighbour.
int recorderSongListDelete(RecorderApp& app);
// Deletes one track's files and row for good; deleted is off when its files are in use.
int recorderSongListDeleteTrack(RecorderApp& app, int id, bool& deleted);
// The first selected row: found, its id (-100 when nothing is selected) and
// base name (empty for the recording row).
int recorderSongListGetSelectedTrack(RecorderApp& app, bool& found, int& id, std::string& baseName);
// With several rows selected, keeps only the first.
int recorderSongListKeepFirstSelected(RecorderApp& app);
int recorderSongListIsSelected(RecorderApp& app, int id, bool& selected);

// Double-click on a row: stop playback without restoring record mode, then
// play the selection.
int recorderSongListDoubleClick(RecorderApp& app);
// Right-click on a row: the row menu at the pointer.
int recorderSongListRowMenu(RecorderApp& app, QPoint globalPos);

// The name shown for a track: "title - artist", the title alone, or without a
// title the start time and date ("Today" for today's date), taken against `now`.
int recorderSongListTrackName(const recCacheTags& tags, long startTime, long now, std::string& name);
