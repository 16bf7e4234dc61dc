// The capture step over a scripted capture stream: silence counting, the
// float-to-16-bit conversion, decimation and channel selection, the start,
// write and end of recordings, finishing (length rule, final name), the
// result codes, and what becomes of a recording whose cache file fails.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "CsndDevicesWaveFile.h"
#include "scriptedCapture.h"
#include "sndDevicesContext.h"
#include "sndDevicesDoRecording.h"
#include "sndDevicesEngine.h"
#include "sndDevicesScramble.h"
#include "testsupport.h"

namespace fs = std::filesystem;
using testsupport::readBytes;
using testsupport::TempDir;

namespace {

constexpr float kLoud = 0.25f;
// The nearest float to the quiet threshold 0.00061035 lies just below it.
const float kQuietEdge = 0.00061035f;

// An engine record set up by hand the way re-initialisation leaves it, with a
// scripted capture stream, armed, writing into a scratch cache folder.
struct Rig {
    TempDir dir;
    sndDevicesContext context;
    ScriptedCapture* capture = nullptr;
    uint16_t channels;
    uint32_t rate;
    sndDevicesCaptureOutput output;

    explicit Rig(uint16_t channels_ = 2, uint32_t rate_ = 48000, uint16_t key = 0)
        : channels(channels_), rate(rate_) {
        auto stream = std::make_unique<ScriptedCapture>(audioFloatFormat(channels, rate));
        EXPECT_EQ(OKAY, stream->initialize(AudioDirection::Capture, 2000000));
        capture = stream.get();
        context.streams.captureClient = stream->captureService();
        context.streams.captureAudioClient = std::move(stream);
        context.streams.captureFormat = audioFloatFormat(channels, rate);
        EXPECT_EQ(OKAY, sndDevicesDeriveFormats(context));
        sndDevicesSettingsChange(context, [&](sndDevicesSettings& s) {
            s.cacheFolder = dir.str();
            s.scrambleKey = key;
        });
        context.record.recordArmed = 1;
    }

