// An X display for end-to-end tests of the real program: a private Xvfb that
// picks a free display number itself, the pointer driven through the XTEST
// extension (real X events, so the program sees what a user's mouse does),
// and screenshots of the whole screen.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

// The few Xlib and XTEST calls needed, loaded at run time (the libraries are
// there with Xvfb; their headers need not be).
struct XTest {
    void* x11 = nullptr;
    void* xtst = nullptr;
    void* display = nullptr;
    void* (*openDisplay)(const char*) = nullptr;
    int (*closeDisplay)(void*) = nullptr;
    int (*sync)(void*, int) = nullptr;
    int (*fakeMotion)(void*, int, int, int, unsigned long) = nullptr;
    int (*fakeButton)(void*, unsigned int, int, unsigned long) = nullptr;

    bool open(const std::string& name);
    ~XTest();
    void move(int x, int y);
    void button(bool down);
    // Moves there, presses and releases. The program handles the events in
    // the order they come, so nothing is waited for behind a click: a test
    // waits for what the click does where it shows.
    void click(int x, int y);
};

// A private Xvfb; ended (SIGTERM, waited for) when the object dies.
class XvfbDisplay {
  public:
    explicit XvfbDisplay(const std::string& screen = "800x600x24");
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;
    // ":<number>", empty when Xvfb did not start.
    const std::string& name() const { return name_; }

  private:
    pid_t pid_ = -1;
    std::string name_;
};

// A program started by the test, ended (SIGTERM, waited for) when the object dies.
struct ScopedProcess {
    pid_t pid = -1;
    ~ScopedProcess();
};

// Saves the whole screen of `display` as a PNG (ImageMagick's import).
bool xScreenshot(const std::string& display, const std::string& path);
// Where a test leaves its screenshots: test-artifacts/<test> in the build, created.
std::string xArtifactsFolder(const std::string& test);

// Polls `done` every 50 ms for at most `ms`; whether it came true.
bool xWaitFor(const std::function<bool()>& done, int ms = 20000);
// What a shell command (a fixed text of the test) prints.
std::string xCommandOutput(const std::string& command);
// Whether a playback stream of the sound server is fed, that is not corked
// (the program corks its stream while a track is paused or stopped).
bool xSoundPlaying();
