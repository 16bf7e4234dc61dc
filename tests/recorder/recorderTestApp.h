// Shared fixtures of the recorder's window tests: one QApplication for the
// whole test program (offscreen platform, set by ctest), and a harness that
// runs the real recorder in a scratch profile.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "audioPlatform.h"
#include "browser.h"
#include "networkState.h"
#include "recorderApp.h"
#include "testsupport.h"

// Creates the process's QApplication on first use; it lives until exit.
void recorderTestEnsureApplication();

// A computer without outputs: nothing to record from or play to.
class NoOutputs : public AudioDevices {
  public:
    int renderEndpoints(std::vector<AudioEndpoint>& endpoints) override;
    int defaultRenderEndpoint(std::string& id, bool& found) override;
    int activate(const std::string& id, std::unique_ptr<AudioStream>& stream) override;
};

// The recorder in a scratch profile: HOME and XDG folders, the machine-wide
// settings (top_folder = the checkout, which holds Skins/), the instance lock
// folder, a recording message dialog, a recording browser and recorded
// message boxes. The audio platform is NoOutputs unless a test sets another
// before start(). The web service's address is a closed local port and the
// network counts as connected (tests of the web features point the address
// at their own server), and no proxy is used.
class RecorderHarness {
  public:
    RecorderHarness();
    ~RecorderHarness();

    // Creates the main window, which runs the start-up.
    int start();
    // Runs the event loop for about `ms` milliseconds.
    void pump(int ms);
    // Pumps until `done` holds or `ms` pass; returns whether it held.
    template <class F>
    bool pumpUntil(F done, int ms) {
        for (int waited = 0; waited < ms; waited += 10) {
            if (done()) return true;
            pump(10);
        }
        return done();
    }

    testsupport::TempHome home;
    testsupport::TempDir machine;
    testsupport::TempDir lockDir;
    testsupport::RecordingDialog dialog;
    RecordingBrowser browser;
    NoOutputs noOutputs;
    ScriptedNetworkState network;
    // Message boxes: (text, caption).
    std::vector<std::pair<std::string, std::string>> boxes;
    RecorderApp app;

  private:
    std::vector<std::unique_ptr<testsupport::ScopedEnv>> env_;
};

// The settings of the scratch profile, by the names the program uses.
std::string recorderTestSessionValue(const std::string& name);