    // One call of the step with these packets ready; returns the code.
    int step(ScriptedPoll poll = {}) {
        capture->append(std::move(poll));
        EXPECT_EQ(OKAY, sndDevicesDoRecording(context, output));
        return output.code;
    }
    ScriptedPacket packet(uint32_t frames, float value, uint32_t flags = 0) const {
        return ScriptedPacket::constant(channels, frames, value, flags);
    }
    // One 10 ms packet of the capture rate.
    ScriptedPoll loud() const { return {packet(rate / 100, kLoud)}; }
    ScriptedPoll zero() const { return {packet(rate / 100, 0.0f)}; }
    std::string temp() const {
        return dir.file(sndDevicesSettingsNow(context)->scrambleKey ? "sdrtfn.tmp" : "sdrtfn.wav");
    }
    std::string lastName() const {
        auto name = context.record.lastRecording.load();
        return name ? name->fileName : std::string();
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

}  // namespace

TEST(CaptureStep, EmptyCallsEndARecordingAtTheHundredAndFirst) {
    Rig rig;
    rig.step(rig.loud());
    ASSERT_EQ(1, rig.context.record.recording.load());
    for (int i = 1; i <= 100; ++i) rig.step();
    EXPECT_EQ(100, rig.context.capture.silence.emptyPolls);
    EXPECT_EQ(0, rig.context.capture.silence.silenceSteps);
    EXPECT_EQ(1, rig.context.record.recording.load());
    rig.step();
    EXPECT_EQ(101, rig.context.capture.silence.emptyPolls);
    EXPECT_EQ(1, rig.context.capture.silence.silenceSteps);
    EXPECT_EQ(0, rig.context.record.recording.load());
    EXPECT_EQ(0, rig.context.record.recordIndicator.load());
    EXPECT_EQ(std::vector<std::string>{}, rig.files());  // 10 ms: discarded
}

TEST(CaptureStep, SilenceCountsFromTheNinthPacket) {
    // Packets in one call, then one more packet in the next call: silenceSteps after each.
    struct Case {
        const char* what;
        float value;
        uint32_t flags;
        int packets;
        int first;
        int second;
    };
    const Case cases[] = {
        {"8 flagged", kLoud, kAudioPacketSilent, 8, 0, 1},
        {"9 flagged", kLoud, kAudioPacketSilent, 9, 1, 2},
        {"8 all-zero", 0.0f, 0, 8, 0, 1},
        {"9 all-zero", 0.0f, 0, 9, 1, 2},
        {"8 quiet", -kQuietEdge, 0, 8, 0, 1},
        {"9 quiet", -kQuietEdge, 0, 9, 1, 2},
        {"9 just above quiet", std::nextafter(kQuietEdge, 1.0f), 0, 9, 0, 0},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.context.record.recordArmed = 0;
        rig.step(ScriptedPoll(c.packets, rig.packet(480, c.value, c.flags)));
        EXPECT_EQ(c.first, rig.context.capture.silence.silenceSteps) << c.what;
        rig.step(ScriptedPoll(1, rig.packet(480, c.value, c.flags)));  // runs carry across calls
        EXPECT_EQ(c.second, rig.context.capture.silence.silenceSteps) << c.what;
    }
}

TEST(CaptureStep, QuietThresholdLiesAtTheNearestFloat) {
    ASSERT_LT(static_cast<double>(kQuietEdge), 0.00061035);
    struct Case {
        float value;
        int quietRun;
        int recording;
    };
    const Case cases[] = {
        {kQuietEdge, 1, 0},
        {-kQuietEdge, 1, 0},
        {std::nextafter(kQuietEdge, 1.0f), 0, 1},
        {-std::nextafter(kQuietEdge, 1.0f), 0, 1},
    };
    for (const Case& c : cases) {
        Rig rig;
        auto p = rig.packet(480, 0.0f);
        p.samples[613] = c.value;  // one sample, of the second channel
        rig.step({p});
        EXPECT_EQ(c.quietRun, rig.context.capture.silence.quietRun) << c.value;
        EXPECT_EQ(0, rig.context.capture.silence.zeroRun) << c.value;
        EXPECT_EQ(c.recording, rig.context.record.recording.load()) << c.value;
    }
}

TEST(CaptureStep, PacketKindsDriveTheRuns) {
    Rig rig;
    rig.context.record.recordArmed = 0;
    rig.step({rig.packet(480, 0.0f)});
    EXPECT_EQ(1, rig.context.capture.silence.quietRun);  // all-zero is quiet too
    EXPECT_EQ(1, rig.context.capture.silence.zeroRun);
    rig.step({rig.packet(480, kQuietEdge)});
    EXPECT_EQ(2, rig.context.capture.silence.quietRun);
    EXPECT_EQ(0, rig.context.capture.silence.zeroRun);
    rig.step({rig.packet(480, 0.0f), rig.packet(480, 0.0f, kAudioPacketSilent)});
    EXPECT_EQ(0, rig.context.capture.silence.quietRun);
    EXPECT_EQ(0, rig.context.capture.silence.zeroRun);
    EXPECT_EQ(1, rig.context.capture.silence.silentFlagRun);
    rig.step({rig.packet(480, 0.0f)});
    EXPECT_EQ(0, rig.context.capture.silence.silentFlagRun);
}

TEST(CaptureStep, FlaggedPacketClearsTheCallsQuietAndZeroFlags) {
    // While recording, a call of only all-zero packets is not written; the
    // same call with a flagged packet in it is (as zeros).
    Rig rig;
    rig.step(rig.loud());
    const float before = rig.context.record.recordDurationMs.load();
    rig.step({rig.packet(480, 0.0f), rig.packet(480, 0.0f)});
    EXPECT_EQ(before, rig.context.record.recordDurationMs.load());
    rig.step({rig.packet(480, 0.0f), rig.packet(480, kLoud, kAudioPacketSilent)});
    EXPECT_EQ(before + 20.0f, rig.context.record.recordDurationMs.load());
    EXPECT_EQ(0, rig.output.pcm[480 * 2 + 7]);               // the flagged packet's data is not read
    rig.step({rig.packet(480, kLoud, kAudioPacketSilent)});  // all flagged: not written
    EXPECT_EQ(before + 20.0f, rig.context.record.recordDurationMs.load());
}

TEST(CaptureStep, ConvertsWithClampsAndTruncation) {
    struct Case {
        float in;
        int16_t out;
    };
    const Case cases[] = {{1.0f, 32767}, {-1.0f, -32768}, {1.5f, 32767},     {-2.0f, -32768},
                          {0.5f, 16384}, {-0.5f, -16384}, {0.99999f, 32767}, {-0.99999f, -32767},
                          {0.0001f, 3},  {-0.0001f, -3},  {kQuietEdge, 19}};
    Rig rig;
    ScriptedPacket p = rig.packet(std::size(cases), 0.0f);
    for (size_t i = 0; i < std::size(cases); ++i) {
        p.samples[2 * i] = cases[i].in;
        p.samples[2 * i + 1] = -cases[i].in;
    }
    p.samples[1] = 0.3f;  // keep the packet loud
    rig.step({p});
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].out, rig.output.pcm[2 * i]) << cases[i].in;
        if (i > 0) {
            EXPECT_EQ(sndDevicesFloatToPcm16(-cases[i].in), rig.output.pcm[2 * i + 1]);
        }
    }
    EXPECT_EQ(0, sndDevicesFloatToPcm16(std::nanf("")));
}

