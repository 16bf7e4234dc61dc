// The engine over a scripted list of outputs: which outputs are the user's and
// which is captured, the cache format and buffers per capture rate, the trace
// of a bring-up, stream replacement, the record thread (one thread, recovery,
// giving up with 209), crash recovery and the setters and getters.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

#include "engineTestSupport.h"
#include "report.h"
#include "scriptedDevices.h"
#include "testsupport.h"

using namespace enginetest;

namespace {

ScriptedEndpoint endpoint(const std::string& id, const std::string& name, uint32_t rate = 48000,
                          uint16_t channels = 2) {
    return ScriptedEndpoint{AudioEndpoint{id, name, name + " device"}, audioFloatFormat(channels, rate)};
}

constexpr const char* kEnhancer = "Zentic Audio Enhancer 11.1 (virtual)";

ScriptedPoll loudPoll(uint32_t frames = 4800) { return {ScriptedPacket::constant(2, frames, 0.5f)}; }
ScriptedPoll zeroPoll(uint32_t frames = 4800) { return {ScriptedPacket::constant(2, frames, 0.0f)}; }

// `loud` polls of 100 ms of sound, then enough digital silence to end the track.
std::vector<ScriptedPoll> track(int loud) {
    std::vector<ScriptedPoll> s;
    for (int i = 0; i < loud; ++i) s.push_back(loudPoll());
    for (int i = 0; i < 12; ++i) s.push_back(zeroPoll());
    return s;
}

}  // namespace

TEST(EngineOutputs, UserOutputsAndTheCapturedOne) {
    struct Case {
        const char* what;
        std::vector<ScriptedEndpoint> endpoints;
        std::string defaultId;
        int deviceCount, userCount, defaultIndex, enhancerIndex;
        std::string captured;  // "" = no streams
    };
    const std::vector<Case> cases = {
        {"speakers and the enhancer",
         {endpoint("spk", "Speakers"), endpoint("enh", kEnhancer)},
         "spk",
         2,
         1,
         0,
         1,
         "spk"},
        {"the enhancer as default is captured",
         {endpoint("spk", "Speakers"), endpoint("enh", kEnhancer)},
         "enh",
         2,
         1,
         1,
         1,
         "enh"},
        {"other letter case is a user output",
         {endpoint("spk", "Speakers"), endpoint("enh", "zentic audio enhancer 11.1")},
         "spk",
         2,
         2,
         0,
         -1,
         "spk"},
        {"the last enhancer wins",
         {endpoint("e1", kEnhancer), endpoint("spk", "Speakers"), endpoint("e2", kEnhancer)},
         "spk",
         3,
         1,
         1,
         2,
         "spk"},
        {"only the enhancer", {endpoint("enh", kEnhancer)}, "enh", 1, 0, 0, 0, ""},
        {"no outputs", {}, "", 0, 0, -1, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedDevices devices;
        devices.setEndpoints(c.endpoints);
        devices.setDefault(c.defaultId);
        Engine e(devices);
        ASSERT_EQ(sndDevicesInit(e.context, nullptr, kSndEngineModeLoopback, 0), OKAY);
        EXPECT_EQ(e.context.endpoints.deviceCount, c.deviceCount);
        EXPECT_EQ(e.context.endpoints.userDeviceCount, c.userCount);
        EXPECT_EQ(e.context.endpoints.defaultDeviceIndex, c.defaultIndex);
        EXPECT_EQ(e.context.endpoints.enhancerDeviceIndex, c.enhancerIndex);
        for (int i = 0; i < c.userCount; ++i)
            EXPECT_EQ(e.context.endpoints.interfaceNames[e.context.endpoints.userEndpoints[i]].find(
                          "Zentic Audio Enhancer 11.1"),
                      std::string::npos);
        if (c.captured.empty()) {
            EXPECT_FALSE(e.context.streams.captureAudioClient);
            EXPECT_FALSE(e.context.streams.renderAudioClient);
            int result = 0;
            ASSERT_EQ(sndDevicesSetRecordState(e.context, kSndRecordArm, result), OKAY);
            EXPECT_EQ(result, kSndCodeNoCaptureStream);
            EXPECT_EQ(e.context.record.recordArmed.load(), 0);
            EXPECT_FALSE(e.context.recordThread.joinable());
        } else {
            EXPECT_EQ(e.context.endpoints.endpointIds[e.context.endpoints.captureEndpoint], c.captured);
            EXPECT_EQ(e.context.endpoints.endpointIds[e.context.endpoints.renderEndpoint], c.captured);
            EXPECT_EQ(devices.lastActivatedId(), c.captured);
            EXPECT_NE(e.context.streams.captureClient, nullptr);
            EXPECT_NE(e.context.streams.renderClient, nullptr);
        }
    }
}

TEST(EngineOutputs, SixteenAtMost) {
    ScriptedDevices devices;
    std::vector<ScriptedEndpoint> many;
    for (int i = 0; i < 20; ++i)
        many.push_back(endpoint("out" + std::to_string(i), "Output " + std::to_string(i)));
    devices.setEndpoints(many);
    devices.setDefault("out3");
    Engine e(devices);
    ASSERT_EQ(sndDevicesInit(e.context, nullptr, kSndEngineModeLoopback, 0), OKAY);
    EXPECT_EQ(e.context.endpoints.deviceCount, 16);
    EXPECT_EQ(e.context.endpoints.userDeviceCount, 16);
    EXPECT_EQ(e.context.endpoints.defaultDeviceIndex, 3);
}

TEST(EngineOutputs, PlatformFailuresAreInternalErrors) {
    ScriptedDevices devices;
    devices.setEndpoints({endpoint("spk", "Speakers")});
    devices.setDefault("spk");
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        devices.setFailEnumeration(which == 0);
        devices.setFailActivate(which == 1);
        devices.setFailInitialize(which == 2);
        Engine e(devices);
        ReportRecorder reports;
        EXPECT_NE(sndDevicesInit(e.context, nullptr, kSndEngineModeLoopback, 0), OKAY);
        EXPECT_TRUE(reports.reported("sndDevicesInit"));
        // The platform's reason travels with the first report.
        const std::vector<std::string> why[] = {
            {}, {"scripted: activation refused"}, {"scripted: initialisation refused"}};
        EXPECT_EQ(reports.details(), why[which]);
    }
    // The default names no listed output.
    devices.setFailInitialize(false);
    devices.setDefault("gone");
    Engine e(devices);
    ReportRecorder reports;
    EXPECT_NE(sndDevicesInit(e.context, nullptr, kSndEngineModeLoopback, 0), OKAY);
}

