// The program's folders by identifier. Every lookup first reads the
// installation folder and the user's known folders (creating the latter when
// missing); a failure of any of them is an internal error.
#pragma once

#include <string>

inline constexpr int RECORDER_PATH_SKINS = 1101;          // top_folder/Skins
inline constexpr int RECORDER_PATH_ANNOUNCEMENTS = 1104;  // local app data/Tobrel/500/Announcements
inline constexpr int RECORDER_PATH_DOCUMENTS = 1105;      // documents/Tobrel (trace switch and trace file)
inline constexpr int RECORDER_PATH_TEMP = 1106;           // local app data/Tobrel/500/Temp
inline constexpr int RECORDER_PATH_CACHE = 1110;          // local app data/Tobrel/500/Cache
inline constexpr int RECORDER_PATH_MY_MUSIC = 1112;       // the user's music folder
inline constexpr int RECORDER_PATH_AUTOCOMPLETE = 1113;   // local app data/Tobrel/500/Autocomplete

// The folder of an identifier (not created here); any other identifier is an internal error.
int recorderPaths(int id, std::string& path);

// The stored default save folder when not empty, else the music folder + "/Tobrel".
int recorderPathsDefaultSaveFolder(std::string& path);
