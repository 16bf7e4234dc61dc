// xmlItunesPrefs: the two values of iTunes' own files that lead to its media
// folder. iTunes' preferences name its library file (the value of the key
// "iTunes Library XML Location:1", base64 of the path in UTF-16LE), and the
// library file names the media folder (its "Music Folder", a file URL).
//
// Both files are someone else's and may be anything: whatever is missing,
// malformed, oversized or not text gives "not found", never an error.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::string_view kXmlItunesPrefsLibraryKey = "iTunes Library XML Location:1";
inline constexpr std::string_view kXmlItunesPrefsMusicFolderLine = "<key>Music Folder</key><string>";
// The longest <data> text taken from the preferences.
constexpr size_t kXmlItunesPrefsDataChars = 1023;

// The library file's path from the text of the preferences file.
int xmlItunesPrefsLibraryLocation(std::string_view prefsText, bool& found, std::string& libraryPath);
// The "Music Folder" URL of the library file at `libraryPath`, character
// references decoded.
int xmlItunesPrefsMusicFolderUrl(const std::string& libraryPath, bool& found, std::string& url);