TEST(EngineFormats, CacheRateDecimationAndBuffers) {
    struct Case {
        uint32_t rate;
        uint16_t channels;
        uint32_t cacheRate, decimation;
        size_t pcmElements;
    };
    for (const Case c :
         {Case{48000, 2, 48000, 1, 19219}, Case{44100, 2, 44100, 1, 17657}, Case{96000, 2, 48000, 2, 38438},
          Case{88200, 2, 44100, 2, 35315}, Case{48000, 6, 48000, 1, 57657}}) {
        SCOPED_TRACE(c.rate);
        ScriptedDevices devices;
        devices.setEndpoints({endpoint("spk", "Speakers", c.rate, c.channels)});
        devices.setDefault("spk");
        Engine e(devices);
        ASSERT_EQ(sndDevicesInit(e.context, nullptr, kSndEngineModeLoopback, 0), OKAY);
        EXPECT_EQ(e.context.streams.cacheFormat, audioPcm16Format(2, c.cacheRate));
        EXPECT_EQ(e.context.streams.decimation, c.decimation);
        EXPECT_EQ(e.context.streams.pcmBufferElements, c.pcmElements);
        EXPECT_EQ(e.context.streams.pcmBuffer.size(), c.pcmElements * 2);
        EXPECT_EQ(e.context.streams.renderBufferElements, c.pcmElements);
        EXPECT_EQ(e.context.streams.renderBufferB.size(), c.pcmElements);
        EXPECT_EQ(e.context.streams.captureFormat, audioFloatFormat(c.channels, c.rate));
        EXPECT_EQ(e.context.streams.captureBufferFrames, c.rate / 5);
        EXPECT_EQ(e.context.streams.captureActualDuration, kSndStreamDuration);
        EXPECT_EQ(e.context.streams.renderActualDuration, kSndStreamDuration);
    }
}

