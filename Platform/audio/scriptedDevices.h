// A scripted list of outputs for tests: the endpoints (ids, names, mix
// formats) and the default are whatever the test says, and the streams it
// activates are the scripted doubles, so that enumeration, selection,
// re-initialisation and the record thread run without a sound server.
//
// A stream activated here becomes a capture stream (a ScriptedCapture playing
// the current capture script) or a render stream (a ScriptedRenderStream whose
// buffer holds the requested duration) when the engine initialises it in that
// direction. The test reaches the doubles the engine is using through
// lastCapture() / lastRender(), and sees through liveStreams() whether the
// engine released the ones it replaced.
//
// Thread-safe: the record thread enumerates and activates while the test
// changes the list.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audioPlatform.h"
#include "scriptedCapture.h"
#include "scriptedRender.h"

struct ScriptedEndpoint {
    AudioEndpoint endpoint;
    AudioFormat mixFormat = audioFloatFormat(2, 48000);
};

class ScriptedDevices : public AudioDevices {
  public:
    ScriptedDevices() = default;
    ~ScriptedDevices() override;

    // --- the script
    void setEndpoints(std::vector<ScriptedEndpoint> endpoints);
    // Id of the default output; "" for none.
    void setDefault(std::string id);
    // What capture streams initialised from now on hand out.
    void setCaptureScript(std::vector<ScriptedPoll> script, bool repeat = false);
    // Enumeration (renderEndpoints, defaultRenderEndpoint) or activation fails.
    void setFailEnumeration(bool fail);
    void setFailActivate(bool fail);
    // Streams activated from now on fail to initialise.
    void setFailInitialize(bool fail);
    // The reason a refused activation or initialisation gives.
    std::string lastError() const override;

    // --- what the engine did
    std::shared_ptr<ScriptedCapture> lastCapture() const;
    std::shared_ptr<ScriptedRenderStream> lastRender() const;
    std::string lastActivatedId() const;
    int activations() const;
    int enumerations() const;
    // Streams activated and not yet destroyed.
    int liveStreams() const;

    // --- AudioDevices
    int renderEndpoints(std::vector<AudioEndpoint>& endpoints) override;
    int defaultRenderEndpoint(std::string& id, bool& found) override;
    int activate(const std::string& id, std::unique_ptr<AudioStream>& stream) override;

    // Bookkeeping for the streams (they call back when initialised and destroyed).
    struct Shared;

  private:
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

struct ScriptedDevices::Shared {
    mutable std::mutex mutex;
    std::vector<ScriptedEndpoint> endpoints;
    std::string defaultId;
    std::vector<ScriptedPoll> captureScript;
    bool captureRepeat = false;
    bool failEnumeration = false;
    bool failActivate = false;
    bool failInitialize = false;
    std::shared_ptr<ScriptedCapture> lastCapture;
    std::shared_ptr<ScriptedRenderStream> lastRender;
    std::string lastActivatedId;
    int activations = 0;
    int enumerations = 0;
    int liveStreams = 0;
};
