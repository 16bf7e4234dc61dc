// Where the running program's own files are. A program runs either from the
// build tree of a checkout or from an installation; an installation keeps its
// private libraries (the encoder interface library and the other libraries
// loaded at run time) in a folder of its own beside bin/, found relative to
// the program so that the whole installation can live under any prefix.
#pragma once

#include <string>
#include <vector>

// The folder of the running program (symbolic links resolved), without a
// trailing "/"; empty when the system cannot tell.
std::string programFolder();

// True when the running program lies inside the build tree it was built in.
bool programRunsFromBuildTree();

// The installation's private library folder as seen from the running
// program: the program's folder followed by the path from bin/ to that
// folder (for example /usr/bin/../lib/tobrel). Empty when the program's
// folder is unknown.
std::string programLibraryFolder();

// Where a library loaded at run time by its plain file name is looked for,
// in order: beside the program (a build tree), the private library folder
// (an installation), then the name alone for the system's own search.
std::vector<std::string> programLibraryCandidates(const std::string& fileName);
