// The browser layer: xdg-open through posix_spawnp, and the recording double.
#include "browser.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

#include "report.h"

static constexpr const char* kReportModule = "../../Platform/browser/browser";

extern char** environ;

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
    std::string program = "xdg-open";
    std::string arg(address);
    char* argv[] = {program.data(), arg.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) return REPORT_ERR();
    // xdg-open may stay until the browser exits; reap it off the caller's thread.
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return OKAY;
}

int RecordingBrowser::open(std::string_view address) {
    if (!browserAddressAllowed(address)) return REPORT_ERR();
    addresses.emplace_back(address);
    return OKAY;
}
