#pragma once
#include <string>
struct RecorderApp;
// Whether saving into iTunes can work on this computer: iTunes' drop folder
// was found, or its automation server is installed. The save dialogs offer
// iTunes only then.
int recorderItunesOffered(RecorderApp& app, bool& offered);
// Saves one track into iTunes; saved is set when the track reached iTunes. Shows its own messages.
int recorderItunes(RecorderApp& app, const std::string& title, const std::string& artist,
                   const std::string& album, const std::string& genre, const std::string& comment,
                   const std::string& baseName, bool& saved);
