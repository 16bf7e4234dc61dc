// What the iTunes export keeps for the run of the program, its messages, and
// the window messages iTunes' events become.
//
// iTunes' media folder is looked up at most once per run (at the first export
// into iTunes). Once its "Automatically Add to iTunes" folder has been seen,
// that folder is tested again at every export; a drop folder missing at the
// first export is not looked for again until the program restarts.
#pragma once

#include <string>
#include <string_view>

// The export's state in RecorderApp (reset by the start-up).
struct RecorderItunesState {
    bool musicFolderLookedUp = false;  // the media folder lookup has been made
    bool dropFolderConfirmed = false;  // the drop folder existed at an export
    std::string musicFolder;           // iTunes' media folder, no trailing "/"
};

inline constexpr const char* kRecorderItunesDropFolder = "Automatically Add to iTunes";
// The plain WAV handed to iTunes, in the program's Temp folder.
inline constexpr const char* kRecorderItunesWavName = "TobrelDecrypted.wav";

inline constexpr const char* kMsgUnableToSaveIntoItunes = "Unable to save track into iTunes.";  // 1020
inline constexpr const char* kMsgUnableToStartItunes =
    "Unable to start iTunes.  Please reinstall iTunes.";  // 1047

// The event type of the window message `name`: the same name gives the same
// type for the life of the process, as registered window messages do. The
// main window receives iTunes' events as these (user-interface thread only).
int recorderItunesRegisterMessage(std::string_view name, unsigned& id);
