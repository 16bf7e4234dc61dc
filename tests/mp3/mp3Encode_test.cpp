// One encoder run (sndDevicesWavToMP3): what reaches the encoder library
// (checked exactly through a scripted library), every status, and real MP3s
// from liblame_enc.so checked by ffmpeg, ffprobe, mpg123 and a frame walk.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "lameEncInterface.h"
#include "mp3TestSupport.h"
#include "report.h"
#include "sndDevicesMp3.h"

using namespace mp3test;
using testsupport::readBytes;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::toolOutput;

namespace {

constexpr uint16_t kKey = 14940;

struct Log {
    BE_CONFIG config{};
    Samples values;
};

Log readLog(const std::string& path) {
    Log log;
    Bytes b = readBytes(path);
    EXPECT_GE(b.size(), sizeof(BE_CONFIG));
    if (b.size() < sizeof(BE_CONFIG)) return log;
    std::memcpy(&log.config, b.data(), sizeof(BE_CONFIG));
    log.values.resize((b.size() - sizeof(BE_CONFIG)) / 2);
    std::memcpy(log.values.data(), b.data() + sizeof(BE_CONFIG), log.values.size() * 2);
    return log;
}

// The counter stream the scripted library produces, cut to n bytes.
Bytes counterBytes(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>((i * 7 + 3) & 0xFF);
    return b;
}

Bytes unscrambled(Bytes b, uint16_t key) {
    sndDevicesUnscrambleBytes(b.data(), b.size(), key);
    return b;
}

class Mp3Run : public ::testing::Test {
  protected:
    sndDevicesMp3Job job(const std::string& library, uint16_t key = 0) {
        sndDevicesMp3Job j;
        j.bitRate = 256;
        j.preset = 2;
        j.normalise = 1;
        j.key = key;
        j.encoderLibrary = library;
        j.sourcePath = dir.file(key ? "track.tmp" : "track.wav");
        j.mp3Path = dir.file("out.mp3");
        j.cancel = &cancel;
        return j;
    }
    // Runs a job on the scripted library and returns what it was given.
    Log runFake(sndDevicesMp3Job& j) {
        ScopedEnv log("FAKE_ENC_LOG", dir.file("fake.log"));
        EXPECT_EQ(sndDevicesWavToMP3(context, j), OKAY);
        EXPECT_EQ(j.status, 0);
        return readLog(dir.file("fake.log"));
    }

    TempDir dir;
    sndDevicesContext context;
    std::atomic<int> cancel{0};
};

Samples repeated(const Samples& pattern, size_t count) {
    Samples s;
    while (s.size() < count) s.insert(s.end(), pattern.begin(), pattern.end());
    s.resize(count);
    return s;
}

}  // namespace

TEST_F(Mp3Run, ConfigurationRecordCarriesTheJob) {
    struct Case {
        uint32_t rate;
        uint16_t channels;
        int mono, bitRate;
        BE_DWORD resample;
        BE_LONG mode;
    };
    const Case cases[] = {{48000, 2, 0, 192, 44100, BE_MP3_MODE_JSTEREO},
                          {44100, 2, 0, 320, 0, BE_MP3_MODE_JSTEREO},
                          {48000, 2, 1, 64, 44100, BE_MP3_MODE_MONO},
                          {44100, 1, 0, 128, 0, BE_MP3_MODE_MONO}};
    for (const Case& c : cases) {
        writeCacheWav(dir.file("track.wav"), c.rate, c.channels, Samples(4000, 100), 0);
        auto j = job(FAKE_ENCODER_PATH);
        j.mono = c.mono;
        j.bitRate = c.bitRate;
        Log log = runFake(j);
        BE_CONFIG expected;
        std::memset(&expected, 0, sizeof expected);
        expected.dwConfig = 256;
        expected.format.LHV1.dwStructVersion = 1;
        expected.format.LHV1.dwStructSize = 331;
        expected.format.LHV1.dwSampleRate = c.rate;
        expected.format.LHV1.dwReSampleRate = c.resample;
        expected.format.LHV1.nMode = c.mode;
        expected.format.LHV1.dwBitrate = static_cast<BE_DWORD>(c.bitRate);
        expected.format.LHV1.nPreset = 2;
        expected.format.LHV1.bOriginal = 1;
        expected.format.LHV1.bNoRes = 1;
        EXPECT_EQ(std::memcmp(&log.config, &expected, sizeof expected), 0) << c.rate << " " << c.bitRate;
    }
}

