// Track cuts do not depend on the machine's load. The real engine records a
// program from a private sound server while other processes keep every core
// busy: a song whose sound stops for 60 ms of digital silence (six periods,
// not a cut) and then fades out to -100 dB, a pause, and a second song that
// stops dead. The program is played five times; each time
// - every packet the capture step was handed is one 10 ms period, unflagged;
// - those packets, end to end, are the program sample for sample;
// - the tracks in the cache folder are, byte for byte, the ones the capture
//   step makes of the same audio split offline into 10 ms periods and handed
//   out as the record thread's looks took them;
// - and the cuts are those of one period per look: one track per song.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <mutex>
#include <set>

#include "engineTestSupport.h"
#include "pulseDevices.h"
#include "pulseFixture.h"
#include "scriptedCapture.h"
#include "sndDevicesDoRecording.h"
#include "testsupport.h"

using namespace enginetest;
using namespace pulsefixture;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kRate = 48000;
constexpr uint16_t kChannels = 2;
constexpr uint32_t kPeriod = audioCapturePeriodFrames(kRate);
constexpr int kRepeats = 5;
constexpr size_t kSongs = 2;

// Processes that keep every core busy for as long as the object lives.
class BusyCores {
  public:
    BusyCores() {
        const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < cores; ++i)
            pids_.push_back(spawnProgram({"sh", "-c", "while :; do :; done"}));
    }
    ~BusyCores() {
        for (const pid_t pid : pids_) {
            ::kill(pid, SIGKILL);
            waitProgram(pid);
        }
    }
    bool started() const {
        return std::all_of(pids_.begin(), pids_.end(), [](pid_t p) { return p > 0; });
    }

  private:
    std::vector<pid_t> pids_;
};

// The program, interleaved stereo. Its first sample is not zero, so the
// captured stream shows where it starts.
std::vector<float> program() {
    std::vector<float> out;
    double t = 0.0;
    auto sound = [&](double seconds, double hz, auto gainAt) {
        const auto frames = static_cast<size_t>(seconds * kRate);
        for (size_t i = 0; i < frames; ++i, t += 1.0 / kRate) {
            const double g = gainAt(static_cast<double>(i) / static_cast<double>(frames));
            out.push_back(static_cast<float>(
                g * (0.3 * std::cos(2 * M_PI * hz * t) + 0.15 * std::cos(2 * M_PI * 1.5 * hz * t + 1.0))));
            out.push_back(static_cast<float>(g * 0.4 * std::cos(2 * M_PI * hz / 2 * t + 0.5)));
        }
    };
    auto silence = [&](double seconds) {
        out.insert(out.end(), static_cast<size_t>(seconds * kRate) * 2, 0.0f);
    };
    auto full = [](double) { return 1.0; };
    sound(1.2, 330, full);
    silence(0.060);  // the dropout
    sound(0.9, 330, full);
    sound(1.0, 330, [](double x) { return std::pow(10.0, -5.0 * x); });  // to -100 dB
    silence(0.5);
    sound(2.2, 392, full);
    silence(0.5);
    return out;
}

// What the engine's capture step was handed: for every look (padding probe)
// the index of its first packet, and every packet's size, flags and samples.
class CaptureLog {
  public:
    struct Window {
        std::vector<uint32_t> packetsPerLook;
        std::vector<uint32_t> frames, flags;
        std::vector<float> samples;
    };

    void look() {
        std::lock_guard lock(mutex_);
        lookFirstPacket_.push_back(frames_.size());
    }
    void packet(const float* data, uint32_t frames, uint32_t flags) {
        std::lock_guard lock(mutex_);
        sampleStart_.push_back(samples_.size());
        frames_.push_back(frames);
        flags_.push_back(flags);
        samples_.insert(samples_.end(), data, data + static_cast<size_t>(frames) * kChannels);
    }
    size_t looks() const {
        std::lock_guard lock(mutex_);
        return lookFirstPacket_.size();
    }
    // The looks [from, to) and their packets.
    Window window(size_t from, size_t to) const {
        std::lock_guard lock(mutex_);
        Window w;
        const size_t first = lookFirstPacket_[from];
        const size_t end = to < lookFirstPacket_.size() ? lookFirstPacket_[to] : frames_.size();
        for (size_t i = from; i < to; ++i) {
            const size_t next = i + 1 < lookFirstPacket_.size() ? lookFirstPacket_[i + 1] : frames_.size();
            w.packetsPerLook.push_back(static_cast<uint32_t>(next - lookFirstPacket_[i]));
        }
        w.frames.assign(frames_.begin() + first, frames_.begin() + end);
        w.flags.assign(flags_.begin() + first, flags_.begin() + end);
        const size_t samplesEnd = end < sampleStart_.size() ? sampleStart_[end] : samples_.size();
        w.samples.assign(samples_.begin() + sampleStart_[first], samples_.begin() + samplesEnd);
        return w;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<size_t> lookFirstPacket_;
    std::vector<uint32_t> frames_, flags_;
    std::vector<size_t> sampleStart_;
    std::vector<float> samples_;
};

// A stream of the sound server whose capture service writes into a CaptureLog.
class LoggedStream final : public AudioStream, public AudioCaptureService {
  public:
    LoggedStream(std::unique_ptr<AudioStream> inner, CaptureLog& log) : inner_(std::move(inner)), log_(log) {}
    int mixFormat(AudioFormat& format) override { return inner_->mixFormat(format); }
    int initialize(AudioDirection d, int64_t duration) override { return inner_->initialize(d, duration); }
    int bufferFrames(uint32_t& frames) override { return inner_->bufferFrames(frames); }
    int start() override { return inner_->start(); }
    int stop() override { return inner_->stop(); }
    int reset() override { return inner_->reset(); }
    AudioCaptureService* captureService() override { return inner_->captureService() ? this : nullptr; }
    AudioRenderService* renderService() override { return inner_->renderService(); }

