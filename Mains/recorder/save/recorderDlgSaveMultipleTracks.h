// The multiple-tracks save dialog, "Tobrel : Save Tracks": only the target
// is asked for; each track is saved under its own details from the cache,
// one after the other, with a progress dialog ("Saving 3 of 12") whose Cancel
// stops the batch after the track being saved.
#pragma once

struct RecorderApp;

inline constexpr const char* kDlgSaveMultipleCaption = "Tobrel : Save Tracks";
// Control identifiers (object names).
inline constexpr const char* kSaveMultipleMp3 = "6701";
inline constexpr const char* kSaveMultipleItunes = "6702";
inline constexpr const char* kSaveMultipleOk = "6703";
inline constexpr const char* kSaveMultipleCancel = "6704";
inline constexpr const char* kSaveMultipleFrame = "6705";
inline constexpr const char* kSaveMultipleFolderLabel = "6706";
inline constexpr const char* kSaveMultipleFolder = "6707";
inline constexpr const char* kSaveMultipleBrowse = "6708";
inline constexpr const char* kSaveMultipleSubfolders = "6709";
inline constexpr const char* kSaveMultipleHint = "6710";
// The progress dialog of a batch.
inline constexpr const char* kSaveProgressName = "saveProgress";
inline constexpr const char* kSaveProgressCaption = "Tobrel : Saving Tracks";

// Shows the dialog for the tracks of a save kind and saves them all on OK.
// A track that cannot be saved, or Cancel in the progress dialog, stops the
// batch: the tracks saved so far stay saved (and removed from the list when
// so set), and the dialog stays open. When every track was handled the
// dialog closes and tells how many were saved.
int recorderDlgSaveMultipleTracks(RecorderApp& app, int kind);
