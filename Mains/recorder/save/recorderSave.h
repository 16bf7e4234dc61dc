// Saving recorded tracks: which tracks a save means, the Save button and its
// menu, the MP3 file names and folders, the folder picker, and the marks of
// tracks recorded with the YouTube Wizard.
//
// One track is saved through the single-track dialog (which asks for its
// details); several through the multiple-tracks dialog (which asks only for
// the target). Saved tracks leave the list when "remove after save" is on.
#pragma once

#include <string>
#include <vector>

struct RecorderApp;

// Save kinds: the selected tracks, all tracks, the YouTube Wizard's tracks.
inline constexpr int kSaveSelected = 1;
inline constexpr int kSaveAll = 2;
inline constexpr int kSaveWizard = 3;

inline constexpr const char* kMsgSelectTracksToSave = "You must select one or more tracks to save.";  // 1017
inline constexpr const char* kMsgNoTracksToSave = "There are no recorded tracks to save.";            // 1048
inline constexpr const char* kMsgNoWizardTracksToSave =
    "There are no tracks recorded with the YouTube Wizard to save.";  // 1049
// String 1039: the only track meant is the one being recorded.
inline constexpr const char* kMsgCannotSaveRecording =
    "You may not save the currently recording track. It can be saved once its recording has ended.";
inline constexpr const char* kMsgTracksSaved = "tracks were successfully saved.";  // 1050
// The folder field was left empty or does not hold a full path.
inline constexpr const char* kMsgFolderRequired =
    "You must specify the folder to save into by its full path (for example /home/you/Music).";

// The Save button's menu (strings 1600 to 1602, commands 3200 and 3201).
inline constexpr const char* kSaveMenuSelectedTracks = "Selected Tracks...";
inline constexpr const char* kSaveMenuSelectedTrack = "Selected Track...";
inline constexpr const char* kSaveMenuAllTracks = "All Tracks...";
inline constexpr const char* kSaveMenuName = "saveButtonMenu";  // the menu's object name

inline constexpr const char* kSelectFolderTitle = "Select a Folder";

// Saves the tracks of a kind: a message when there are none, the single-track
// dialog for one, the multiple-tracks dialog for more.
int recorderSave(RecorderApp& app, int kind);

// The Save button, clicked at (x, y) of the main window: with one track in
// the list it is saved at once (selected first when nothing is); otherwise a
// menu at the click offers the selected tracks or all tracks.
int recorderSaveButton(RecorderApp& app, int x, int y);

// The ids of the tracks a kind means: kind 1 the selected rows in list order
// (the recording row among them when selected), kinds 2 and 3 the cache's
// tracks oldest first (3: those named by the YouTube Wizard), without the
// short ones while short tracks are hidden.
int recorderSaveCollectIds(RecorderApp& app, int kind, std::vector<long>& ids);

// Builds the MP3 path of one track and makes its folder exist. Characters a
// file name cannot hold and full stops become "_" in artist, album and title,
// which keep the replaced texts (the tags carry them too). With subfolders:
// folder/artist/album/title.mp3 (folder/artist/title.mp3 without an album, and
// no subfolder at all without an artist); without: "artist - album - title"
// in the folder itself. One trailing "/" or "\" of the folder is ignored. ok
// stays false when the folder cannot be made (the user has been told).
int recorderSaveBuildMp3Path(RecorderApp& app, bool& ok, const std::string& folder, std::string& artist,
                             std::string& album, std::string& title, bool useSubfolders, std::string& path);

// The folder picker ("Select a Folder", starting at the default save folder);
// a chosen folder becomes default_mp3_save_folder. done is set when the
// picker ran (also when the user cancelled it).
int recorderSaveSelectFolder(RecorderApp& app, bool& done);

// Marks a track as recorded with the YouTube Wizard (source 1 in the cache).
int recorderSaveMarkWizardTrack(RecorderApp& app, long trackId);
int recorderSaveIsWizardTrack(RecorderApp& app, long trackId, bool& isWizard);
