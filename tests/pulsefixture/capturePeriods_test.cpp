// Capture periods assembled from record fragments, over a scripted fragment
// source: fragments of many sizes and holes of odd sizes arrive a few at a time
// between the capture step's looks, at 44.1, 48 and 96 kHz; every packet must
// be one period, the packets must give back the input sample for sample, and
// only a period that is all hole may carry the silent flag.
#include <gtest/gtest.h>

#include <deque>
#include <limits>
#include <memory>
#include <vector>

#include "capturePeriods.h"

namespace {

// A record queue fed by the test. A dropped fragment's memory is overwritten
// with NaN and kept, so a packet still pointing into it shows as wrong samples.
class ScriptedFragments : public CaptureFragmentSource {
  public:
    explicit ScriptedFragments(uint16_t channels) : channels_(channels) {}

    // A fragment of `frames` frames: data, or a hole when `samples` is null.
    void arrive(uint32_t frames, const float* samples) {
        auto f = std::make_unique<Fragment>();
        f->bytes = static_cast<size_t>(frames) * channels_ * sizeof(float);
        if (samples) f->data.assign(samples, samples + static_cast<size_t>(frames) * channels_);
        queue_.push_back(std::move(f));
    }
    const float* front() const { return queue_.empty() ? nullptr : queue_.front()->data.data(); }
    void fail() { failing_ = true; }

    bool refresh(size_t& queuedBytes) override {
        queuedBytes = 0;
        for (const auto& f : queue_) queuedBytes += f->bytes;
        return !failing_;
    }
    bool peek(const void*& data, size_t& bytes) override {
        if (failing_) return false;
        data = nullptr;
        bytes = 0;
        if (queue_.empty()) return true;
        data = queue_.front()->data.empty() ? nullptr : queue_.front()->data.data();
        bytes = queue_.front()->bytes;
        return true;
    }
    bool drop() override {
        if (failing_ || queue_.empty()) return false;
        std::fill(queue_.front()->data.begin(), queue_.front()->data.end(),
                  std::numeric_limits<float>::quiet_NaN());
        dropped_.push_back(std::move(queue_.front()));
        queue_.pop_front();
        return true;
    }

  private:
    struct Fragment {
        std::vector<float> data;  // empty for a hole
        size_t bytes = 0;
    };
    uint16_t channels_;
    std::deque<std::unique_ptr<Fragment>> queue_;
    std::vector<std::unique_ptr<Fragment>> dropped_;
    bool failing_ = false;
};

struct Packet {
    std::vector<float> samples;
    uint32_t frames = 0;
    uint32_t flags = 0;
};

// One capture-step look: a padding probe, then packets until none is ready.
// Fails the test on any error; returns the frames handed out.
uint32_t look(AudioCaptureService& service, uint16_t channels, std::vector<Packet>& out) {
    uint32_t padding = 0, next = 0, taken = 0;
    EXPECT_EQ(service.padding(padding), OKAY);
    EXPECT_EQ(service.nextPacketSize(next), OKAY);
    while (next > 0) {
        const float* data = nullptr;
        Packet p;
        EXPECT_EQ(service.fetchPacket(data, p.frames, p.flags), OKAY);
        EXPECT_EQ(p.frames, next);
        p.samples.assign(data, data + static_cast<size_t>(p.frames) * channels);
        EXPECT_EQ(service.releasePacket(p.frames), OKAY);
        taken += p.frames;
        out.push_back(std::move(p));
        EXPECT_EQ(service.nextPacketSize(next), OKAY);
    }
    return taken;
}

// A piece of the input: `frames` frames of data, or of hole.
struct Piece {
    uint32_t frames;
    bool hole;
};

// Feeds `pieces` a few at a time (1 to 5 between looks), looking after each
// arrival, and checks the packets against the input.
void checkAssembly(uint32_t rate, uint16_t channels, const std::vector<Piece>& pieces) {
    const uint32_t period = audioCapturePeriodFrames(rate);
    const uint32_t callFrames = rate / 5;  // 200 ms
    ScriptedFragments source(channels);
    CapturePeriods periods(source, channels, period, callFrames);

    // The input as one stream: distinct nonzero samples, zeros in holes.
    std::vector<float> stream;
    std::vector<bool> hole;
    std::vector<Packet> out;
    uint32_t seed = 12345;
    size_t next = 0;
    while (next < pieces.size()) {
        seed = seed * 1103515245u + 12345u;
        for (uint32_t n = 1 + (seed >> 16) % 5; n > 0 && next < pieces.size(); --n, ++next) {
            const Piece& p = pieces[next];
            const size_t at = stream.size();
            for (size_t i = 0; i < static_cast<size_t>(p.frames) * channels; ++i)
                stream.push_back(p.hole ? 0.0f : static_cast<float>(at + i + 1));
            hole.insert(hole.end(), p.frames, p.hole);
            source.arrive(p.frames, p.hole ? nullptr : stream.data() + at);
        }
        EXPECT_LE(look(periods, channels, out), callFrames);
    }
    // Everything has arrived: a few more looks hand out every whole period.
    for (int i = 0; i < 200 && look(periods, channels, out) > 0; ++i) {
    }

    const size_t frames = hole.size();
    ASSERT_EQ(out.size(), frames / period);
    for (size_t k = 0; k < out.size(); ++k) {
        SCOPED_TRACE(k);
        ASSERT_EQ(out[k].frames, period);
        const size_t first = k * period;
        bool allHole = true;
        for (size_t i = first; i < first + period; ++i) allHole = allHole && hole[i];
        EXPECT_EQ(out[k].flags, allHole ? kAudioPacketSilent : 0u);
        const auto begin = stream.begin() + static_cast<std::ptrdiff_t>(first * channels);
        ASSERT_TRUE(std::equal(out[k].samples.begin(), out[k].samples.end(), begin));
    }
    // What is left is less than a period, and padding still counts it.
    uint32_t padding = 0;
    ASSERT_EQ(periods.padding(padding), OKAY);
    EXPECT_EQ(padding, frames % period);
}

}  // namespace

