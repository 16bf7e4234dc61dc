// Capture packets of exactly one device period, assembled from a sound server's
// record fragments.
//
// The capture step counts silence in packets and means a packet to be one
// 10 ms period, but a sound server hands out its record queue in fragments
// whose sizes follow its scheduling (from 1 frame to several periods, holes
// included). CapturePeriods is the capture service between the two: it joins
// and splits the fragments of a CaptureFragmentSource into whole periods and
// reports a packet only when a whole period is buffered.
//
// - A period that lies inside one fragment is handed out where it lies, with
//   no copy. A period that straddles fragments is gathered in one period-sized
//   buffer; each frame is copied at most once, and nothing is allocated after
//   construction.
// - A period that is all hole is a packet with the silent flag (its data reads
//   as zeros). A period that is partly hole and partly data is an ordinary
//   packet with zeros where the hole was.
// - Between two padding probes at most `callFrames` frames are handed out (0:
//   no bound), in whole periods.
//
// It knows nothing of libpulse: the sound-server layer feeds it the stream's
// queue, tests and benchmarks a script. Not thread-safe; the owner serialises
// the calls (the sound-server layer holds its loop lock).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audioPlatform.h"

// A record queue seen one fragment at a time, in the manner of pa_stream_peek
// and pa_stream_drop. Every call returns false when the stream is gone.
class CaptureFragmentSource {
  public:
    virtual ~CaptureFragmentSource() = default;
    // Takes in what has arrived and gives the bytes queued (holes and the
    // fragment being peeked included).
    virtual bool refresh(size_t& queuedBytes) = 0;
    // The oldest fragment: its size in bytes (0: nothing queued) and its data,
    // null for a hole. The data stays valid until drop.
    virtual bool peek(const void*& data, size_t& bytes) = 0;
    // Removes the fragment peek showed.
    virtual bool drop() = 0;
};

class CapturePeriods final : public AudioCaptureService {
  public:
    // Periods of `periodFrames` frames of `channels` 32-bit float samples.
    // Fragments are whole frames; a stray partial frame at a fragment's end is
    // not handed out.
    CapturePeriods(CaptureFragmentSource& source, uint16_t channels, uint32_t periodFrames,
                   uint32_t callFrames);

    // Refreshes the source and starts a new call's bound; frames = everything
    // queued or held and not yet handed out.
    int padding(uint32_t& frames) override;
    // One period when a whole period is buffered (and the call's bound allows
    // it), else 0.
    int nextPacketSize(uint32_t& frames) override;
    // The buffered period (NOT_OKAY when there is none); valid until released.
    int fetchPacket(const float*& data, uint32_t& frames, uint32_t& flags) override;
    // One period (the packet is consumed) or 0 (it stays to be fetched again).
    int releasePacket(uint32_t frames) override;

    // Forgets what is held and drops the fragment being peeked, before the
    // owner flushes the source.
    int discard();

  private:
    // Moves fragments into place until a whole period is ready or the source
    // has nothing more; false when the source failed.
    bool assemble();
    bool dropFragment();

    CaptureFragmentSource& source_;
    const size_t channels_;
    const uint32_t periodFrames_;
    const uint32_t callFrames_;
    uint32_t budget_;  // frames this call may still hand out

    // The fragment being peeked: its frames, and how many of them are taken.
    bool peeked_ = false;
    const float* fragment_ = nullptr;  // null for a hole
    size_t fragmentFrames_ = 0;
    size_t fragmentTaken_ = 0;

    // A period that straddles fragments, gathered here.
    std::vector<float> gathered_;
    uint32_t gatheredFrames_ = 0;
    bool gatheredData_ = false;   // some of it is data rather than hole
    std::vector<float> silence_;  // what a period of hole inside one fragment reads as

    // The period ready to be handed out.
    enum class Ready { None, InFragment, Gathered };
    Ready ready_ = Ready::None;
    const float* packet_ = nullptr;
    uint32_t packetFlags_ = 0;
    bool fetched_ = false;
};
