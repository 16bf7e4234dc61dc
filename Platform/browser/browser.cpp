// The browser layer: xdg-open started in the background by a double fork, and
// the recording double.
//
// The program never waits for the browser: xdg-open may stay until the browser
// exits. A child starts it as a grandchild and ends at once; the caller reaps
// that child straight away, and the grandchild, left to the system, is reaped
// there. Nothing of ours waits for it, so no thread is needed. Between fork and
// exec only async-signal-safe calls are made: the program's path and the
// argument vector are ready before the fork.
#include "browser.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "report.h"

static constexpr const char* kReportModule = "../../Platform/browser/browser";

extern char** environ;

namespace {

// The program `name` on PATH, as execvp would find it; empty when there is none.
std::string onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string folder = folders.substr(start, end - start);
        if (folder.empty()) folder = ".";
        const std::string candidate = folder + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

void reap(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

bool browserAddressAllowed(std::string_view address) {
    std::string_view rest;
    if (address.starts_with("http://"))
        rest = address.substr(7);
    else if (address.starts_with("https://"))
        rest = address.substr(8);
    else
        return false;
    if (rest.empty()) return false;
    for (char c : address)
        if (static_cast<unsigned char>(c) < 32 || c == 127) return false;
    return true;
}

int XdgOpenBrowser::open(std::string_view address) {
    if (!browserAddressAllowed(address)) return REPORT_ERR();
    std::string program = onPath("xdg-open");
    if (program.empty()) return REPORT_ERR_WHY("xdg-open: not found on PATH");
    std::string arg(address);
    char* argv[] = {program.data(), arg.data(), nullptr};

    // The grandchild writes its errno here when it cannot start the program;
    // a successful exec closes the pipe, so the read sees its end.
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return REPORT_ERRNO();
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return REPORT_ERR_WHY(reportErrnoText(error));
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::execve(program.c_str(), argv, environ);
            const int error = errno;
            (void)!::write(pipeFds[1], &error, sizeof error);
            ::_exit(127);
        }
        if (grandchild < 0) {
            const int error = errno;
            (void)!::write(pipeFds[1], &error, sizeof error);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    reap(child);
    int error = 0;
    ssize_t got;
    do got = ::read(pipeFds[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    ::close(pipeFds[0]);
    if (got == static_cast<ssize_t>(sizeof error))
        return REPORT_ERR_WHY(program + ": " + reportErrnoText(error));
    return OKAY;
}

int RecordingBrowser::open(std::string_view address) {
    if (!browserAddressAllowed(address)) return REPORT_ERR();
    addresses.emplace_back(address);
    return OKAY;
}