    int padding(uint32_t& frames) override {
        log_.look();
        return inner_->captureService()->padding(frames);
    }
    int nextPacketSize(uint32_t& frames) override { return inner_->captureService()->nextPacketSize(frames); }
    int fetchPacket(const float*& data, uint32_t& frames, uint32_t& flags) override {
        const int rc = inner_->captureService()->fetchPacket(data, frames, flags);
        if (rc == OKAY) log_.packet(data, frames, flags);
        return rc;
    }
    int releasePacket(uint32_t frames) override { return inner_->captureService()->releasePacket(frames); }

  private:
    std::unique_ptr<AudioStream> inner_;
    CaptureLog& log_;
};

class LoggedDevices final : public AudioDevices {
  public:
    explicit LoggedDevices(CaptureLog& log) : inner_(pulseDevicesCreate("tobrel-test")), log_(log) {}
    int renderEndpoints(std::vector<AudioEndpoint>& endpoints) override {
        return inner_->renderEndpoints(endpoints);
    }
    int defaultRenderEndpoint(std::string& id, bool& found) override {
        return inner_->defaultRenderEndpoint(id, found);
    }
    int activate(const std::string& id, std::unique_ptr<AudioStream>& stream) override {
        std::unique_ptr<AudioStream> inner;
        const int rc = inner_->activate(id, inner);
        if (rc == OKAY && inner) stream = std::make_unique<LoggedStream>(std::move(inner), log_);
        return rc;
    }