// The values handed to the encoder: unscrambled, mixed down, raised by the gain.
TEST_F(Mp3Run, GainAndMixDownRules) {
    struct Case {
        const char* what;
        uint16_t channels;
        int mono, normalise;
        Samples pattern;
        double gain;  // expected factor (0: values as mixed)
    };
    const Case cases[] = {
        {"peak 1000: gain capped at 20", 2, 0, 1, {1000, -999, 3, -3, 0, 517}, 20.0},
        {"peak 16384: gain 32767/16384", 2, 0, 1, {16384, -3, 12345, -16383, 1, 0}, 32767.0 / 16384},
        {"peak 32700: no gain", 2, 0, 1, {32700, -5, 123, -32000}, 1.0},
        {"peak -32768: no gain", 2, 0, 1, {-32768, 77, 5, -6}, 1.0},
        {"silence: no gain", 2, 0, 1, {0, 0}, 1.0},
        {"normalise off", 2, 0, 0, {1000, -999, 3, -3}, 1.0},
        {"mono source, peak 4: gain capped at 20", 1, 1, 1, {4, -3, 2, 1}, 20.0},
        {"mix-down: peak of (L+R)/2 is 1000", 2, 1, 1, {2000, 0, -3, 0, 999, -999, 1500, 500}, 20.0},
    };
    for (uint16_t key : {uint16_t{0}, kKey}) {
        for (const Case& c : cases) {
            const Samples source = repeated(c.pattern, 6000);
            writeCacheWav(dir.file(key ? "track.tmp" : "track.wav"), 48000, c.channels, source, key);
            auto j = job(FAKE_ENCODER_PATH, key);
            j.mono = c.mono;
            j.normalise = c.normalise;
            Log log = runFake(j);
            Samples expected;
            const bool mix = c.channels == 2 && c.mono;
            for (size_t i = 0; i < source.size(); i += mix ? 2 : 1) {
                int v = mix ? (source[i] + source[i + 1]) / 2 : source[i];
                expected.push_back(static_cast<int16_t>(std::trunc(v * c.gain)));
            }
            EXPECT_EQ(log.values, expected) << c.what << " key " << key;
        }
    }
}

// Odd byte counts from the encoder are carried, never lost or repeated; the
// final odd byte is dropped; scrambled output unscrambles to the same stream.
TEST_F(Mp3Run, OddEncoderOutputsAreCarriedWordByWord) {
    writeCacheWav(dir.file("track.tmp"), 48000, 2, tones(48000, 2, 0.5, 5000), kKey);  // 21 chunks
    struct Case {
        const char* sizes;
        const char* flush;
        size_t total;
    };
    const Case cases[] = {{"417", "5", 21 * 417 + 5},
                          {"417", "4", 21 * 417 + 4 - 1},
                          {"417,418,1,0,3", "4", 4 * 839 + 417 + 4 - 1},
                          {"0", "0", 0},
                          {"1", "1", 22}};
    for (const Case& c : cases) {
        ScopedEnv sizes("FAKE_ENC_SIZES", c.sizes);
        ScopedEnv flush("FAKE_ENC_FLUSH", c.flush);
        for (int scramble : {0, 1}) {
            auto j = job(FAKE_ENCODER_PATH, kKey);
            j.scrambleOutput = scramble;
            ASSERT_EQ(sndDevicesWavToMP3(context, j), OKAY);
            ASSERT_EQ(j.status, 0);
            Bytes out = readBytes(j.mp3Path);
            EXPECT_EQ(out.size() % 2, 0u);
            EXPECT_EQ(scramble ? unscrambled(out, kKey) : out, counterBytes(c.total)) << c.sizes;
        }
    }
}

TEST_F(Mp3Run, DurationCapEndsTheRun) {
    writeCacheWav(dir.file("track.wav"), 48000, 2, tones(48000, 2, 1.0, 5000), 0);
    auto j = job(FAKE_ENCODER_PATH);
    j.limit = 1;
    j.limitLength = 100;  // 24 ms per chunk: the fifth chunk reaches 120 ms
    EXPECT_EQ(runFake(j).values.size(), 5u * 2304);
    j.limit = 0;  // no limit of its own: the whole second
    EXPECT_EQ(runFake(j).values.size(), 96000u);
}