TEST(CaptureStep, DecimatesAt96kHzKeepingEveryOtherFrame) {
    // Sample value = frame number of the call, so the output shows which frames it took.
    for (std::vector<uint32_t> sizes :
         {std::vector<uint32_t>{960}, std::vector<uint32_t>{441, 519}, std::vector<uint32_t>{1, 300, 659}}) {
        Rig rig(2, 96000);
        ASSERT_EQ(2u, rig.context.streams.decimation);
        ScriptedPoll poll;
        uint32_t frame = 0;
        for (uint32_t n : sizes) {
            ScriptedPacket p = rig.packet(n, 0.0f);
            for (uint32_t j = 0; j < n; ++j, ++frame) {
                p.samples[2 * j] = static_cast<float>(frame) / 32768.0f;
                p.samples[2 * j + 1] = -static_cast<float>(frame) / 32768.0f;
            }
            poll.push_back(p);
        }
        rig.step(poll);
        ASSERT_EQ(960u, rig.context.capture.callFrames);
        ASSERT_EQ(480u, rig.output.frames);
        for (uint32_t o = 0; o < 480; ++o) {
            ASSERT_EQ(static_cast<int16_t>(2 * o), rig.output.pcm[2 * o]) << "frame " << o;
            ASSERT_EQ(-static_cast<int16_t>(2 * o), rig.output.pcm[2 * o + 1]) << "frame " << o;
        }
    }
}

TEST(CaptureStep, SixChannelsOnlyTheFirstTwoReachTheFileButAllAreExamined) {
    Rig rig(6, 48000);
    ScriptedPacket p = rig.packet(480, 0.0f);
    for (uint32_t j = 0; j < 480; ++j) p.samples[6 * j + 5] = kLoud;  // sound on the sixth channel only
    rig.step({p});
    ASSERT_EQ(1, rig.context.record.recording.load());
    EXPECT_EQ(0, rig.context.capture.silence.quietRun);
    ScriptedPacket q = rig.packet(480, 0.0f);
    for (uint32_t j = 0; j < 480; ++j) {
        q.samples[6 * j] = 0.5f;
        q.samples[6 * j + 1] = -0.5f;
        for (int ch = 2; ch < 6; ++ch) q.samples[6 * j + ch] = 0.9f;
    }
    rig.step({q});
    ASSERT_EQ(kWaveSOk, rig.context.capture.recordFile->close());  // to look at it
    // The two calls' audio, plain: zeros, then 16384/-16384 pairs.
    const auto bytes = readBytes(rig.temp());
    ASSERT_EQ(56u + 960u * 4u, bytes.size());
    std::vector<int16_t> s((bytes.size() - 56) / 2);
    std::memcpy(s.data(), bytes.data() + 56, s.size() * 2);
    for (size_t i = 0; i < 960; ++i) EXPECT_EQ(0, s[i]);
    for (size_t i = 960; i < s.size(); i += 2) {
        EXPECT_EQ(16384, s[i]);
        EXPECT_EQ(-16384, s[i + 1]);
    }
}

TEST(CaptureStep, FirstLoudCallCreatesTheScrambledTempFileWithItsAudio) {
    Rig rig(2, 48000, kSndScrambleKey);
    const auto before = static_cast<uint32_t>(std::time(nullptr));
    rig.step({rig.packet(480, 0.5f)});
    EXPECT_EQ(1, rig.context.record.recording.load());
    EXPECT_EQ(1, rig.context.record.recordIndicator.load());
    EXPECT_EQ(rig.temp(), rig.context.capture.tempPath);
    EXPECT_GE(rig.context.record.recordStartTime.load(), before);
    EXPECT_LE(rig.context.record.recordStartTime.load(), before + 2);
    ASSERT_EQ(kWaveSOk, rig.context.capture.recordFile->close());  // to look at it
    const auto bytes = readBytes(rig.temp());
    ASSERT_EQ(56u + 480u * 4u, bytes.size());
    for (size_t i = 56; i < bytes.size(); i += 2) {
        const uint16_t s = static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8));
        ASSERT_EQ(16384, static_cast<int16_t>(sndDevicesUnscramble(s, kSndScrambleKey)));
    }
}

TEST(CaptureStep, DurationOf441CallsOf441FramesAt44100) {
    Rig rig(2, 44100);
    for (int i = 0; i < 441; ++i) rig.step({rig.packet(441, kLoud)});
    EXPECT_EQ(4410.0f, rig.context.record.recordDurationMs.load());
    EXPECT_EQ(1, rig.context.record.recording.load());
}

