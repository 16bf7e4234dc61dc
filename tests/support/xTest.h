// Real X input for end-to-end tests: pointer moves, button and key presses
// through the XTEST extension, on a display such as Xvfb's. The few Xlib and
// XTEST calls are loaded at run time (the libraries come with Xvfb; their
// development headers need not be there).
#pragma once

#include <dlfcn.h>

#include <chrono>
#include <string>
#include <thread>

namespace testsupport {

class XTest {
  public:
    // Opens the display; false when the libraries or the display are missing.
    bool open(const std::string& name) {
        x11_ = dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);
        xtst_ = dlopen("libXtst.so.6", RTLD_NOW);
        if (!x11_ || !xtst_) return false;
        openDisplay_ = reinterpret_cast<void* (*)(const char*)>(dlsym(x11_, "XOpenDisplay"));
        closeDisplay_ = reinterpret_cast<int (*)(void*)>(dlsym(x11_, "XCloseDisplay"));
        sync_ = reinterpret_cast<int (*)(void*, int)>(dlsym(x11_, "XSync"));
        stringToKeysym_ = reinterpret_cast<unsigned long (*)(const char*)>(dlsym(x11_, "XStringToKeysym"));
        keysymToKeycode_ =
            reinterpret_cast<unsigned char (*)(void*, unsigned long)>(dlsym(x11_, "XKeysymToKeycode"));
        getInputFocus_ =
            reinterpret_cast<int (*)(void*, unsigned long*, int*)>(dlsym(x11_, "XGetInputFocus"));
        fakeMotion_ = reinterpret_cast<int (*)(void*, int, int, int, unsigned long)>(
            dlsym(xtst_, "XTestFakeMotionEvent"));
        fakeButton_ = reinterpret_cast<int (*)(void*, unsigned int, int, unsigned long)>(
            dlsym(xtst_, "XTestFakeButtonEvent"));
        fakeKey_ = reinterpret_cast<int (*)(void*, unsigned int, int, unsigned long)>(
            dlsym(xtst_, "XTestFakeKeyEvent"));
        if (!openDisplay_ || !closeDisplay_ || !sync_ || !stringToKeysym_ || !keysymToKeycode_ ||
            !getInputFocus_ || !fakeMotion_ || !fakeButton_ || !fakeKey_)
            return false;
        display_ = openDisplay_(name.c_str());
        return display_ != nullptr;
    }
    ~XTest() {
        if (display_) closeDisplay_(display_);
    }
    bool opened() const { return display_ != nullptr; }

    // Input is paced a little, as a hand would, so that the program sees each
    // event apart; the tests wait for what should follow on their own.
    void move(int x, int y) {
        fakeMotion_(display_, -1, x, y, 0);
        settle();
    }
    void button(bool down) {
        fakeButton_(display_, 1, down ? 1 : 0, 0);
        settle();
    }
    void click(int x, int y) {
        move(x, y);
        button(true);
        button(false);
    }
    // A key by its X name ("Return", "Tab", "Down", "a"), with Shift or
    // Control held when asked.
    void key(const std::string& name, bool shift = false, bool control = false) {
        if (shift) keyEvent("Shift_L", true);
        if (control) keyEvent("Control_L", true);
        keyEvent(name, true);
        keyEvent(name, false);
        if (control) keyEvent("Control_L", false);
        if (shift) keyEvent("Shift_L", false);
    }
    // Types letters, digits and spaces.
    void type(const std::string& text) {
        for (char c : text) {
            if (c == ' ')
                key("space");
            else if (c >= 'A' && c <= 'Z')
                key(std::string(1, static_cast<char>(c - 'A' + 'a')), true);
            else
                key(std::string(1, c));
        }
    }

    // The window that has the keyboard focus.
    unsigned long inputFocus() {
        unsigned long window = 0;
        int revert = 0;
        getInputFocus_(display_, &window, &revert);
        return window;
    }

  private:
    void keyEvent(const std::string& name, bool down) {
        const unsigned char code = keysymToKeycode_(display_, stringToKeysym_(name.c_str()));
        fakeKey_(display_, code, down ? 1 : 0, 0);
        settle();
    }
    void settle() {
        sync_(display_, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }

    void* x11_ = nullptr;
    void* xtst_ = nullptr;
    void* display_ = nullptr;
    void* (*openDisplay_)(const char*) = nullptr;
    int (*closeDisplay_)(void*) = nullptr;
    int (*sync_)(void*, int) = nullptr;
    unsigned long (*stringToKeysym_)(const char*) = nullptr;
    unsigned char (*keysymToKeycode_)(void*, unsigned long) = nullptr;
    int (*getInputFocus_)(void*, unsigned long*, int*) = nullptr;
    int (*fakeMotion_)(void*, int, int, int, unsigned long) = nullptr;
    int (*fakeButton_)(void*, unsigned int, int, unsigned long) = nullptr;
    int (*fakeKey_)(void*, unsigned int, int, unsigned long) = nullptr;
};

}  // namespace testsupport