TEST_F(Mp3Run, Statuses) {
    writeCacheWav(dir.file("track.wav"), 48000, 2, tones(48000, 2, 0.3, 5000), 0);
    writeCacheWav(dir.file("low.wav"), 22050, 2, tones(22050, 2, 0.3, 5000), 0);
    writeCacheWav(dir.file("high.wav"), 96000, 2, tones(96000, 2, 0.3, 5000), 0);
    writeCacheWav(dir.file("three.wav"), 48000, 3, Samples(3000, 5), 0);
    // A header that promises more data than the file holds: the read fails.
    writeCacheWav(dir.file("short.wav"), 48000, 2, Samples(3000, 5), 0);
    {
        Bytes b = readBytes(dir.file("short.wav"));
        b[54] = 0x01;  // 65536 bytes more than present
        testsupport::writeBytes(dir.file("short.wav"), b);
    }
    struct Case {
        const char* what;
        std::string library, source, mp3, fail;
        int cancelFlag;
        int status;
        bool fileLeft;
    };
    const std::string real = TOBREL_ENCODER_PATH, fake = FAKE_ENCODER_PATH;
    const Case cases[] = {
        {"missing library", "liblame_enc_does_not_exist.so", "track.wav", "out.mp3", "", 0, -11, false},
        {"missing export", FAKE_ENCODER_NO_INFO_PATH, "track.wav", "out.mp3", "", 0, -9, false},
        {"missing source", real, "none.wav", "out.mp3", "", 0, -4, false},
        {"22050 Hz", real, "low.wav", "out.mp3", "", 0, -8, false},
        {"96000 Hz", real, "high.wav", "out.mp3", "", 0, -8, false},
        {"three channels", real, "three.wav", "out.mp3", "", 0, -8, false},
        {"short data", real, "short.wav", "out.mp3", "", 0, -6, false},
        {"folder missing", real, "track.wav", "no/such/folder/out.mp3", "", 0, -5, false},
        {"disk full", real, "track.wav", "/dev/full", "", 0, -7, true},
        {"init refused", fake, "track.wav", "out.mp3", "init", 0, -9, true},
        {"encode failed", fake, "track.wav", "out.mp3", "encode", 0, -9, true},
        {"flush failed", fake, "track.wav", "out.mp3", "flush", 0, -9, true},
        {"cancelled before", real, "track.wav", "out.mp3", "", 1, -12, false},
    };
    ReportRecorder reports;
    for (const Case& c : cases) {
        std::filesystem::remove(dir.file("out.mp3"));
        ScopedEnv fail("FAKE_ENC_FAIL", c.fail);
        auto j = job(c.library);
        j.sourcePath = dir.file(c.source);
        j.mp3Path = c.mp3[0] == '/' ? c.mp3 : dir.file(c.mp3);
        cancel = c.cancelFlag;
        EXPECT_EQ(sndDevicesWavToMP3(context, j), OKAY) << c.what;
        EXPECT_EQ(j.status, c.status) << c.what;
        if (c.mp3 == "out.mp3") {
            EXPECT_EQ(std::filesystem::exists(j.mp3Path), c.fileLeft) << c.what;
        }
    }
    cancel = 0;
    EXPECT_EQ(reports.count(), 0u);

    // A bit rate outside the six is an internal error, not a status.
    for (int kbps : {160, 0, 32}) {
        auto j = job(real);
        j.bitRate = kbps;
        EXPECT_NE(sndDevicesWavToMP3(context, j), OKAY);
    }
    EXPECT_EQ(reports.count(), 3u);
    EXPECT_TRUE(reports.reported("UTIL/sndDevices/sndDevicesMp3Encode"));
}