TEST(EngineReInit, KeepsBuffersOfTheSameSizeAndReleasesReplacedStreams) {
    ScriptedDevices devices;
    devices.setEndpoints({endpoint("spk", "Speakers")});
    devices.setDefault("spk");
    Engine e(devices);
    ASSERT_EQ(sndDevicesInit(e.context, nullptr, kSndEngineModeLoopback, 0), OKAY);
    const int16_t* pcm = e.context.streams.pcmBuffer.data();
    const float* renderB = e.context.streams.renderBufferB.data();
    int count = 0, flag = 7;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(sndDevicesReInit(e.context, kSndEngineModeLoopback, count, flag), OKAY);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(e.context.streams.pcmBuffer.data(), pcm);
    EXPECT_EQ(e.context.streams.renderBufferB.data(), renderB);
    EXPECT_EQ(devices.liveStreams(), 2);  // one capture, one render: the replaced ones were released

    // A new default output at another rate gets buffers of its size.
    devices.setEndpoints({endpoint("spk", "Speakers"), endpoint("hdmi", "HDMI", 96000)});
    devices.setDefault("hdmi");
    ASSERT_EQ(sndDevicesReInit(e.context, kSndEngineModeLoopback, count, flag), OKAY);
    EXPECT_EQ(e.context.streams.pcmBufferElements, 38438u);
    EXPECT_EQ(e.context.streams.decimation, 2u);
    EXPECT_EQ(devices.liveStreams(), 2);

    // No output any more: nothing is set up, the previous streams stay.
    devices.setEndpoints({});
    ASSERT_EQ(sndDevicesReInit(e.context, kSndEngineModeLoopback, count, flag), OKAY);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(e.context.streams.captureAudioClient);
}

TEST(EngineInit, TracesItsStepsAndChecksTheEncoderLibrary) {
    ScriptedDevices devices;
    devices.setEndpoints({endpoint("spk", "Speakers")});
    devices.setDefault("spk");
    {
        Engine e(devices);
        KeepingSlout trace;
        ASSERT_EQ(sndDevicesInit(e.context, &trace, kSndEngineModeLoopback, 1), OKAY);
        const std::vector<std::string> expected = {
            "sndDevicesInit():: sndDevicesInit() enters",
            "sndDevicesInit():: Calling CoCreateGuid()",
            "sndDevicesInit():: Setting PT handles",
            "sndDevicesInit():: Setting GUID ID vars",
            "sndDevicesInit():: Calling sndDevicesReInit()",
            "sndDevicesReInit():: sndDevicesReInit() enters",
            "sndDevicesReInit():: Calling sndDevicesInitialSetupCaptureDevice()",
            "sndDevicesReInit():: Calling sndDevicesFinalSetupCaptureDevice()",
            "sndDevicesReInit():: Returns OKAY",
        };
        EXPECT_EQ(trace.lines, expected);
        EXPECT_TRUE(trace.errors.empty());
        // The defaults a start writes.
        EXPECT_EQ(e.context.capture.nameSeed, 286492);
        EXPECT_EQ(e.context.capture.minimumLengthMs, 2000);
        EXPECT_EQ(e.context.record.autoSegment.load(), 1);
        EXPECT_EQ(sndDevicesSettingsNow(e.context)->mp3.bitRate, 256);
        EXPECT_EQ(sndDevicesSettingsNow(e.context)->scrambleKey, 0);
        EXPECT_EQ(lastName(e.context), "");
    }
    {
        Engine e(devices);
        KeepingSlout trace;
        ASSERT_EQ(sndDevicesInit(e.context, &trace, kSndEngineModeLoopback, 0), OKAY);
        EXPECT_TRUE(trace.lines.empty());
    }
    {
        Engine e(devices);
        e.context.encoderLibrary = "libno_such_encoder.so";
        KeepingSlout trace;
        ReportRecorder reports;
        EXPECT_NE(sndDevicesInit(e.context, &trace, kSndEngineModeLoopback, 0), OKAY);
        EXPECT_EQ(trace.errors, std::vector<std::string>{"Unable to load dll: libno_such_encoder.so"});
        EXPECT_TRUE(reports.reported("sndDevicesInit"));
    }
}

