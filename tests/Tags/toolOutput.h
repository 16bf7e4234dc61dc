// Runs an outside tool (a decoder or tag reader we did not write) through the
// shell and returns what it printed on standard output, so tests can check our
// files with independent readers.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace testsupport {

inline std::string toolOutput(const std::string& command, int* exitCode = nullptr) {
    std::string out;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        if (exitCode) *exitCode = -1;
        return out;
    }
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    int status = pclose(pipe);
    if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

// Single-quotes a path for the shell.
inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace testsupport