TEST_F(Mp3Run, CancelDuringTheRunDeletesTheFile) {
    writeCacheWav(dir.file("track.wav"), 48000, 2, tones(48000, 2, 1.0, 5000), 0);
    ScopedEnv delay("FAKE_ENC_DELAY_MS", "10");
    auto j = job(FAKE_ENCODER_PATH);
    std::thread canceller([&] {
        while (!std::filesystem::exists(j.mp3Path)) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        cancel = 1;
    });
    EXPECT_EQ(sndDevicesWavToMP3(context, j), OKAY);
    canceller.join();
    EXPECT_EQ(j.status, -12);
    EXPECT_FALSE(std::filesystem::exists(j.mp3Path));
}

// Real MP3s at each bit rate: CBR, no Info frame, original flag, 44100 Hz,
// joint stereo or mono, decoding cleanly and matching the source after the gain.
TEST_F(Mp3Run, RealEncoderAtEveryBitRate) {
    const double peak = 8000;
    const Samples stereo48 = tones(48000, 2, 1.5, peak);
    writeCacheWav(dir.file("track.tmp"), 48000, 2, stereo48, kKey);
    int16_t actualPeak = 0;
    for (int16_t s : stereo48) actualPeak = std::max<int16_t>(actualPeak, static_cast<int16_t>(std::abs(s)));
    const double gain = 32767.0 / actualPeak;

    for (int kbps : {64, 96, 128, 192, 256, 320}) {
        for (int mono : {0, 1}) {
            if (mono && kbps != 64 && kbps != 192) continue;  // mono twice is enough
            auto j = job(TOBREL_ENCODER_PATH, kKey);
            j.bitRate = kbps;
            j.mono = mono;
            ASSERT_EQ(sndDevicesWavToMP3(context, j), OKAY);
            ASSERT_EQ(j.status, 0);
            const std::string what = std::to_string(kbps) + (mono ? " mono" : " stereo");
            FrameWalk w = walkFrames(readBytes(j.mp3Path));
            EXPECT_EQ(w.tagBytes, 0u) << what;
            EXPECT_GE(w.frames, 58) << what;  // 1.5 s at 44100 Hz is 57.4 frames of 1152
            EXPECT_TRUE(w.endsOnFrame) << what;
            EXPECT_EQ(w.bitRates, std::set<int>{kbps}) << what;
            EXPECT_EQ(w.sampleRates, std::set<int>{44100}) << what;
            EXPECT_EQ(w.channelModes, std::set<int>{mono ? 3 : 1}) << what;
            EXPECT_FALSE(w.infoHeader) << what;
            EXPECT_FALSE(w.crc) << what;
            EXPECT_TRUE(w.original) << what;
            if ((kbps == 256 && !mono) || (kbps == 64 && mono)) {
                const std::string probe = toolOutput(
                    "ffprobe -v error -show_entries stream=sample_rate,channels,bit_rate "
                    "-of default=noprint_wrappers=1 " +
                    testsupport::shellQuoted(j.mp3Path));
                EXPECT_NE(probe.find("sample_rate=44100"), std::string::npos) << probe;
                EXPECT_NE(probe.find(std::string("channels=") + (mono ? "1" : "2")), std::string::npos)
                    << probe;
                EXPECT_NE(probe.find("bit_rate=" + std::to_string(kbps * 1000)), std::string::npos) << probe;
            }

            // Decoded back to 48 kHz and compared with the source after the gain.
            const int channels = mono ? 1 : 2;
            Samples reference;
            for (size_t i = 0; i < stereo48.size(); i += 2) {
                if (mono) {
                    reference.push_back(static_cast<int16_t>((stereo48[i] + stereo48[i + 1]) / 2));
                } else {
                    reference.push_back(stereo48[i]);
                    reference.push_back(stereo48[i + 1]);
                }
            }
            std::string errors;
            Match m = bestMatch(reference, decode(j.mp3Path, 48000, channels, &errors), channels);
            EXPECT_EQ(errors, "") << what;
            EXPECT_GT(m.correlation, kbps >= 128 ? 0.99 : 0.97) << what;
            const double expectedRatio =
                mono ? 32767.0 /
                           [&] {
                               int16_t p = 0;
                               for (int16_t s : reference)
                                   p = std::max<int16_t>(p, static_cast<int16_t>(std::abs(s)));
                               return static_cast<double>(p);
                           }()
                     : gain;
            // The level after the gain; the encoder itself gives up to 5 per cent of these tones.
            EXPECT_NEAR(m.amplitudeRatio, expectedRatio, 0.08 * expectedRatio) << what;
        }
    }
    const std::string mpg123 =
        toolOutput("mpg123 -t -v " + testsupport::shellQuoted(dir.file("out.mp3")) + " 2>&1");
    EXPECT_NE(mpg123.find("cbr320"), std::string::npos) << mpg123;
}

