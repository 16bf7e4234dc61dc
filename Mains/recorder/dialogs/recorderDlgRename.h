// The Rename dialog, "Tobrel : Rename": edits the five details of the first
// selected track, with completion of earlier artists, albums and genres.
#pragma once

struct RecorderApp;

inline constexpr const char* kDlgRenameCaption = "Tobrel : Rename";
inline constexpr const char* kMsgSelectTrackToRename = "You must select a track to rename.";  // 1029
inline constexpr const char* kMsgCannotRenameRecording =
    "You may not rename the currently recording track.";  // 1041
// Control identifiers (object names).
inline constexpr const char* kRenameArtist = "6401";
inline constexpr const char* kRenameTitle = "6402";
inline constexpr const char* kRenameAlbum = "6403";
inline constexpr const char* kRenameGenre = "6404";
inline constexpr const char* kRenameComment = "6405";
inline constexpr const char* kRenameOk = "6490";
inline constexpr const char* kRenameCancel = "6491";

// Opened by the Rename button and the row menu's "Rename...".
int recorderDlgRename(RecorderApp& app);