TEST(CaptureStep, FinishKeepsTwoSecondsAndDiscardsLess) {
    struct Case {
        uint32_t frames;
        bool kept;
        int indicatorBeforeEnd;
    };
    // 48000 Hz: 96000 frames = 2000 ms; 95952 = 1999 ms; 96048 = 2001 ms lights the indicator.
    const Case cases[] = {{95952, false, 1}, {96000, true, 1}, {96048, true, 1}};
    for (const Case& c : cases) {
        Rig rig(2, 48000, kSndScrambleKey);
        for (uint32_t left = c.frames; left > 0;) {
            const uint32_t n = left < 480 ? left : 480;
            rig.step({rig.packet(n, kLoud)});
            left -= n;
        }
        EXPECT_EQ(static_cast<float>(c.frames) / 48.0f, rig.context.record.recordDurationMs.load());
        EXPECT_EQ(c.indicatorBeforeEnd, rig.context.record.recordIndicator.load());
        const uint32_t start = rig.context.record.recordStartTime.load();
        rig.context.record.recordArmed = 0;  // disarming finishes at the next call, sound or not
        rig.step(rig.loud());
        EXPECT_EQ(0, rig.context.record.recording.load());
        EXPECT_EQ(0, rig.context.record.recordIndicator.load());
        if (!c.kept) {
            EXPECT_EQ(std::vector<std::string>{}, rig.files());
            EXPECT_EQ("", rig.lastName());
            continue;
        }
        const std::string name =
            std::to_string(start) + "_" + std::to_string(c.frames / 48) + "_1111317901.tmp";
        EXPECT_EQ(name, rig.lastName());
        EXPECT_EQ(std::vector<std::string>{name}, rig.files());
        EXPECT_EQ(56u + c.frames * 4u, fs::file_size(rig.dir.file(name)));
        CsndDevicesWaveFile reader;
        ASSERT_EQ(kWaveSOk, reader.open(rig.dir.file(name), nullptr, kWaveModeRead));
        EXPECT_EQ(c.frames * 4u, reader.dataSize());
    }
}

TEST(CaptureStep, AutoSegmentOffKeepsRecordingThroughDigitalSilenceWithoutWritingIt) {
    Rig rig;
    rig.context.record.autoSegment = 0;
    for (int i = 0; i < 300; ++i) rig.step(rig.loud());  // 3 s
    const float duration = rig.context.record.recordDurationMs.load();
    EXPECT_EQ(3000.0f, duration);
    for (int i = 0; i < 200; ++i) {
        rig.step(rig.zero());
        ASSERT_EQ(1, rig.context.record.recording.load());
        ASSERT_EQ(i < 8 ? 1 : 0, rig.context.record.recordIndicator.load()) << i;
    }
    EXPECT_GT(rig.context.capture.silence.silenceSteps, 100);
    EXPECT_EQ(duration, rig.context.record.recordDurationMs.load());
    for (int i = 0; i < 10; ++i) rig.step({rig.packet(480, kQuietEdge)});  // quiet, not zero: written
    EXPECT_EQ(1, rig.context.record.recordIndicator.load());
    rig.step(rig.loud());
    EXPECT_EQ(3110.0f, rig.context.record.recordDurationMs.load());
    rig.context.record.recordArmed = 0;
    rig.step();
    ASSERT_EQ(1u, rig.files().size());
    EXPECT_EQ(56u + 311u * 480u * 4u, fs::file_size(rig.dir.file(rig.files()[0])));
}

TEST(CaptureStep, AutoSegmentCutsTracksAtSilenceAndStartsAgainOnSound) {
    Rig rig;
    for (int i = 0; i < 250; ++i) rig.step(rig.loud());
    for (int i = 0; i < 8; ++i) rig.step(rig.zero());
    EXPECT_EQ(1, rig.context.record.recording.load());
    rig.step(rig.zero());  // the 9th all-zero packet
    EXPECT_EQ(0, rig.context.record.recording.load());
    const std::string first = rig.lastName();
    EXPECT_NE(std::string::npos, first.find("_2500_1111317901.wav"));
    rig.step(rig.loud());  // sound right after the cut starts the next track
    EXPECT_EQ(1, rig.context.record.recording.load());
    for (int i = 0; i < 250; ++i) rig.step(rig.loud());
    for (int i = 0; i < 9; ++i) rig.step({rig.packet(480, kLoud, kAudioPacketSilent)});
    EXPECT_EQ(0, rig.context.record.recording.load());
    EXPECT_NE(std::string::npos, rig.lastName().find("_2510_1440736464.wav"));
    EXPECT_EQ(2u, rig.files().size());
}

