// The Clear List Confirmation, "Tobrel : Clear List Confirmation", asked at
// exit (when clear_on_exit and remove_after_save are both on) while tracks
// remain in the list: Yes deletes them all; "Don't show again" stops asking.
#pragma once

#include <string>

struct RecorderApp;

inline constexpr const char* kDlgClearOnExitCaption = "Tobrel : Clear List Confirmation";
inline constexpr const char* kClearYouHave = "You have";                             // 1022
inline constexpr const char* kClearUnsavedTrack = "unsaved track in your list.";     // 1023
inline constexpr const char* kClearUnsavedTracks = "unsaved tracks in your list.";   // 1024
inline constexpr const char* kClearQuestion = "Would you like to clear your list?";  // 1025
inline constexpr const char* kClearDontShowAgain = "Don't show again";
// String 1035, shown when "Don't show again" was checked.
inline constexpr const char* kMsgClearNotShownAgain =
    "This dialog will not be show again.\n"
    "\n"
    "If you would like to show this dialog again, please do the following:\n"
    "1. Select Menu->Options.\n"
    "2. Check the 'Ask to clear on exit' option.";
// Control identifiers (object names).
inline constexpr const char* kClearText = "6301";
inline constexpr const char* kClearDontShow = "6302";
inline constexpr const char* kClearYes = "6391";
inline constexpr const char* kClearNo = "6392";

// The question's text for a number of tracks.
std::string recorderDlgClearOnExitText(int tracks);

// Asks (when there are tracks) and deletes every track on Yes. Escape and the
// close box answer No.
int recorderDlgClearOnExit(RecorderApp& app);