TEST(EngineControls, SettersAndGetters) {
    testsupport::TempDir dir;
    ScriptedDevices devices;
    Engine e(devices);
    ASSERT_EQ(sndDevicesInit(e.context, nullptr, kSndEngineModeLoopback, 0), OKAY);
    for (const char* name : {"a.dax", "b.dax", "c.dat", "d.mp3", "e.tmp", "f.daxx"})
        testsupport::writeText(dir.file(name), "x");

    ASSERT_EQ(sndDevicesSetCacheFolder(e.context, dir.str() + "/"), OKAY);
    EXPECT_EQ(sndDevicesSettingsNow(e.context)->cacheFolder, dir.str());
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.dax")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("b.dax")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("f.daxx")));

    {
        ReportRecorder reports;
        EXPECT_NE(sndDevicesSetMp3Settings(e.context, 160, 1, 1), OKAY);
        EXPECT_EQ(reports.count(), 1u);
    }
    EXPECT_EQ(sndDevicesSettingsNow(e.context)->mp3.bitRate, 256);
    EXPECT_TRUE(std::filesystem::exists(dir.file("c.dat")));
    ASSERT_EQ(sndDevicesSetMp3Settings(e.context, 128, 1, 0), OKAY);
    EXPECT_EQ(sndDevicesSettingsNow(e.context)->mp3.bitRate, 128);
    EXPECT_EQ(sndDevicesSettingsNow(e.context)->mp3.mono, 1);
    EXPECT_TRUE(std::filesystem::exists(dir.file("c.dat")));
    for (int kbps : {64, 96, 192, 256, 320}) EXPECT_EQ(sndDevicesSetMp3Settings(e.context, kbps, 0, 0), OKAY);
    ASSERT_EQ(sndDevicesSetMp3Settings(e.context, 320, 0, 1), OKAY);
    EXPECT_FALSE(std::filesystem::exists(dir.file("c.dat")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("d.mp3")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("e.tmp")));

    ASSERT_EQ(sndDevicesSetScrambleKey(e.context, kSndScrambleKey), OKAY);
    EXPECT_EQ(sndDevicesSettingsNow(e.context)->scrambleKey, kSndScrambleKey);
    ASSERT_EQ(sndDevicesSetAutoSegment(e.context, 0), OKAY);
    EXPECT_EQ(e.context.record.autoSegment.load(), 0);

    e.context.record.lastRecording.store(std::make_shared<const sndDevicesKeptRecording>(
        sndDevicesKeptRecording{"1291648000_183456_1111317901.tmp", 7}));
    EXPECT_EQ(lastName(e.context), "1291648000_183456_1111317901");
    std::string kept;
    uint32_t serial = 0;
    ASSERT_EQ(sndDevicesGetLastRecording(e.context, kept, serial), OKAY);
    EXPECT_EQ(kept, "1291648000_183456_1111317901");
    EXPECT_EQ(serial, 7u);

    int indicator = -1;
    uint32_t start = 9, duration = 9;
    e.context.record.recordIndicator.store(1);
    e.context.record.recordStartTime.store(1291648000);
    e.context.record.recordDurationMs.store(2500.9f);
    ASSERT_EQ(sndDevicesGetRecordStatus(e.context, indicator, start, duration), OKAY);
    EXPECT_EQ(indicator, 1);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(duration, 0u);
    e.context.record.recording.store(1);
    ASSERT_EQ(sndDevicesGetRecordStatus(e.context, indicator, start, duration), OKAY);
    EXPECT_EQ(start, 1291648000u);
    EXPECT_EQ(duration, 2500u);
    e.context.record.recording.store(0);
}