// The samples of a kept recording of the rig (no scrambling), left channel.
std::vector<int16_t> leftSamples(const std::string& path) {
    const auto bytes = readBytes(path);
    std::vector<int16_t> left;
    for (size_t i = 56; i + 3 < bytes.size(); i += 4)
        left.push_back(static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return left;
}

TEST(CaptureStep, ACutEndsOneRecordingAndTheNextBlockBeginsTheNextWithoutALostFrame) {
    Rig rig;
    bool cutting = true;
    sndDevicesOpenRecording now{true, 9, 9, true};
    ASSERT_EQ(OKAY, sndDevicesGetOpenRecording(rig.context, now));
    EXPECT_FALSE(now.open);
    EXPECT_EQ(0u, now.serial);
    EXPECT_FALSE(now.keepable);
    ASSERT_EQ(OKAY, sndDevicesCutRecording(rig.context, 1, cutting));  // nothing open
    EXPECT_FALSE(cutting);

    for (int i = 0; i < 199; ++i) rig.step({rig.packet(480, 0.25f)});
    ASSERT_EQ(OKAY, sndDevicesGetOpenRecording(rig.context, now));
    EXPECT_TRUE(now.open);
    EXPECT_EQ(1u, now.serial);
    EXPECT_EQ(1990u, now.durationMs);
    EXPECT_FALSE(now.keepable);
    // Shorter than the minimum: cutting would throw it away.
    ASSERT_EQ(OKAY, sndDevicesCutRecording(rig.context, 1, cutting));
    EXPECT_FALSE(cutting);
    rig.step({rig.packet(480, 0.25f)});
    ASSERT_EQ(OKAY, sndDevicesGetOpenRecording(rig.context, now));
    EXPECT_TRUE(now.keepable);
    ASSERT_EQ(OKAY, sndDevicesCutRecording(rig.context, 2, cutting));  // not the open one
    EXPECT_FALSE(cutting);
    ASSERT_EQ(OKAY, sndDevicesCutRecording(rig.context, 1, cutting));
    EXPECT_TRUE(cutting);
    EXPECT_EQ(1, rig.context.record.recording.load());  // the record thread cuts, at its next step

    // The next song's first block (another level, another packet size) ends
    // the first recording and begins the second.
    rig.step({rig.packet(333, -0.25f)});
    const std::string first = rig.lastName();
    uint32_t keptSerial = 0;
    std::string keptName;
    ASSERT_EQ(OKAY, sndDevicesGetLastRecording(rig.context, keptName, keptSerial));
    EXPECT_EQ(1u, keptSerial);
    EXPECT_NE(std::string::npos, first.find("_2000_"));
    ASSERT_EQ(OKAY, sndDevicesGetOpenRecording(rig.context, now));
    EXPECT_TRUE(now.open);
    EXPECT_EQ(2u, now.serial);
    for (int i = 0; i < 210; ++i) rig.step({rig.packet(480, -0.25f)});
    rig.context.record.recordArmed = 0;
    rig.step();
    ASSERT_EQ(OKAY, sndDevicesGetLastRecording(rig.context, keptName, keptSerial));
    EXPECT_EQ(2u, keptSerial);
    ASSERT_EQ(OKAY, sndDevicesGetOpenRecording(rig.context, now));
    EXPECT_FALSE(now.open);
    EXPECT_EQ(2u, now.serial);

    // Every frame is in one of the two, each song wholly in its own.
    const std::vector<int16_t> one = leftSamples(rig.dir.file(first));
    const std::vector<int16_t> two = leftSamples(rig.dir.file(rig.lastName()));
    EXPECT_EQ(200u * 480u, one.size());
    EXPECT_EQ(333u + 210u * 480u, two.size());
    EXPECT_TRUE(std::all_of(one.begin(), one.end(), [](int16_t v) { return v == 8192; }));
    EXPECT_TRUE(std::all_of(two.begin(), two.end(), [](int16_t v) { return v == -8192; }));
}

TEST(CaptureStep, ACutThatMissesItsRecordingEndsNoOther) {
    Rig rig;
    for (int i = 0; i < 250; ++i) rig.step(rig.loud());
    bool cutting = false;
    ASSERT_EQ(OKAY, sndDevicesCutRecording(rig.context, 1, cutting));
    ASSERT_TRUE(cutting);
    // The recording ends by itself before the record thread gets to the cut
    // (here: disarmed), and the next one must not be cut in its place.
    rig.context.record.recordArmed = 0;
    rig.step(rig.loud());
    rig.context.record.recordArmed = 1;
    for (int i = 0; i < 5; ++i) rig.step(rig.loud());
    EXPECT_EQ(1, rig.context.record.recording.load());
    EXPECT_EQ(0u, rig.context.record.cutSerial.load());
    EXPECT_EQ(50.0f, rig.context.record.recordDurationMs.load());
    EXPECT_EQ(1u, rig.files().size() - 1);  // the first, kept, and the one being recorded
}

TEST(CaptureStep, TakesNoMoreThanPcmBufferHoldsAndLeavesTheRestQueued) {
    Rig rig;  // 48 kHz stereo: 19219 frames
    ASSERT_EQ(19219u, rig.context.streams.pcmBufferElements);
    rig.capture->append(ScriptedPoll(50, rig.packet(480, kLoud)));  // 24000 frames ready at once
    ASSERT_EQ(OKAY, sndDevicesDoRecording(rig.context, rig.output));
    EXPECT_EQ(40u * 480u, rig.context.capture.callFrames);
    EXPECT_EQ(40u * 480u, rig.capture->framesDelivered());
    ASSERT_EQ(OKAY, sndDevicesDoRecording(rig.context, rig.output));
    EXPECT_EQ(10u * 480u, rig.context.capture.callFrames);
    EXPECT_EQ(500.0f, rig.context.record.recordDurationMs.load());
    EXPECT_FALSE(rig.capture->misuse());

    // A single packet larger than the whole block is taken and cut to it.
    Rig big;
    big.step({big.packet(30000, kLoud)});
    EXPECT_EQ(19219u, big.context.capture.callFrames);
    EXPECT_EQ(19219u, big.output.frames);
}

TEST(CaptureStep, ResultCodesOfTheCaptureStream) {
    struct Case {
        const char* what;
        ScriptedOp op;
        uint64_t call;
        int status;
        int code;
    };
    const Case cases[] = {
        {"padding", ScriptedOp::Padding, 0, OKAY, kSndCodeDeviceLost},
        {"first packet query", ScriptedOp::NextPacketSize, 0, OKAY, kSndCodeDeviceLost},
        {"fetch", ScriptedOp::FetchPacket, 0, OKAY, kSndCodeDeviceLost},
        {"release", ScriptedOp::ReleasePacket, 0, OKAY, kSndCodeDeviceLost},
        {"packet query inside the loop", ScriptedOp::NextPacketSize, 1, NOT_OKAY, 0},
    };
    for (const Case& c : cases) {
        Rig rig;
        ReportRecorder reports;
        rig.capture->failAt(c.op, c.call);
        rig.capture->append(rig.loud());
        EXPECT_EQ(c.status, sndDevicesDoRecording(rig.context, rig.output)) << c.what;
        EXPECT_EQ(c.code, rig.output.code) << c.what;
        EXPECT_EQ(c.status == OKAY ? 0u : 1u, reports.count()) << c.what;
    }

    Rig stopped;
    stopped.context.stopRequested = 1;
    EXPECT_EQ(kSndCodeStopRequested, stopped.step(stopped.loud()));
    EXPECT_EQ(0u, stopped.capture->calls(ScriptedOp::Padding));
    EXPECT_EQ(0u, stopped.context.capture.callFrames);

    Rig missing;
    ReportRecorder reports;
    missing.context.streams.captureClient = nullptr;
    EXPECT_EQ(NOT_OKAY, sndDevicesDoRecording(missing.context, missing.output));
    Rig mono(1, 48000);
    EXPECT_EQ(NOT_OKAY, sndDevicesDoRecording(mono.context, mono.output));
    EXPECT_EQ(2u, reports.count());
}

TEST(CaptureStep, FailedCreateLeavesNoRecordingOpenAndRecoversLater) {
    Rig rig;
    // A file where the folder should be: the folder cannot be re-created.
    std::ofstream(rig.dir.file("a-file")) << "x";
    sndDevicesSettingsChange(rig.context,
                             [&](sndDevicesSettings& s) { s.cacheFolder = rig.dir.file("a-file/cache"); });
    EXPECT_EQ(kSndCodeCacheFileFailed, rig.step(rig.loud()));
    EXPECT_EQ(0, rig.context.record.recording.load());
    EXPECT_EQ(0, rig.context.record.recordIndicator.load());
    EXPECT_FALSE(rig.context.capture.recordFile->isOpen());
    EXPECT_EQ(1, rig.context.record.cacheFault.load());
    EXPECT_NE(rig.context.record.cacheFaultWhy.load()->find("a-file/cache"), std::string::npos);
    // Within the back-off nothing is tried; after it, a recording starts and
    // the fault is over.
    sndDevicesSettingsChange(rig.context, [&](sndDevicesSettings& s) { s.cacheFolder = rig.dir.str(); });
    EXPECT_EQ(0, rig.step(rig.loud()));
    EXPECT_EQ(0, rig.context.record.recording.load());
    rig.context.capture.cacheRetryAt = {};
    EXPECT_EQ(0, rig.step(rig.loud()));
    EXPECT_EQ(1, rig.context.record.recording.load());
    EXPECT_EQ(0, rig.context.record.cacheFault.load());
    EXPECT_TRUE(fs::exists(rig.temp()));
}

TEST(CaptureStep, ADeletedCacheFolderIsMadeAgainAndKeepsWhatWasWritten) {
    // Deleted between recordings: the next one re-creates it. Deleted during
    // one: what was written moves into the re-created folder at its end.
    for (const bool during : {false, true}) {
        SCOPED_TRACE(during ? "during a recording" : "between recordings");
        Rig rig;
        const std::string folder = rig.dir.file("cache");
        sndDevicesSettingsChange(rig.context, [&](sndDevicesSettings& s) { s.cacheFolder = folder; });
        fs::create_directories(folder);
        if (!during) fs::remove_all(folder);
        for (int i = 0; i < 250; ++i) ASSERT_EQ(0, rig.step(rig.loud()));  // 2.5 s
        if (during) fs::remove_all(folder);
        for (int i = 0; i < 20 && rig.context.record.recording.load(); ++i) rig.step(rig.zero());
        ASSERT_EQ(0, rig.context.record.recording.load());
        EXPECT_EQ(0, rig.context.record.cacheFault.load());
        ASSERT_FALSE(rig.lastName().empty());
        CsndDevicesWaveFile reader;
        ASSERT_EQ(kWaveSOk, reader.open(folder + "/" + rig.lastName(), nullptr, kWaveModeRead));
        EXPECT_EQ(reader.dataSize(), 250u * 480 * 4);
    }
}

namespace {

// Files of this process may grow only to `bytes`; writes beyond fail with EFBIG.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        old_signal_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, old_signal_);
    }

  private:
    rlimit old_{};
    void (*old_signal_)(int) = nullptr;
};

}  // namespace

