// The Options dialog, "Tobrel : Options", over the settings the user may
// change: always on top, removing saved tracks, the clear-list question at
// exit, naming tracks from the media players, the short-track limit, and the
// channels and bit rate of saved MP3s.
#pragma once

#include <string>

struct RecorderApp;

inline constexpr const char* kDlgOptionsCaption = "Tobrel : Options";
// Control identifiers (object names).
inline constexpr const char* kOptionsAlwaysOnTop = "5201";
inline constexpr const char* kOptionsRemoveAfterSave = "5202";
inline constexpr const char* kOptionsClearOnExit = "5203";
inline constexpr const char* kOptionsNameFromPlayers = "5207";
inline constexpr const char* kOptionsShortDuration = "5204";
inline constexpr const char* kOptionsMono = "5205";
inline constexpr const char* kOptionsStereo = "5206";
inline constexpr const char* kOptionsKbps64 = "5220";
inline constexpr const char* kOptionsKbps96 = "5221";
inline constexpr const char* kOptionsKbps128 = "5222";
inline constexpr const char* kOptionsKbps192 = "5223";
inline constexpr const char* kOptionsKbps256 = "5224";
inline constexpr const char* kOptionsKbps320 = "5225";
inline constexpr const char* kOptionsOk = "5290";
inline constexpr const char* kOptionsCancel = "5291";

// Opened by the main menu's "Options...". OK applies and stores the changes
// (a new bit rate or channel count also drops the pre-encoded files, which
// were made with the old ones); Cancel and Escape change nothing.
int recorderDlgOptions(RecorderApp& app);

// Whether a short-duration text is taken: an optional leading "-", then at
// least one decimal digit and nothing else, within the range of an int.
bool recorderDlgOptionsParseSeconds(const std::string& text, int& seconds);