TEST_F(Mp3Run, RealEncoderWith44100AndMonoSources) {
    writeCacheWav(dir.file("track.wav"), 44100, 2, tones(44100, 2, 1.5, 12000), 0);
    for (int kbps : {64, 96, 128, 192, 256, 320}) {
        auto j = job(TOBREL_ENCODER_PATH);
        j.bitRate = kbps;
        ASSERT_EQ(sndDevicesWavToMP3(context, j), OKAY);
        ASSERT_EQ(j.status, 0);
        FrameWalk w = walkFrames(readBytes(j.mp3Path));
        ASSERT_EQ(w.sampleRates.size(), 1u) << kbps;
        // At 128 kbit/s and above the rate is kept; below it the encoder may choose a lower one.
        if (kbps >= 128) {
            EXPECT_EQ(*w.sampleRates.begin(), 44100) << kbps;
        } else {
            EXPECT_LE(*w.sampleRates.begin(), 44100) << kbps;
        }
        EXPECT_EQ(w.bitRates, std::set<int>{kbps});
        if (kbps == 64 || kbps == 320) {
            EXPECT_EQ(decodeErrors(j.mp3Path), "") << kbps;
        }
    }

    const Samples mono = tones(44100, 1, 1.5, 12000);
    writeCacheWav(dir.file("track.wav"), 44100, 1, mono, 0);
    auto j = job(TOBREL_ENCODER_PATH);
    j.bitRate = 128;
    ASSERT_EQ(sndDevicesWavToMP3(context, j), OKAY);
    ASSERT_EQ(j.status, 0);
    FrameWalk w = walkFrames(readBytes(j.mp3Path));
    EXPECT_EQ(w.channelModes, std::set<int>{3});
    EXPECT_EQ(w.sampleRates, std::set<int>{44100});
    EXPECT_GT(bestMatch(mono, decode(j.mp3Path, 44100, 1), 1).correlation, 0.99);
}

TEST_F(Mp3Run, ScrambledAndPlainSourcesGiveTheSameMp3) {
    const Samples s = tones(48000, 2, 1.0, 9000);
    writeCacheWav(dir.file("track.tmp"), 48000, 2, s, kKey);
    writeCacheWav(dir.file("track.wav"), 48000, 2, s, 0);
    auto scrambled = job(TOBREL_ENCODER_PATH, kKey);
    auto plain = job(TOBREL_ENCODER_PATH, 0);
    scrambled.mp3Path = dir.file("a.mp3");
    plain.mp3Path = dir.file("b.mp3");
    ASSERT_EQ(sndDevicesWavToMP3(context, scrambled), OKAY);
    ASSERT_EQ(sndDevicesWavToMP3(context, plain), OKAY);
    ASSERT_EQ(scrambled.status, 0);
    ASSERT_EQ(plain.status, 0);
    Bytes a = readBytes(scrambled.mp3Path);
    EXPECT_GT(a.size(), 10000u);
    EXPECT_EQ(a, readBytes(plain.mp3Path));
}

TEST_F(Mp3Run, TagLeadsTheStreamOnlyWhenATextIsGiven) {
    writeCacheWav(dir.file("track.wav"), 48000, 2, tones(48000, 2, 0.5, 9000), 0);
    auto j = job(TOBREL_ENCODER_PATH);
    ASSERT_EQ(sndDevicesWavToMP3(context, j), OKAY);
    Bytes bare = readBytes(j.mp3Path);
    ASSERT_GE(bare.size(), 2u);
    EXPECT_EQ(bare[0], 0xFF);
    EXPECT_EQ(bare[1] & 0xE0, 0xE0);

    j.title = "abc";
    ASSERT_EQ(sndDevicesWavToMP3(context, j), OKAY);
    Bytes tagged = readBytes(j.mp3Path);
    ASSERT_EQ(tagged.size(), bare.size() + 29);
    EXPECT_EQ(Bytes(tagged.begin() + 29, tagged.end()), bare);
}
