// A second process for the single-instance test. "lock FOLDER": tries the
// instance lock, prints "held" or "running", and keeps what it got until its
// standard input closes. "idle": prints "idle" and waits the same way.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "instanceLock.h"

int main(int argc, char** argv) {
    InstanceLock lock;
    const char* state = "idle";
    if (argc == 3 && std::strcmp(argv[1], "lock") == 0) {
        bool running = false;
        if (instanceLockAcquire(argv[2], lock, running) != 0) return 2;
        state = running ? "running" : "held";
    } else if (!(argc == 2 && std::strcmp(argv[1], "idle") == 0)) {
        return 2;
    }
    std::printf("%s\n", state);
    std::fflush(stdout);
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    return 0;
}