TEST(EngineRecordThread, ArmsOnceRecordsAndRecoversALostStream) {
    testsupport::TempDir dir;
    ScriptedDevices devices;
    devices.setEndpoints({endpoint("spk", "Speakers"), endpoint("enh", kEnhancer)});
    devices.setDefault("spk");
    Engine e(devices);
    ASSERT_EQ(sndDevicesInit(e.context, nullptr, kSndEngineModeLoopback, 0), OKAY);
    ASSERT_EQ(sndDevicesSetCacheFolder(e.context, dir.str()), OKAY);
    ASSERT_EQ(sndDevicesSetScrambleKey(e.context, kSndScrambleKey), OKAY);

    int result = -1;
    ASSERT_EQ(sndDevicesSetRecordState(e.context, kSndRecordArm, result), OKAY);
    EXPECT_EQ(result, 0);
    const auto thread = e.context.recordThread.get_id();
    ASSERT_EQ(sndDevicesSetRecordState(e.context, kSndRecordArm, result), OKAY);
    EXPECT_EQ(e.context.recordThread.get_id(), thread);
    EXPECT_TRUE(devices.lastCapture()->started());

    // 2.5 s of sound, then silence.
    for (ScriptedPoll& poll : track(25)) devices.lastCapture()->append(std::move(poll));
    ASSERT_TRUE(waitUntil([&] { return !lastName(e.context).empty(); }, 5000));
    const std::string first = lastName(e.context);
    EXPECT_NE(first.find("_2500_1111317901"), std::string::npos) << first;

    // The device is lost in the middle of the next track: the engine comes back
    // on fresh streams and the track is recorded on.
    auto lost = devices.lastCapture();
    devices.setCaptureScript(track(20));
    lost->append(loudPoll());
    ASSERT_TRUE(waitUntil([&] { return e.context.record.recording.load() == 1; }, 2000));
    lost->setLost(true);
    ASSERT_TRUE(waitUntil([&] { return lastName(e.context) != first; }, 5000));
    EXPECT_NE(devices.lastCapture(), lost);
    EXPECT_TRUE(devices.lastCapture()->started());
    EXPECT_NE(lastName(e.context).find("_2100_"), std::string::npos) << lastName(e.context);
    EXPECT_EQ(devices.liveStreams(), 2);
    EXPECT_EQ(e.context.record.threadRunning.load(), 1);

    ASSERT_EQ(sndDevicesShutdown(e.context), OKAY);
    EXPECT_EQ(e.context.record.threadExitCode.load(), kSndCodeStopRequested);
    EXPECT_FALSE(e.context.recordThread.joinable());
}

TEST(EngineRecordThread, GivesUpWith209AfterTheTwentyFirstFruitlessReInit) {
    ScriptedDevices devices;
    devices.setEndpoints({endpoint("spk", "Speakers")});
    devices.setDefault("spk");
    devices.setCaptureScript({zeroPoll()}, true);
    Engine e(devices);
    ASSERT_EQ(sndDevicesInit(e.context, nullptr, kSndEngineModeLoopback, 0), OKAY);
    int result = -1;
    ASSERT_EQ(sndDevicesSetRecordState(e.context, kSndRecordArm, result), OKAY);
    ASSERT_EQ(result, 0);

    // The outputs are gone; the old stream still works every other step, which
    // does not reset the count.
    devices.setEndpoints({});
    auto capture = devices.lastCapture();
    const uint64_t from = capture->calls(ScriptedOp::Padding) + 2;
    for (uint64_t k = 0; k < 60; ++k) capture->failAt(ScriptedOp::Padding, from + 2 * k, 1);
    const int enumerationsBefore = devices.enumerations();
    ASSERT_TRUE(waitUntil([&] { return e.context.record.threadRunning.load() == 0; }, 8000));
    EXPECT_EQ(e.context.record.threadExitCode.load(), kSndCodeGaveUp);
    EXPECT_EQ(devices.enumerations() - enumerationsBefore, 21);
    // The thread is not started again.
    ASSERT_EQ(sndDevicesSetRecordState(e.context, kSndRecordArm, result), OKAY);
    EXPECT_EQ(e.context.record.threadRunning.load(), 0);
}