TEST(CaptureStep, FailedWriteKeepsWhatReachedTheFileAsARecording) {
    Rig rig;
    int code = 0;
    uint32_t start = 0;
    {
        // Room for the header and 2.5 s of audio: the flush that crosses it fails.
        FileSizeLimit limit(56 + 480000);
        for (int i = 0; i < 1000 && code == 0; ++i) {
            code = rig.step(rig.loud());
            if (i == 0) start = rig.context.record.recordStartTime.load();
        }
    }
    ASSERT_EQ(kSndCodeCacheFileFailed, code);
    EXPECT_EQ(0, rig.context.record.recording.load());
    EXPECT_EQ(0, rig.context.record.recordIndicator.load());
    EXPECT_FALSE(rig.context.capture.recordFile->isOpen());
    const std::string name = std::to_string(start) + "_2500_1111317901.wav";
    EXPECT_EQ(name, rig.lastName());
    ASSERT_EQ(std::vector<std::string>{name}, rig.files());
    CsndDevicesWaveFile reader;
    ASSERT_EQ(kWaveSOk, reader.open(rig.dir.file(name), nullptr, kWaveModeRead));
    EXPECT_EQ(480000u, reader.dataSize());
    EXPECT_EQ(56u + 480000u, fs::file_size(rig.dir.file(name)));

    // The window is told why; once the back-off has passed the next sound
    // starts a new recording.
    EXPECT_EQ(1, rig.context.record.cacheFault.load());
    EXPECT_NE(rig.context.record.cacheFaultWhy.load()->find("too large"), std::string::npos)
        << *rig.context.record.cacheFaultWhy.load();
    rig.context.capture.cacheRetryAt = {};
    EXPECT_EQ(0, rig.step(rig.loud()));
    EXPECT_EQ(1, rig.context.record.recording.load());
}

