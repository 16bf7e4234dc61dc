// The scripted list of outputs (see scriptedDevices.h) and the endpoint stream
// it activates, which turns into a scripted capture or render double when the
// engine initialises it.
#include "scriptedDevices.h"

namespace {

class ScriptedEndpointStream final : public AudioStream {
  public:
    ScriptedEndpointStream(std::shared_ptr<ScriptedDevices::Shared> shared, AudioFormat format,
                           bool failInitialize)
        : shared_(std::move(shared)), format_(format), failInitialize_(failInitialize) {}
    ~ScriptedEndpointStream() override {
        std::lock_guard lock(shared_->mutex);
        --shared_->liveStreams;
    }

    int mixFormat(AudioFormat& format) override {
        format = format_;
        return OKAY;
    }

    int initialize(AudioDirection direction, int64_t bufferDuration) override {
        if (capture_ || render_ || failInitialize_ || bufferDuration <= 0) return NOT_OKAY;
        std::lock_guard lock(shared_->mutex);
        if (direction == AudioDirection::Capture) {
            capture_ = std::make_shared<ScriptedCapture>(format_, shared_->captureScript);
            capture_->setRepeat(shared_->captureRepeat);
            if (capture_->initialize(direction, bufferDuration) != OKAY) return NOT_OKAY;
            shared_->lastCapture = capture_;
        } else {
            const auto frames = static_cast<uint32_t>(bufferDuration * format_.sampleRate / 10000000);
            render_ = std::make_shared<ScriptedRenderStream>(format_.channels, format_.sampleRate, frames);
            if (render_->initialize(direction, bufferDuration) != OKAY) return NOT_OKAY;
            shared_->lastRender = render_;
        }
        return OKAY;
    }

    int bufferFrames(uint32_t& frames) override { return inner() ? inner()->bufferFrames(frames) : NOT_OKAY; }
    int start() override { return inner() ? inner()->start() : NOT_OKAY; }
    int stop() override { return inner() ? inner()->stop() : NOT_OKAY; }
    int reset() override { return inner() ? inner()->reset() : NOT_OKAY; }
    AudioCaptureService* captureService() override { return capture_ ? capture_->captureService() : nullptr; }
    AudioRenderService* renderService() override { return render_ ? render_->renderService() : nullptr; }
    std::string lastError() const override {
        return failInitialize_ ? "scripted: initialisation refused" : "";
    }

  private:
    AudioStream* inner() const {
        if (capture_) return capture_.get();
        return render_.get();
    }

    std::shared_ptr<ScriptedDevices::Shared> shared_;
    AudioFormat format_;
    bool failInitialize_;
    std::shared_ptr<ScriptedCapture> capture_;
    std::shared_ptr<ScriptedRenderStream> render_;
};

}  // namespace

ScriptedDevices::~ScriptedDevices() = default;

void ScriptedDevices::setEndpoints(std::vector<ScriptedEndpoint> endpoints) {
    std::lock_guard lock(shared_->mutex);
    shared_->endpoints = std::move(endpoints);
}

void ScriptedDevices::setDefault(std::string id) {
    std::lock_guard lock(shared_->mutex);
    shared_->defaultId = std::move(id);
}

void ScriptedDevices::setCaptureScript(std::vector<ScriptedPoll> script, bool repeat) {
    std::lock_guard lock(shared_->mutex);
    shared_->captureScript = std::move(script);
    shared_->captureRepeat = repeat;
}

void ScriptedDevices::setFailEnumeration(bool fail) {
    std::lock_guard lock(shared_->mutex);
    shared_->failEnumeration = fail;
}

void ScriptedDevices::setFailActivate(bool fail) {
    std::lock_guard lock(shared_->mutex);
    shared_->failActivate = fail;
}

void ScriptedDevices::setFailInitialize(bool fail) {
    std::lock_guard lock(shared_->mutex);
    shared_->failInitialize = fail;
}

std::shared_ptr<ScriptedCapture> ScriptedDevices::lastCapture() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->lastCapture;
}

std::shared_ptr<ScriptedRenderStream> ScriptedDevices::lastRender() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->lastRender;
}

std::string ScriptedDevices::lastActivatedId() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->lastActivatedId;
}

int ScriptedDevices::activations() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->activations;
}

int ScriptedDevices::enumerations() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->enumerations;
}

int ScriptedDevices::liveStreams() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->liveStreams;
}

int ScriptedDevices::renderEndpoints(std::vector<AudioEndpoint>& endpoints) {
    std::lock_guard lock(shared_->mutex);
    ++shared_->enumerations;
    if (shared_->failEnumeration) return NOT_OKAY;
    endpoints.clear();
    for (const ScriptedEndpoint& e : shared_->endpoints) endpoints.push_back(e.endpoint);
    return OKAY;
}

int ScriptedDevices::defaultRenderEndpoint(std::string& id, bool& found) {
    std::lock_guard lock(shared_->mutex);
    if (shared_->failEnumeration) return NOT_OKAY;
    id = shared_->defaultId;
    found = !id.empty();
    return OKAY;
}

int ScriptedDevices::activate(const std::string& id, std::unique_ptr<AudioStream>& stream) {
    std::lock_guard lock(shared_->mutex);
    if (shared_->failActivate) return NOT_OKAY;
    for (const ScriptedEndpoint& e : shared_->endpoints) {
        if (e.endpoint.id != id) continue;
        ++shared_->activations;
        ++shared_->liveStreams;
        shared_->lastActivatedId = id;
        stream = std::make_unique<ScriptedEndpointStream>(shared_, e.mixFormat, shared_->failInitialize);
        return OKAY;
    }
    return NOT_OKAY;
}

std::string ScriptedDevices::lastError() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->failActivate ? "scripted: activation refused" : "";
}
