// The scripted render stream of the tests: a sink that keeps what it is given
// and follows the contract of AudioRenderService (one buffer out at a time,
// released with the count it was asked for, never more than the free space).
#include "scriptedRender.h"

ScriptedRenderStream::ScriptedRenderStream(uint16_t channels, uint32_t rate, uint32_t bufferFrames)
    : format_(audioFloatFormat(channels, rate)), bufferFrames_(bufferFrames) {}

int ScriptedRenderStream::mixFormat(AudioFormat& format) {
    std::lock_guard lock(mutex_);
    format = format_;
    return OKAY;
}

int ScriptedRenderStream::initialize(AudioDirection direction, int64_t) {
    std::lock_guard lock(mutex_);
    if (direction != AudioDirection::Render || initialized_) return NOT_OKAY;
    initialized_ = true;
    return OKAY;
}

int ScriptedRenderStream::bufferFrames(uint32_t& frames) {
    std::lock_guard lock(mutex_);
    if (!initialized_) return NOT_OKAY;
    frames = bufferFrames_;
    return OKAY;
}

int ScriptedRenderStream::start() {
    std::lock_guard lock(mutex_);
    calls_.push_back("start");
    running_ = true;
    return OKAY;
}

int ScriptedRenderStream::stop() {
    std::lock_guard lock(mutex_);
    calls_.push_back("stop");
    running_ = false;
    return OKAY;
}

int ScriptedRenderStream::reset() {
    std::lock_guard lock(mutex_);
    calls_.push_back("reset");
    if (queueing_) padding_ = 0;
    return OKAY;
}

AudioRenderService* ScriptedRenderStream::renderService() {
    std::lock_guard lock(mutex_);
    return initialized_ ? this : nullptr;
}

int ScriptedRenderStream::padding(uint32_t& frames) {
    std::lock_guard lock(mutex_);
    if (failPadding_) return NOT_OKAY;
    frames = padding_;
    return OKAY;
}

int ScriptedRenderStream::getBuffer(uint32_t frames, float*& data) {
    std::lock_guard lock(mutex_);
    if (failGetBuffer_ || bufferOut_ || padding_ > bufferFrames_ || frames > bufferFrames_ - padding_)
        return NOT_OKAY;
    pending_.assign(size_t(frames) * format_.channels, kUnwritten);
    pendingFrames_ = frames;
    bufferOut_ = true;
    data = pending_.data();
    return OKAY;
}

int ScriptedRenderStream::releaseBuffer(uint32_t frames) {
    std::lock_guard lock(mutex_);
    if (failRelease_ || !bufferOut_ || frames != pendingFrames_) return NOT_OKAY;
    bufferOut_ = false;
    rendered_.insert(rendered_.end(), pending_.begin(), pending_.end());
    releases_.push_back(frames);
    if (queueing_) padding_ += frames;
    return OKAY;
}

void ScriptedRenderStream::setPadding(uint32_t frames) {
    std::lock_guard lock(mutex_);
    padding_ = frames;
}

void ScriptedRenderStream::setQueueing(bool on) {
    std::lock_guard lock(mutex_);
    queueing_ = on;
}

void ScriptedRenderStream::setFailPadding(bool on) {
    std::lock_guard lock(mutex_);
    failPadding_ = on;
}

void ScriptedRenderStream::setFailGetBuffer(bool on) {
    std::lock_guard lock(mutex_);
    failGetBuffer_ = on;
}

void ScriptedRenderStream::setFailRelease(bool on) {
    std::lock_guard lock(mutex_);
    failRelease_ = on;
}

std::vector<float> ScriptedRenderStream::rendered() const {
    std::lock_guard lock(mutex_);
    return rendered_;
}

std::vector<uint32_t> ScriptedRenderStream::releases() const {
    std::lock_guard lock(mutex_);
    return releases_;
}

std::vector<std::string> ScriptedRenderStream::controlCalls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

bool ScriptedRenderStream::running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

void ScriptedRenderStream::clearRendered() {
    std::lock_guard lock(mutex_);
    rendered_.clear();
    releases_.clear();
}

AudioFormat ScriptedRenderStream::format() const {
    std::lock_guard lock(mutex_);
    return format_;
}
