#pragma once
#include <string>
struct RecorderApp;
// Saves one track into iTunes; saved is set when the track reached iTunes. Shows its own messages.
int recorderItunes(RecorderApp& app, const std::string& title, const std::string& artist,
                   const std::string& album, const std::string& genre, const std::string& comment,
                   const std::string& baseName, bool& saved);
