// The running program's folder and the places of its private libraries (see
// programFolders.h). The build tree and the path from bin/ to the private
// library folder are compiled in by the build.
#include "programFolders.h"

#include <unistd.h>

#include <climits>

std::string programFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    const std::string path(buffer, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool programRunsFromBuildTree() {
    // Both sides are resolved paths (the build compiles in the tree's real
    // path), so a build tree reached through a symbolic link still counts.
    const std::string tree = TOBREL_BUILD_TREE;
    const std::string folder = programFolder();
    if (folder.empty()) return false;
    return folder == tree || folder.rfind(tree + "/", 0) == 0;
}

std::string programLibraryFolder() {
    const std::string folder = programFolder();
    if (folder.empty()) return {};
    return folder + "/" + TOBREL_LIBRARY_FROM_PROGRAM;
}

std::vector<std::string> programLibraryCandidates(const std::string& fileName) {
    std::vector<std::string> candidates;
    if (const std::string folder = programFolder(); !folder.empty()) {
        candidates.push_back(folder + "/" + fileName);
        candidates.push_back(programLibraryFolder() + "/" + fileName);
    }
    candidates.push_back(fileName);
    return candidates;
}
