// The user's known folders, looked up the XDG way. Tests point HOME and the
// XDG_* variables into a scratch folder.
//
//   documents         XDG_DOCUMENTS_DIR (environment, then user-dirs.dirs), else ~/Documents
//   music             XDG_MUSIC_DIR     (environment, then user-dirs.dirs), else ~/Music
//   local app data    $XDG_DATA_HOME,   else ~/.local/share
//   roaming app data  $XDG_CONFIG_HOME, else ~/.config
//   common app data   the first existing folder of $XDG_DATA_DIRS
//                     (default /usr/local/share:/usr/share); looked up, never
//                     created, since users cannot write there.
//
// The first four are created when missing when `create` is set. Results carry
// no trailing "/". A folder that cannot be found or created is an internal error.
#pragma once

#include <string>

enum class knownFolder { Documents, Music, LocalAppData, RoamingAppData, CommonAppData };

int knownFolderPath(knownFolder which, bool create, std::string& path);

// The common application-data folder without a report: found = false when no
// folder of $XDG_DATA_DIRS exists (a sandbox may hide them all).
int knownFolderFindCommonAppData(std::string& path, bool& found);

// The user's home folder ($HOME, else the password database).
int knownFolderHome(std::string& home);
