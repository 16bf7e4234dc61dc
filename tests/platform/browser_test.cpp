// Opening addresses: xdg-open gets the address as one argument with no shell
// in between (a stand-in xdg-open on PATH records what it got), it runs on
// without a child or thread of ours waiting for it, and only web addresses
// are handed on.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "browser.h"
#include "report.h"
#include "testsupport.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

TEST(browser, XdgOpenGetsTheAddressAsOneArgument) {
    TempDir dir;
    const std::string log = dir.file("args.txt");
    const std::string script = dir.file("xdg-open");
    writeText(script, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"" + log + ".part\"\nmv \"" + log +
                          ".part\" \"" + log + "\"\n");
    ::chmod(script.c_str(), 0755);
    const char* oldPath = std::getenv("PATH");
    ScopedEnv path("PATH", dir.str() + ":" + (oldPath ? oldPath : "/usr/bin:/bin"));

    const std::string address = "https://example.org/a b?q='x\"y'&z=$(touch " + dir.file("pwned") + ");`id`";
    XdgOpenBrowser browser;
    ASSERT_EQ(browser.open(address), OKAY);
    // xdg-open is nobody's child here: the system reaps it.
    int status = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    for (int i = 0; i < 500 && !fs::exists(log); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(readText(log), "1\n" + address + "\n");
    EXPECT_FALSE(fs::exists(dir.file("pwned")));
}

TEST(browser, AMissingXdgOpenSaysSo) {
    TempDir empty;
    ScopedEnv path("PATH", empty.str());
    ReportRecorder reports;
    XdgOpenBrowser browser;
    EXPECT_EQ(browser.open("https://example.org/"), NOT_OKAY);
    EXPECT_EQ(reports.details(), std::vector<std::string>{"xdg-open: not found on PATH"});
}

TEST(browser, OnlyWebAddressesAreOpened) {
    struct Case {
        const char* address;
        bool allowed;
    };
    const Case cases[] = {
        {"http://example.org/", true},
        {"https://x", true},
        {"", false},
        {"https://", false},
        {"file:///etc/passwd", false},
        {"/usr/bin/xterm", false},
        {"--help", false},
        {"javascript:alert(1)", false},
        {"https://a\nb", false},
        {"HTTP://upper", false},
    };
    RecordingBrowser recorder;
    for (const auto& c : cases) {
        ReportRecorder reports;
        EXPECT_EQ(recorder.open(c.address), c.allowed ? OKAY : NOT_OKAY) << c.address;
        EXPECT_EQ(reports.count(), c.allowed ? 0u : 1u) << c.address;
    }
    EXPECT_EQ(recorder.addresses, (std::vector<std::string>{"http://example.org/", "https://x"}));

    ReportRecorder reports;
    XdgOpenBrowser real;
    EXPECT_EQ(real.open("file:///etc/passwd"), NOT_OKAY);
    EXPECT_EQ(reports.count(), 1u);
}

}  // namespace