TEST(CaptureStep, FailedWriteOfAShortRecordingLeavesNothing) {
    Rig rig;
    int code = 0;
    {
        FileSizeLimit limit(56 + 4000);
        for (int i = 0; i < 100 && code == 0; ++i) code = rig.step(rig.loud());
    }
    ASSERT_EQ(kSndCodeCacheFileFailed, code);
    EXPECT_EQ(0, rig.context.record.recording.load());
    EXPECT_EQ("", rig.lastName());
    EXPECT_EQ(std::vector<std::string>{}, rig.files());
}

TEST(ScriptedCapture, HandsOutPollsRepeatsAndFailsAsScripted) {
    ScriptedCapture s(audioFloatFormat(3, 44100), {{ScriptedPacket::constant(3, 5, 0.1f)}, {}});
    EXPECT_EQ(nullptr, s.captureService());  // not before initialize
    ASSERT_EQ(OKAY, s.initialize(AudioDirection::Capture, 2000000));
    uint32_t frames = 0, flags = 0;
    const float* data = nullptr;
    ASSERT_EQ(OKAY, s.bufferFrames(frames));
    EXPECT_EQ(8820u, frames);
    ASSERT_EQ(OKAY, s.nextPacketSize(frames));
    EXPECT_EQ(5u, frames);
    ASSERT_EQ(OKAY, s.fetchPacket(data, frames, flags));
    EXPECT_EQ(0.1f, data[14]);
    EXPECT_EQ(NOT_OKAY, s.releasePacket(4));  // not the fetched count
    EXPECT_TRUE(s.misuse());
    ASSERT_EQ(OKAY, s.releasePacket(5));
    ASSERT_EQ(OKAY, s.nextPacketSize(frames));
    EXPECT_EQ(0u, frames);  // end of the first poll
    ASSERT_EQ(OKAY, s.nextPacketSize(frames));
    EXPECT_EQ(0u, frames);  // the empty second poll
    ASSERT_EQ(OKAY, s.nextPacketSize(frames));
    EXPECT_EQ(0u, frames);  // the script is done
    s.setRepeat(true);
    ASSERT_EQ(OKAY, s.nextPacketSize(frames));
    EXPECT_EQ(5u, frames);  // from the top

    s.failAt(ScriptedOp::Padding, s.calls(ScriptedOp::Padding) + 1, -1);
    EXPECT_EQ(OKAY, s.padding(frames));
    EXPECT_EQ(NOT_OKAY, s.padding(frames));
    EXPECT_EQ(NOT_OKAY, s.padding(frames));
    s.setLost(true);
    EXPECT_EQ(NOT_OKAY, s.start());
    EXPECT_EQ(NOT_OKAY, s.nextPacketSize(frames));
    s.setLost(false);
    EXPECT_EQ(OKAY, s.start());
    EXPECT_TRUE(s.started());
}

