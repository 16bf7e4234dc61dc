// A scratch profile for end-to-end runs of the real program: HOME and the XDG
// folders, machine-wide settings as the installer leaves them (top_folder =
// the checkout, which holds Skins/; the web service at a local port nobody
// listens on, so that a run stays off the network, with no proxy), an
// instance lock folder, the window at (0, 0) and tracing on, so that a test
// can follow the program in its trace and read what it kept.
#pragma once

#include <string>

#include "testsupport.h"

struct ProgramProfile {
    ProgramProfile();
    bool ok = false;  // every setting was written
    testsupport::TempHome home;
    testsupport::TempDir machine, lockDir;
    testsupport::ScopedEnv machineEnv, lockEnv, noProxy;
    std::string documents;  // holds trace_messages.txt
    std::string cache;      // holds cache.db and the tracks

    // Lines of the program's trace that contain `text`.
    int traced(const std::string& text) const;
    // The rows of cache.db, oldest first: `columns` (an SQL column list)
    // joined by '|', one line each; empty while there is no database.
    std::string tracks(const std::string& columns) const;
    // Rows of the cache database (the tracks the list has taken in); -1 when unreadable.
    int cachedTracks() const;
};