namespace {

void speakersOnly(ScriptedDevices& devices) {
    devices.setEndpoints({endpoint("spk", "Speakers")});
    devices.setDefault("spk");
}

// Brings the engine up with a cache folder and the application's key, and arms it.
void startAndArm(Engine& e, const std::string& folder) {
    ASSERT_EQ(sndDevicesInit(e.context, nullptr, kSndEngineModeLoopback, 0), OKAY);
    ASSERT_EQ(sndDevicesSetCacheFolder(e.context, folder), OKAY);
    ASSERT_EQ(sndDevicesSetScrambleKey(e.context, kSndScrambleKey), OKAY);
    int result = -1;
    ASSERT_EQ(sndDevicesSetRecordState(e.context, kSndRecordArm, result), OKAY);
    ASSERT_EQ(result, 0);
}

uint32_t le32At(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

}  // namespace

TEST(EngineCrashRecovery, TheInterruptedRecordingBecomesATrack) {
    struct Case {
        uint32_t frames, extraBytes;
        bool kept;
        long lengthMs;
    };
    for (const Case c : {Case{3 * 48000 + 24, 3, true, 3000}, Case{72000, 0, false, 0}}) {
        SCOPED_TRACE(c.frames);
        testsupport::TempDir dir;
        const std::string temp = dir.file("sdrtfn.tmp");
        // The file as a crashed writer leaves it: the header with sizes 0 and
        // the sample count still 0xFFFFFFFF, then the audio.
        {
            const std::array<unsigned char, 56> header = {
                'R', 'I',  'F',  'F',  0,    0,    0,   0,   'W', 'A', 'V',  'E',  'f', 'm',
                't', ' ',  16,   0,    0,    0,    1,   0,   2,   0,   0x80, 0xBB, 0,   0,
                0,   0xEE, 2,    0,    4,    0,    16,  0,   'f', 'a', 'c',  't',  4,   0,
                0,   0,    0xFF, 0xFF, 0xFF, 0xFF, 'd', 'a', 't', 'a', 0,    0,    0,   0};
            std::vector<unsigned char> bytes(56 + c.frames * 4 + c.extraBytes, 0x11);
            std::copy(header.begin(), header.end(), bytes.begin());
            testsupport::writeBytes(temp, bytes);
        }
        const time_t modified = 1291648003;  // the last write, 3 s after the start
        utimbuf times{modified, modified};
        ASSERT_EQ(utime(temp.c_str(), &times), 0);

        ScriptedDevices devices;
        speakersOnly(devices);
        Engine e(devices);
        startAndArm(e, dir.str());
        EXPECT_FALSE(std::filesystem::exists(temp));
        if (!c.kept) {
            EXPECT_EQ(lastName(e.context), "");
            continue;
        }
        const std::string name = "1291648000_3000_1111317901";
        EXPECT_EQ(lastName(e.context), name);
        const std::vector<unsigned char> track = testsupport::readBytes(dir.file(name + ".tmp"));
        ASSERT_EQ(track.size(), 56u + c.frames * 4);
        EXPECT_EQ(le32At(track, 4), track.size() - 8);
        EXPECT_EQ(le32At(track, 44), 0u);
        EXPECT_EQ(le32At(track, 52), c.frames * 4);
        // Handed to pre-encoding like any kept recording.
        EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(dir.file(name + ".dat")); }, 10000));
    }
}

TEST(EngineCrashRecovery, AFileThatIsNotARecordingIsLeftAlone) {
    testsupport::TempDir dir;
    const std::string temp = dir.file("sdrtfn.tmp");
    testsupport::writeText(temp, std::string(20000, 'x'));
    ScriptedDevices devices;
    speakersOnly(devices);
    Engine e(devices);
    startAndArm(e, dir.str());
    EXPECT_EQ(testsupport::readText(temp), std::string(20000, 'x'));
    EXPECT_EQ(lastName(e.context), "");
}
