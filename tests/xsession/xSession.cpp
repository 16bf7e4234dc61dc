// The X display of the end-to-end tests. See xSession.h.
#include "xSession.h"

#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "pulseFixture.h"
#include "testsupport.h"

using namespace std::chrono_literals;

bool XTest::open(const std::string& name) {
    x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);
    xtst = dlopen("libXtst.so.6", RTLD_NOW);
    if (!x11 || !xtst) return false;
    openDisplay = reinterpret_cast<void* (*)(const char*)>(dlsym(x11, "XOpenDisplay"));
    closeDisplay = reinterpret_cast<int (*)(void*)>(dlsym(x11, "XCloseDisplay"));
    sync = reinterpret_cast<int (*)(void*, int)>(dlsym(x11, "XSync"));
    fakeMotion =
        reinterpret_cast<int (*)(void*, int, int, int, unsigned long)>(dlsym(xtst, "XTestFakeMotionEvent"));
    fakeButton = reinterpret_cast<int (*)(void*, unsigned int, int, unsigned long)>(
        dlsym(xtst, "XTestFakeButtonEvent"));
    if (!openDisplay || !closeDisplay || !sync || !fakeMotion || !fakeButton) return false;
    display = openDisplay(name.c_str());
    return display != nullptr;
}

XTest::~XTest() {
    if (display) closeDisplay(display);
}

// Each event is followed by a pause at the pace of a quick hand: the program
// asks for the button's state while it handles a move, and a release queued
// behind the move would already show there.
void XTest::move(int x, int y) {
    fakeMotion(display, -1, x, y, 0);
    sync(display, 0);
    std::this_thread::sleep_for(40ms);
}

void XTest::button(bool down) {
    fakeButton(display, 1, down ? 1 : 0, 0);
    sync(display, 0);
    std::this_thread::sleep_for(40ms);
}

void XTest::click(int x, int y) {
    move(x, y);
    button(true);
    button(false);
}

XvfbDisplay::XvfbDisplay(const std::string& screen) {
    // Xvfb picks a free number and tells it through a pipe.
    int numberPipe[2];
    if (::pipe(numberPipe) != 0) return;
    pid_ = pulsefixture::spawnProgram(
        {"Xvfb", "-displayfd", std::to_string(numberPipe[1]), "-screen", "0", screen, "-nolisten", "tcp"});
    ::close(numberPipe[1]);
    std::string number;
    char c = 0;
    while (pid_ > 0 && ::read(numberPipe[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(numberPipe[0]);
    if (!number.empty()) name_ = ":" + number;
}

XvfbDisplay::~XvfbDisplay() { ScopedProcess{pid_}; }

ScopedProcess::~ScopedProcess() {
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        pulsefixture::waitProgram(pid);
    }
}

bool xScreenshot(const std::string& display, const std::string& path) {
    std::filesystem::remove(path);
    return pulsefixture::runProgram({"import", "-display", display, "-window", "root", path}) == 0 &&
           std::filesystem::exists(path);
}

std::string xArtifactsFolder(const std::string& test) {
    const std::filesystem::path folder =
        std::filesystem::path(testsupport::binaryDir()) / "test-artifacts" / test;
    std::filesystem::create_directories(folder);
    return folder.string();
}

bool xWaitFor(const std::function<bool()>& done, int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

std::string xCommandOutput(const std::string& command) {
    testsupport::TempDir dir;
    const std::string file = dir.file("out.txt");
    pulsefixture::runProgram({"sh", "-c", command + " > '" + file + "' 2>/dev/null"});
    return std::filesystem::exists(file) ? testsupport::readText(file) : std::string();
}

bool xSoundPlaying() {
    return xCommandOutput("pactl list sink-inputs").find("Corked: no") != std::string::npos;
}
