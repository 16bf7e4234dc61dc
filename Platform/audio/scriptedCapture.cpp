// Scripted loopback capture stream (see scriptedCapture.h).
#include "scriptedCapture.h"

ScriptedPacket ScriptedPacket::constant(uint16_t channels, uint32_t frames, float value, uint32_t flags) {
    ScriptedPacket packet;
    packet.samples.assign(static_cast<size_t>(channels) * frames, value);
    packet.flags = flags;
    return packet;
}

ScriptedCapture::ScriptedCapture(AudioFormat format, std::vector<ScriptedPoll> script)
    : format_(format), script_(std::move(script)) {}

void ScriptedCapture::append(ScriptedPoll poll) {
    std::lock_guard lock(mutex_);
    script_.push_back(std::move(poll));
}

void ScriptedCapture::setRepeat(bool repeat) {
    std::lock_guard lock(mutex_);
    repeat_ = repeat;
}

void ScriptedCapture::failAt(ScriptedOp op, uint64_t fromCall, int64_t times) {
    std::lock_guard lock(mutex_);
    failures_[static_cast<size_t>(op)].push_back(Failure{fromCall, times});
}

void ScriptedCapture::setLost(bool lost) {
    std::lock_guard lock(mutex_);
    lost_ = lost;
}

uint64_t ScriptedCapture::calls(ScriptedOp op) const {
    std::lock_guard lock(mutex_);
    return calls_[static_cast<size_t>(op)];
}

uint64_t ScriptedCapture::framesDelivered() const {
    std::lock_guard lock(mutex_);
    return framesDelivered_;
}

size_t ScriptedCapture::pendingPolls() const {
    std::lock_guard lock(mutex_);
    return pollIndex_ < script_.size() ? script_.size() - pollIndex_ : 0;
}

bool ScriptedCapture::misuse() const {
    std::lock_guard lock(mutex_);
    return misuse_;
}

bool ScriptedCapture::started() const {
    std::lock_guard lock(mutex_);
    return started_;
}

bool ScriptedCapture::failsNow(ScriptedOp op) {
    const uint64_t call = calls_[static_cast<size_t>(op)]++;
    if (lost_) return true;
    for (const Failure& f : failures_[static_cast<size_t>(op)]) {
        if (call < f.from) continue;
        if (f.times < 0 || call - f.from < static_cast<uint64_t>(f.times)) return true;
    }
    return false;
}

const ScriptedPoll* ScriptedCapture::current() {
    if (pollIndex_ >= script_.size() && repeat_ && !script_.empty()) pollIndex_ = 0;
    return pollIndex_ < script_.size() ? &script_[pollIndex_] : nullptr;
}

uint32_t ScriptedCapture::framesOf(const ScriptedPacket& packet) const {
    return format_.channels == 0 ? 0 : static_cast<uint32_t>(packet.samples.size() / format_.channels);
}

int ScriptedCapture::mixFormat(AudioFormat& format) {
    std::lock_guard lock(mutex_);
    if (failsNow(ScriptedOp::MixFormat)) return NOT_OKAY;
    format = format_;
    return OKAY;
}

int ScriptedCapture::initialize(AudioDirection direction, int64_t bufferDuration) {
    std::lock_guard lock(mutex_);
    if (failsNow(ScriptedOp::Initialize) || direction != AudioDirection::Capture || initialized_)
        return NOT_OKAY;
    initialized_ = true;
    bufferDuration_ = bufferDuration;
    return OKAY;
}

int ScriptedCapture::bufferFrames(uint32_t& frames) {
    std::lock_guard lock(mutex_);
    if (failsNow(ScriptedOp::BufferFrames) || !initialized_) return NOT_OKAY;
    frames = static_cast<uint32_t>(bufferDuration_ * format_.sampleRate / 10000000);
    return OKAY;
}

int ScriptedCapture::start() {
    std::lock_guard lock(mutex_);
    if (failsNow(ScriptedOp::Start) || !initialized_) return NOT_OKAY;
    started_ = true;
    return OKAY;
}

int ScriptedCapture::stop() {
    std::lock_guard lock(mutex_);
    if (failsNow(ScriptedOp::Stop) || !initialized_) return NOT_OKAY;
    started_ = false;
    return OKAY;
}

int ScriptedCapture::reset() {
    std::lock_guard lock(mutex_);
    if (failsNow(ScriptedOp::Reset) || !initialized_ || fetched_) return NOT_OKAY;
    if (current() != nullptr) {
        ++pollIndex_;
        packetIndex_ = 0;
    }
    return OKAY;
}

AudioCaptureService* ScriptedCapture::captureService() {
    std::lock_guard lock(mutex_);
    return initialized_ ? this : nullptr;
}

AudioRenderService* ScriptedCapture::renderService() { return nullptr; }

int ScriptedCapture::padding(uint32_t& frames) {
    std::lock_guard lock(mutex_);
    if (failsNow(ScriptedOp::Padding)) return NOT_OKAY;
    frames = 0;
    if (const ScriptedPoll* poll = current())
        for (size_t i = packetIndex_; i < poll->size(); ++i) frames += framesOf((*poll)[i]);
    return OKAY;
}

int ScriptedCapture::nextPacketSize(uint32_t& frames) {
    std::lock_guard lock(mutex_);
    if (failsNow(ScriptedOp::NextPacketSize)) return NOT_OKAY;
    frames = 0;
    const ScriptedPoll* poll = current();
    if (poll == nullptr || fetched_) return OKAY;
    if (packetIndex_ < poll->size()) {
        frames = framesOf((*poll)[packetIndex_]);
        return OKAY;
    }
    // This look has seen the poll's last packet: the next look starts the next poll.
    ++pollIndex_;
    packetIndex_ = 0;
    return OKAY;
}

int ScriptedCapture::fetchPacket(const float*& data, uint32_t& frames, uint32_t& flags) {
    std::lock_guard lock(mutex_);
    if (failsNow(ScriptedOp::FetchPacket)) return NOT_OKAY;
    const ScriptedPoll* poll = current();
    if (fetched_ || poll == nullptr || packetIndex_ >= poll->size()) return NOT_OKAY;
    const ScriptedPacket& packet = (*poll)[packetIndex_++];
    data = packet.samples.data();
    frames = framesOf(packet);
    flags = packet.flags;
    fetched_ = true;
    fetchedFrames_ = frames;
    framesDelivered_ += frames;
    return OKAY;
}

int ScriptedCapture::releasePacket(uint32_t frames) {
    std::lock_guard lock(mutex_);
    if (failsNow(ScriptedOp::ReleasePacket)) return NOT_OKAY;
    if (!fetched_ || frames != fetchedFrames_) {
        misuse_ = true;
        return NOT_OKAY;
    }
    fetched_ = false;
    return OKAY;
}
