// Keeping the desktop's default sound quiet while a recording runs, so that
// system beeps do not end up in the recording.
//
// The default sound is the unnamed value of the per-user key
// "AppEvents\Schemes\Apps\.Default\.Default\.Current" of our settings store
// (a sound file path; empty means no sound). While it is silenced, the former
// value is kept in the setting current_system_sound; once it is back, that
// setting reads "restored". No Linux desktop reads this key: the behaviour is
// kept so that the program behaves the same wherever the store is honoured.
#pragma once

#include <string>

struct RecorderApp;

inline constexpr const char* kSystemSoundKey = "AppEvents\\Schemes\\Apps\\.Default\\.Default\\.Current";
inline constexpr const char* kSystemSoundSetting = "current_system_sound";
inline constexpr const char* kSystemSoundRestored = "restored";

enum RecorderSystemSoundAction {
    kSystemSoundRepair = 1,   // at start-up: put back a sound an earlier run left silenced
    kSystemSoundSilence = 2,  // a recording started
    kSystemSoundRestore = 3,  // the recording ended, or shutdown
};

// The system sound routine; sessionKeyPath is the per-user session key, to
// which the routine appends "current_system_sound".
int operatingSystemSounds(int action, const std::string& sessionKeyPath);

// Timer step 6: silences the sound when a recording is running and restores
// it when none is.
int recorderSystemSounds(RecorderApp& app);