// The level the window reads: the loudest sample the calls since its last
// read kept for the recording (16-bit, so a sample beyond full scale reads as
// the largest one); a packet flagged silent counts as silence whatever it
// holds, channels and frames that are not recorded do not count; a read
// starts the peak over.
TEST(CaptureStep, PublishesTheLoudestKeptSampleUntilTheWindowTakesIt) {
    struct Case {
        const char* what;
        uint16_t channels;
        uint32_t rate;
        std::vector<std::vector<std::pair<int, float>>> calls;  // spikes of one packet a call
        uint32_t flags;
        float expected;
    };
    const Case cases[] = {
        {"a negative right sample", 2, 48000, {{{2 * 3 + 1, -0.75f}}}, 0, 0.75f},
        {"the louder of two calls", 2, 48000, {{{0, 0.5f}}, {{8, -0.625f}}}, 0, 0.625f},
        {"flagged silent", 2, 48000, {{{0, 0.9f}}}, kAudioPacketSilent, 0.0f},
        {"beyond full scale", 2, 48000, {{{1, 3.5f}}}, 0, 32767.0f / 32768.0f},
        {"a channel that is not recorded", 6, 48000, {{{6 * 3 + 5, 0.9f}}}, 0, 0.125f},
        {"a frame the decimation drops", 2, 96000, {{{2 * 7, 0.9f}}}, 0, 0.125f},
        {"nothing captured", 2, 48000, {}, 0, 0.0f},
    };
    for (const Case& c : cases) {
        Rig rig(c.channels, c.rate);
        for (const auto& spikes : c.calls) {
            ScriptedPacket p = rig.packet(c.rate / 100, 0.125f, c.flags);
            for (auto [index, value] : spikes) p.samples[static_cast<size_t>(index)] = value;
            rig.step({p});
        }
        if (c.calls.empty()) rig.step({});
        float captured = -1.0f, played = -1.0f;
        ASSERT_EQ(OKAY, sndDevicesGetLevels(rig.context, captured, played));
        EXPECT_EQ(captured, c.expected) << c.what;
        EXPECT_EQ(played, 0.0f) << c.what;
        ASSERT_EQ(OKAY, sndDevicesGetLevels(rig.context, captured, played));
        EXPECT_EQ(captured, 0.0f) << c.what << ": taken by the read";
    }
}
