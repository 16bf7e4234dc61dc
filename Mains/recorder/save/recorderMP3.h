// Saving one track as an MP3 file: the target folder is made to exist, the
// engine makes the file (from the track's pre-encoded companion, or by
// encoding it), and what went wrong is told to the user.
#pragma once

#include <string>

struct RecorderApp;

// String 1027 (the path follows, indented by three spaces) and string 1028.
inline constexpr const char* kMsgUnableToSaveFile = "Unable to save file:";
inline constexpr const char* kMsgFileInUse = "Make sure that file is not being used by another program.";
// String 1019.
inline constexpr const char* kMsgUnableToSaveMp3 = "Unable to save track as MP3.";

// Writes the track `baseName` of the cache as `mp3Path` with the five tag
// texts; saved tells whether the file was written. A path without a folder,
// or a folder that cannot be made, saves nothing (the folder's failure has
// been told through the trace sink). An engine failure (the file cannot be
// created, encoding failed) is told to the user and leaves saved off;
// NOT_OKAY only for internal errors.
int recorderMP3(RecorderApp& app, const std::string& title, const std::string& artist,
                const std::string& album, const std::string& genre, const std::string& comment,
                const std::string& baseName, const std::string& mp3Path, bool& saved);