  private:
    std::unique_ptr<AudioDevices> inner_;
    CaptureLog& log_;
};

struct Track {
    long lengthMs = 0;
    std::vector<unsigned char> bytes;  // the whole cache file
};

// "start_length_number" of a cache file name.
long lengthOf(const std::string& name) {
    long start = 0, length = 0, number = 0;
    return std::sscanf(name.c_str(), "%ld_%ld_%ld", &start, &length, &number) == 3 ? length : -1;
}

// Finished tracks of the engine's cache folder that are not in `seen`, oldest
// first (two tracks are seconds apart); adds them to `seen`.
std::vector<Track> newTracks(const std::string& folder, std::set<std::string>& seen) {
    std::vector<std::pair<std::string, Track>> found;
    for (const auto& f : fs::directory_iterator(folder)) {
        const std::string name = f.path().filename().string();
        if (f.path().extension() != ".wav" || lengthOf(name) < 0 || !seen.insert(name).second) continue;
        found.push_back({name, Track{lengthOf(name), testsupport::readBytes(f.path().string())}});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Track> out;
    for (auto& [name, track] : found) out.push_back(std::move(track));
    return out;
}

// The capture step run offline, one call per poll, the way the record thread
// runs it, into a cache folder of its own; the tracks kept, in order.
std::vector<Track> captureStepOffline(const std::vector<ScriptedPoll>& polls) {
    testsupport::TempDir folder;
    std::vector<Track> tracks;
    {
        sndDevicesContext context;
        auto stream = std::make_unique<ScriptedCapture>(audioFloatFormat(kChannels, kRate), polls);
        EXPECT_EQ(stream->initialize(AudioDirection::Capture, 2000000), OKAY);
        context.streams.captureClient = stream->captureService();
        context.streams.captureAudioClient = std::move(stream);
        context.streams.captureFormat = audioFloatFormat(kChannels, kRate);
        EXPECT_EQ(sndDevicesDeriveFormats(context), OKAY);
        sndDevicesSettingsChange(context, [&](sndDevicesSettings& s) { s.cacheFolder = folder.str(); });
        context.record.recordArmed = 1;
        std::string last;
        for (size_t i = 0; i < polls.size(); ++i) {
            int code = -1;
            EXPECT_EQ(sndDevicesDoRecording(context, code), OKAY);
            EXPECT_EQ(code, 0);
            const std::string name = lastName(context);
            if (name != last) {
                last = name;
                tracks.push_back(Track{lengthOf(name), testsupport::readBytes(folder.file(name + ".wav"))});
            }
        }
    }
    return tracks;
}

// `count` periods of `stream` from period `first` on, as packets.
ScriptedPoll periodsOf(const std::vector<float>& stream, size_t first, size_t count) {
    ScriptedPoll poll;
    for (size_t p = first; p < first + count; ++p) {
        ScriptedPacket packet;
        const auto begin = stream.begin() + static_cast<std::ptrdiff_t>(p * kPeriod * kChannels);
        packet.samples.assign(begin, begin + kPeriod * kChannels);
        poll.push_back(std::move(packet));
    }
    return poll;
}

}  // namespace

TEST(EngineUnderLoad, CutsTheSameTracksAsTheOfflineSplitEveryTime) {
    PulseServer server({kRate, kChannels, true});
    ASSERT_TRUE(server.started());
    testsupport::TempDir cache, scratch;
    const std::vector<float> songs = program();
    const std::string wav = scratch.file("program.wav");
    ASSERT_TRUE(writeFloatWav(wav, kRate, kChannels, songs));
    const size_t songFrames = songs.size() / kChannels;

    CaptureLog log;
    LoggedDevices devices(log);
    Engine engine(devices);
    sndDevicesContext& context = engine.context;
    int result = -1;
    ASSERT_EQ(sndDevicesInit(context, nullptr, kSndEngineModeLoopback, 0), OKAY);
    ASSERT_EQ(sndDevicesSetCacheFolder(context, cache.str()), OKAY);
    ASSERT_EQ(sndDevicesSetScrambleKey(context, 0), OKAY);
    ASSERT_EQ(sndDevicesSetRecordState(context, kSndRecordArm, result), OKAY);
    ASSERT_EQ(result, 0);
    ASSERT_EQ(context.streams.captureFormat, audioFloatFormat(kChannels, kRate));

    BusyCores busy;
    ASSERT_TRUE(busy.started());
    std::set<std::string> seen;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        SCOPED_TRACE(testing::Message() << "repeat " << repeat);
        const size_t firstLook = log.looks();
        ASSERT_EQ(play(wav), 0);
        std::vector<Track> recorded;
        ASSERT_TRUE(waitUntil(
            [&] {
                for (Track& t : newTracks(cache.str(), seen)) recorded.push_back(std::move(t));
                return recorded.size() >= kSongs && context.record.recording.load() == 0;
            },
            20000))
            << recorded.size() << " tracks";
        const CaptureLog::Window w = log.window(firstLook, log.looks());

        // Every packet one period, none flagged.
        ASSERT_EQ(std::count(w.frames.begin(), w.frames.end(), kPeriod), static_cast<long>(w.frames.size()));
        ASSERT_EQ(std::count(w.flags.begin(), w.flags.end(), 0u), static_cast<long>(w.flags.size()));

        // The packets end to end: silence, the program from its first sample, silence.
        const auto start =
            std::find_if(w.samples.begin(), w.samples.end(), [](float v) { return v != 0.0f; });
        ASSERT_NE(start, w.samples.end());
        const size_t offset = static_cast<size_t>(start - w.samples.begin()) / kChannels;
        std::vector<float> offline(w.samples.size(), 0.0f);
        const size_t shown = std::min(songFrames, offline.size() / kChannels - offset);
        std::copy(songs.begin(), songs.begin() + static_cast<std::ptrdiff_t>(shown * kChannels),
                  offline.begin() + static_cast<std::ptrdiff_t>(offset * kChannels));
        ASSERT_TRUE(offline == w.samples) << "the captured packets differ from the program played";

        // The offline split through the capture step: first as the record
        // thread's looks took the periods, then one period per look. Both
        // start from a second of silence, as the engine had.
        std::vector<ScriptedPoll> asLooked(100, periodsOf(std::vector<float>(kPeriod * kChannels), 0, 1));
        std::vector<ScriptedPoll> onePerLook = asLooked;
        size_t period = 0;
        for (const uint32_t n : w.packetsPerLook) {
            asLooked.push_back(periodsOf(offline, period, n));
            period += n;
        }
        for (size_t p = 0; p < period; ++p) onePerLook.push_back(periodsOf(offline, p, 1));
        const std::vector<Track> expected = captureStepOffline(asLooked);
        const std::vector<Track> onePeriodEach = captureStepOffline(onePerLook);

        ASSERT_EQ(recorded.size(), kSongs);
        ASSERT_EQ(expected.size(), kSongs);
        EXPECT_EQ(onePeriodEach.size(), kSongs);
        for (size_t i = 0; i < kSongs; ++i) {
            SCOPED_TRACE(testing::Message() << "track " << i);
            EXPECT_EQ(recorded[i].lengthMs, expected[i].lengthMs);
            EXPECT_TRUE(recorded[i].bytes == expected[i].bytes);
        }
    }
}
