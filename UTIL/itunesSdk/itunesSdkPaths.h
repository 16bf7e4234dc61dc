// itunesSdkPaths: where iTunes keeps its media, as iTunes' own files tell it.
// The preferences file lies in the user's roaming application data
// ("Apple Computer/iTunes/iTunesPrefs.xml"); it names the library file, and
// the library file names the media folder as a file URL.
//
// Everything read here belongs to iTunes and may be missing or malformed;
// any such case gives found = false, never an error.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The preferences file below the roaming application-data folder.
inline constexpr const char* kItunesSdkPrefsFolder = "Apple Computer/iTunes";
inline constexpr const char* kItunesSdkPrefsName = "iTunesPrefs.xml";
// A preferences file larger than this is not iTunes' (it is some hundred kilobytes).
constexpr size_t kItunesSdkPrefsMaxBytes = 16 * 1024 * 1024;
// Capacity of a path, in UTF-16 units with the terminator.
constexpr size_t kItunesSdkPathCapacity = 1024;

// Full path of iTunes' preferences file.
int itunesSdkPathsPrefsFile(std::string& path);
// iTunes' media folder (found = false when it cannot be told, or when it does
// not fit `capacity` UTF-16 units with the terminator).
int itunesSdkPathsMusicFolder(std::string& path, size_t capacity, bool& found);
// The local path of a file URL: "file:" then, optionally, "//" and an empty or
// "localhost" host, then the path with its percent escapes decoded. A URL
// naming another host or scheme, or whose path decodes to NUL or to bytes that
// are not UTF-8, gives false.
bool itunesSdkPathsFromFileUrl(std::string_view url, std::string& path);
