// Prints what a program learns about where it runs: its machine-wide settings
// root, then where it looks for a private library. The registry tests run it
// in place and from a copy outside the build tree.
#include <cstdio>

#include "programFolders.h"
#include "registryStore.h"

int main() {
    std::string root;
    if (registryRootFolder(registryRoot::LocalMachine, root) != 0) return 1;
    std::printf("%s\n", root.c_str());
    for (const std::string& candidate : programLibraryCandidates("liblame_enc.so"))
        std::printf("%s\n", candidate.c_str());
    return 0;
}