TEST(CapturePeriods, EveryPacketIsOnePeriodOfTheInputWhateverTheFragments) {
    const uint32_t sizes[] = {1, 7, 441, 479, 480, 481, 1000, 4800};
    const uint32_t holes[] = {3, 97, 481, 1001, 2887};
    struct Rate {
        uint32_t rate;
        uint16_t channels;
    };
    for (const Rate r : {Rate{44100, 2}, Rate{48000, 2}, Rate{96000, 6}}) {
        const uint32_t period = audioCapturePeriodFrames(r.rate);
        // Fragments of one size, at least 20 periods of them, a hole after every third.
        for (const uint32_t size : sizes) {
            SCOPED_TRACE(testing::Message() << r.rate << " Hz, fragments of " << size);
            std::vector<Piece> pieces;
            uint64_t total = 0;
            for (size_t i = 0; total < 20ull * period; ++i) {
                pieces.push_back({size, false});
                total += size;
                if (i % 3 == 2) pieces.push_back({holes[(i / 3) % std::size(holes)], true});
            }
            checkAssembly(r.rate, r.channels, pieces);
        }
        // All sizes mixed, holes between some of them, holes meeting holes.
        SCOPED_TRACE(testing::Message() << r.rate << " Hz, mixed");
        std::vector<Piece> mixed;
        for (int round = 0; round < 3; ++round)
            for (size_t i = 0; i < std::size(sizes); ++i) {
                mixed.push_back({sizes[(i * 3 + round) % std::size(sizes)], false});
                if ((i + round) % 2 == 0) mixed.push_back({holes[(i + round) % std::size(holes)], true});
                if (i == 5) mixed.push_back({period * 2 + 1, true});
                if (i == 6)  // a long hole in small pieces: periods gathered from holes alone
                    for (int h = 0; h < 25; ++h) mixed.push_back({97, true});
            }
        checkAssembly(r.rate, r.channels, mixed);
    }
}

TEST(CapturePeriods, APeriodInsideOneFragmentIsHandedOutWhereItLies) {
    const uint16_t channels = 2;
    const uint32_t period = audioCapturePeriodFrames(48000);
    ScriptedFragments source(channels);
    CapturePeriods periods(source, channels, period, 0);
    std::vector<float> samples(static_cast<size_t>(period) * 3 * channels, 0.25f);
    source.arrive(period * 3, samples.data());
    const float* fragment = source.front();
    source.arrive(period / 2, samples.data());

    uint32_t padding = 0, next = 0, frames = 0, flags = 0;
    const float* data = nullptr;
    ASSERT_EQ(periods.padding(padding), OKAY);
    EXPECT_EQ(padding, period * 7 / 2);
    for (uint32_t k = 0; k < 3; ++k) {
        ASSERT_EQ(periods.nextPacketSize(next), OKAY);
        ASSERT_EQ(next, period);
        ASSERT_EQ(periods.fetchPacket(data, frames, flags), OKAY);
        EXPECT_EQ(data, fragment + static_cast<size_t>(k) * period * channels);
        ASSERT_EQ(periods.releasePacket(frames), OKAY);
    }
    // Half a period is left: nothing to hand out until the rest arrives.
    ASSERT_EQ(periods.nextPacketSize(next), OKAY);
    EXPECT_EQ(next, 0u);
    EXPECT_NE(periods.fetchPacket(data, frames, flags), OKAY);
}

TEST(CapturePeriods, BoundsACallAndKeepsAPacketReleasedWithZero) {
    const uint16_t channels = 2;
    const uint32_t period = audioCapturePeriodFrames(44100);
    ScriptedFragments source(channels);
    CapturePeriods periods(source, channels, period, 2 * period);
    std::vector<float> samples(static_cast<size_t>(period) * 5 * channels, 0.5f);
    source.arrive(period * 5, samples.data());

    std::vector<Packet> out;
    EXPECT_EQ(look(periods, channels, out), 2 * period);  // the call's bound
    const float* data = nullptr;
    uint32_t next = 0, frames = 0, flags = 0, padding = 0;
    ASSERT_EQ(periods.padding(padding), OKAY);
    EXPECT_EQ(padding, 3 * period);
    ASSERT_EQ(periods.fetchPacket(data, frames, flags), OKAY);
    EXPECT_NE(periods.releasePacket(frames - 1), OKAY);  // only a whole period or nothing
    ASSERT_EQ(periods.fetchPacket(data, frames, flags), OKAY);
    ASSERT_EQ(periods.releasePacket(0), OKAY);  // not taken: handed out again
    const float* again = nullptr;
    ASSERT_EQ(periods.fetchPacket(again, frames, flags), OKAY);
    EXPECT_EQ(again, data);
    ASSERT_EQ(periods.releasePacket(frames), OKAY);
    EXPECT_NE(periods.releasePacket(frames), OKAY);  // nothing fetched

    // A flush forgets what is held; a lost stream fails every operation.
    ASSERT_EQ(periods.discard(), OKAY);
    ASSERT_EQ(periods.nextPacketSize(next), OKAY);
    EXPECT_EQ(next, 0u);
    source.arrive(period, samples.data());
    source.fail();
    EXPECT_NE(periods.padding(padding), OKAY);
    EXPECT_NE(periods.nextPacketSize(next), OKAY);
}
