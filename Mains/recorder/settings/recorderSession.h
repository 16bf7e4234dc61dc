// The program's persistent settings: one reader and one writer per setting,
// each applying its own default and correction, over registry keys whose
// unnamed value holds the setting as text.
//
// Per-user settings live under HKEY_CURRENT_USER\SOFTWARE\Tobrel\2\500\session,
// the e-mail values and the last dynamic update under ...\SOFTWARE\Tobrel\2\500,
// and the values the installer writes under HKEY_LOCAL_MACHINE\SOFTWARE\Tobrel\500.
// Readers return OKAY with the corrected value, or NOT_OKAY on an internal
// error; a missing key always gives the default. Nothing is cached.
#pragma once

#include <string>
#include <string_view>

// The vendor code that goes with every request to the web service; it is also
// the "500" of every key path.
inline constexpr int RECORDER_VENDOR = 500;

// The session key path; the system sound routine appends its own value name.
inline constexpr const char* RECORDER_SESSION_KEY = "SOFTWARE\\Tobrel\\2\\500\\session";

int recorderSessionGetWindowPosition(int& xmin, int& ymin);  // -1 / -1 when missing
int recorderSessionSetWindowPosition(int xmin, int ymin);

int recorderSessionGetAlwaysOnTop(bool& on);  // off when missing
int recorderSessionSetAlwaysOnTop(bool on);
int recorderSessionGetAutoSegment(bool& on);  // on when missing
int recorderSessionSetAutoSegment(bool on);
int recorderSessionGetRemoveAfterSave(bool& on);  // on when missing
int recorderSessionSetRemoveAfterSave(bool on);
int recorderSessionGetClearOnExit(bool& on);  // on when missing
int recorderSessionSetClearOnExit(bool on);
int recorderSessionGetUseSubfolders(bool& on);  // on when missing
int recorderSessionSetUseSubfolders(bool on);
// Tracks are cut and named from the desktop's media players; on when missing.
int recorderSessionGetNameFromPlayers(bool& on);
int recorderSessionSetNameFromPlayers(bool on);

// Playback volume, 1 when missing or empty. Never written by the program.
int recorderSessionGetVolume(double& volume);
int recorderSessionSetVolume(double volume);

// Seconds up to which a track counts as short: 30 when missing or negative.
int recorderSessionGetMaxShortFileDuration(int& seconds);
int recorderSessionSetMaxShortFileDuration(int seconds);
// 1 = MP3 file, 2 = iTunes; anything else reads as 1.
int recorderSessionGetSaveAsType(int& type);
int recorderSessionSetSaveAsType(int type);
// 1 = mono, 2 = stereo; anything else reads as 2.
int recorderSessionGetNumChannels(int& channels);
int recorderSessionSetNumChannels(int channels);
// 64, 96, 128, 192, 256 or 320; anything else reads as 256.
int recorderSessionGetNumKbps(int& kbps);
int recorderSessionSetNumKbps(int kbps);

// Last start of the program; present = false when missing or not numeric.
int recorderSessionGetDateLastUsed(bool& present, long& seconds);
int recorderSessionSetDateLastUsed(long seconds);

// The folder last chosen for saving, one trailing "/" (or "\") removed; empty
// when missing. The writer removes one trailing separator and writes nothing
// when the text is then empty.
int recorderSessionGetDefaultMp3SaveFolder(std::string& folder);
int recorderSessionSetDefaultMp3SaveFolder(std::string_view folder);

// The saved default system sound, or "restored"; trailing spaces removed.
int recorderSessionGetCurrentSystemSound(bool& present, std::string& sound);
int recorderSessionSetCurrentSystemSound(std::string_view sound);

// The installation e-mail values, read and written together.
struct recorderAskEmail {
    int dialogShown = 0;
    std::string emailAddress;  // written only when not empty
    int emailSent = 0;
};
int recorderSessionGetAskEmail(recorderAskEmail& values);
int recorderSessionSetAskEmail(const recorderAskEmail& values);

// Time of the last dynamic update; present = false when missing or not numeric.
int recorderSessionGetLastDynamicUpdate(bool& present, long& seconds);
int recorderSessionSetLastDynamicUpdate(long seconds);

// Machine-wide values, written by the installer.
// The installation folder (the folder that holds Skins/); missing is an internal error.
int recorderSessionGetTopFolder(std::string& folder);
// Installation time; present = false when missing or not numeric.
int recorderSessionGetDateInstalled(bool& present, long& seconds);
// Distribution partner code; 0 when missing or not numeric.
int recorderSessionGetSubvendor(int& subvendor);
// E-mail address entered at installation; empty when missing.
int recorderSessionGetInstallEmailAddress(std::string& address);
// Base address of the web service (no trailing "/"); the default when missing or empty.
inline constexpr const char* RECORDER_WEB_SERVICE_DEFAULT = "https://www.tobrel.com";
int recorderSessionGetWebServiceAddress(std::string& address);

// The codes sent with every request to the web service.
int recorderProductCodes(int& subvendor, int& vendor);

// A start is a first run unless both dates were present and numeric and the
// installation is the earlier.
bool recorderSessionIsFirstRun(bool installedPresent, long installed, bool lastUsedPresent, long lastUsed);
