// What the end-to-end tests of the built recorder share: a scratch profile
// with the machine-wide values the install step leaves, a private X display
// (Xvfb picks a free number), the program started on it, the skin's layout
// (where to click) and screenshots. The sound server is the tests' own
// (pulsefixture::PulseServer).
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "testsupport.h"

struct Skin;

namespace e2e {

// The tools a run needs; the first one missing, or "" when all are there.
std::string missingTool(const std::vector<std::string>& tools);

// A child process, ended (SIGTERM) and waited for when the object goes.
class Child {
  public:
    Child() = default;
    explicit Child(pid_t pid) : pid_(pid) {}
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    Child& operator=(Child&& other) noexcept;
    pid_t pid() const { return pid_; }
    // Still running (not yet ended by itself).
    bool running() const;

  private:
    pid_t pid_ = -1;
};

// HOME, the XDG folders, the machine-wide settings (top_folder = the
// checkout) and the instance lock folder, all in scratch folders; the window
// placed at the screen's top left corner.
class Profile {
  public:
    Profile();

  private:
    testsupport::TempHome home_;
    testsupport::TempDir machine_, lockDir_;
    std::vector<std::unique_ptr<testsupport::ScopedEnv>> env_;
};

// Xvfb on a display of its choosing (800x600), with DISPLAY and the xcb
// platform set for the programs started afterwards.
class Display {
  public:
    // false when Xvfb did not start.
    bool start();
    const std::string& name() const { return name_; }
    // A picture of the whole screen under the build tree's test-artifacts/<folder>.
    bool screenshot(const std::string& folder, const std::string& shot) const;
    static std::string artifacts(const std::string& folder);

  private:
    Child xvfb_;
    std::string name_;
    std::vector<std::unique_ptr<testsupport::ScopedEnv>> env_;
};

// The built recorder, started as a user starts it.
Child startRecorder();

// Where the main skin puts things, in the window's coordinates.
class Layout {
  public:
    Layout();
    ~Layout();
    bool loaded() const { return skin_ != nullptr; }
    std::pair<int, int> centre(int hotspot) const;
    int listLeft = 0, listTop = 0, listRight = 0, listBottom = 0;
    Skin* skin() const { return skin_.get(); }

  private:
    std::unique_ptr<Skin> skin_;
};

}  // namespace e2e
