// The single-track save dialog, "Tobrel : Save Track": the track's details
// (prefilled from the cache, with completion of earlier entries) and the
// target, an MP3 file in a folder or iTunes.
#pragma once

struct RecorderApp;

inline constexpr const char* kDlgSaveSingleCaption = "Tobrel : Save Track";
// Control identifiers (object names).
inline constexpr const char* kSaveSingleMp3 = "6201";
inline constexpr const char* kSaveSingleItunes = "6202";
inline constexpr const char* kSaveSingleArtist = "6203";
inline constexpr const char* kSaveSingleTitle = "6204";
inline constexpr const char* kSaveSingleAlbum = "6205";
inline constexpr const char* kSaveSingleGenre = "6206";
inline constexpr const char* kSaveSingleComment = "6207";
inline constexpr const char* kSaveSingleFrame = "6297";
inline constexpr const char* kSaveSingleFolderLabel = "6294";
inline constexpr const char* kSaveSingleFolder = "6295";
inline constexpr const char* kSaveSingleBrowse = "6296";
inline constexpr const char* kSaveSingleSubfolders = "6292";
inline constexpr const char* kSaveSingleHint = "6293";
inline constexpr const char* kSaveSingleOk = "6290";
inline constexpr const char* kSaveSingleCancel = "6291";

// Shows the dialog for one track (modal over the main window) and saves it
// on OK. The dialog stays open while the title is missing or the save failed.
int recorderDlgSaveSingleTrack(RecorderApp& app, long trackId);
