// Capture periods from record fragments (see capturePeriods.h).
#include "capturePeriods.h"

#include <algorithm>

CapturePeriods::CapturePeriods(CaptureFragmentSource& source, uint16_t channels, uint32_t periodFrames,
                               uint32_t callFrames)
    : source_(source),
      channels_(channels),
      periodFrames_(std::max<uint32_t>(periodFrames, 1)),
      callFrames_(callFrames),
      budget_(callFrames),
      gathered_(static_cast<size_t>(periodFrames_) * channels, 0.0f),
      silence_(static_cast<size_t>(periodFrames_) * channels, 0.0f) {}

bool CapturePeriods::dropFragment() {
    peeked_ = false;
    fragment_ = nullptr;
    fragmentFrames_ = fragmentTaken_ = 0;
    return source_.drop();
}

bool CapturePeriods::assemble() {
    const size_t frameBytes = channels_ * sizeof(float);
    while (ready_ == Ready::None) {
        if (!peeked_) {
            const void* data = nullptr;
            size_t bytes = 0;
            if (!source_.peek(data, bytes)) return false;
            if (bytes == 0) return true;  // the rest has not arrived yet
            peeked_ = true;
            fragment_ = static_cast<const float*>(data);
            fragmentFrames_ = bytes / frameBytes;
            fragmentTaken_ = 0;
            if (fragmentFrames_ == 0 && !dropFragment()) return false;
            continue;
        }
        const size_t left = fragmentFrames_ - fragmentTaken_;
        if (gatheredFrames_ == 0 && left >= periodFrames_) {
            // The whole period lies in this fragment: hand it out where it is.
            packet_ = fragment_ ? fragment_ + fragmentTaken_ * channels_ : silence_.data();
            packetFlags_ = fragment_ ? 0 : kAudioPacketSilent;
            ready_ = Ready::InFragment;
            break;
        }
        const size_t take = std::min<size_t>(left, periodFrames_ - gatheredFrames_);
        float* to = gathered_.data() + static_cast<size_t>(gatheredFrames_) * channels_;
        if (fragment_) {
            const float* from = fragment_ + fragmentTaken_ * channels_;
            std::copy(from, from + take * channels_, to);
            gatheredData_ = true;
        } else {
            std::fill(to, to + take * channels_, 0.0f);
        }
        gatheredFrames_ += static_cast<uint32_t>(take);
        fragmentTaken_ += take;
        if (fragmentTaken_ == fragmentFrames_ && !dropFragment()) return false;
        if (gatheredFrames_ == periodFrames_) {
            packet_ = gathered_.data();
            packetFlags_ = gatheredData_ ? 0 : kAudioPacketSilent;
            ready_ = Ready::Gathered;
        }
    }
    return true;
}

int CapturePeriods::padding(uint32_t& frames) {
    size_t queued = 0;
    if (!source_.refresh(queued)) return NOT_OKAY;
    const size_t queuedFrames = queued / (channels_ * sizeof(float));
    // The peeked fragment is still in the source's queue; its taken frames are held here.
    const size_t taken = peeked_ ? std::min(fragmentTaken_, queuedFrames) : 0;
    frames = static_cast<uint32_t>(queuedFrames - taken + gatheredFrames_);
    budget_ = callFrames_;
    return OKAY;
}

int CapturePeriods::nextPacketSize(uint32_t& frames) {
    frames = 0;
    if (callFrames_ != 0 && budget_ < periodFrames_) return OKAY;
    if (!assemble()) return NOT_OKAY;
    if (ready_ != Ready::None) frames = periodFrames_;
    return OKAY;
}

int CapturePeriods::fetchPacket(const float*& data, uint32_t& frames, uint32_t& flags) {
    uint32_t size = 0;
    if (nextPacketSize(size) != OKAY || size == 0) return NOT_OKAY;
    data = packet_;
    frames = periodFrames_;
    flags = packetFlags_;
    fetched_ = true;
    return OKAY;
}

int CapturePeriods::releasePacket(uint32_t frames) {
    if (!fetched_ || (frames != 0 && frames != periodFrames_)) return NOT_OKAY;
    fetched_ = false;
    if (frames == 0) return OKAY;
    if (callFrames_ != 0) budget_ -= periodFrames_;
    const Ready was = ready_;
    ready_ = Ready::None;
    packet_ = nullptr;
    if (was == Ready::Gathered) {
        gatheredFrames_ = 0;
        gatheredData_ = false;
        return OKAY;
    }
    fragmentTaken_ += periodFrames_;
    if (fragmentTaken_ == fragmentFrames_ && !dropFragment()) return NOT_OKAY;
    return OKAY;
}

int CapturePeriods::discard() {
    ready_ = Ready::None;
    packet_ = nullptr;
    fetched_ = false;
    gatheredFrames_ = 0;
    gatheredData_ = false;
    if (peeked_ && !dropFragment()) return NOT_OKAY;
    return OKAY;
}
