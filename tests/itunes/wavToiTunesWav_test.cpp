// The plain WAV handed to iTunes, checked with sox: the format of a mixed-down
// track, the plain samples of a scrambled one, the encoder's gain, and the
// statuses of tracks it cannot take.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "mp3TestSupport.h"
#include "report.h"
#include "sndDevicesContext.h"
#include "sndDevicesWavToiTunesWav.h"

using namespace mp3test;
using testsupport::shellQuoted;
using testsupport::toolOutput;
namespace fs = std::filesystem;

namespace {

constexpr uint16_t kKey = 14940;
const char* const kBase = "1700000000_1500_424242";

std::string soxi(const char* option, const std::string& wav) {
    std::string out = toolOutput(std::string("soxi ") + option + " " + shellQuoted(wav));
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

// The samples of a WAV as sox reads them.
Samples soxSamples(const std::string& wav) {
    return fromBytes(toolOutput("sox " + shellQuoted(wav) + " -t raw -e signed -b 16 -L -"));
}

uint32_t le32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

class WavToiTunesWav : public ::testing::Test {
  protected:
    WavToiTunesWav() {
        sndDevicesSettingsChange(context, [&](sndDevicesSettings& s) { s.cacheFolder = dir.str(); });
    }
    std::string out() const { return dir.file("out/TobrelDecrypted.wav"); }
    int convert(bool mono, bool normalise, uint16_t key, int32_t& durationMs, int& status) {
        fs::create_directories(dir.file("out"));
        return sndDevicesWavToiTunesWav(context, mono, normalise, key, kBase, out(), durationMs, status);
    }
    testsupport::TempDir dir;
    sndDevicesContext context;
};

TEST_F(WavToiTunesWav, MonoMixDownOfAScrambledTrack) {
    const Samples stereo = tones(48000, 2, 1.5, 12000);
    writeCacheWav(dir.file(std::string(kBase) + ".tmp"), 48000, 2, stereo, kKey);
    int32_t durationMs = 0;
    int status = 1;
    ASSERT_EQ(convert(true, false, kKey, durationMs, status), OKAY);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(durationMs, 1500);
    EXPECT_EQ(soxi("-c", out()), "1");
    EXPECT_EQ(soxi("-r", out()), "48000");
    EXPECT_EQ(soxi("-b", out()), "16");
    EXPECT_EQ(soxi("-s", out()), "72000");
    const Bytes header = testsupport::readBytes(out());
    ASSERT_GE(header.size(), 36u);
    EXPECT_EQ(le32(header, 28), 96000u);           // byte rate: twice the sample rate
    EXPECT_EQ(header[32] | (header[33] << 8), 2);  // block align
    const Samples mono = soxSamples(out());
    ASSERT_EQ(mono.size(), stereo.size() / 2);
    for (size_t i = 0; i < mono.size(); ++i)
        ASSERT_EQ(mono[i], static_cast<int16_t>((stereo[2 * i] + stereo[2 * i + 1]) / 2)) << i;
}

TEST_F(WavToiTunesWav, StereoTracksBecomeThePlainSamples) {
    const struct {
        uint16_t key;
        uint32_t rate;
        const char* extension;
    } cases[] = {{kKey, 44100, "tmp"}, {0, 48000, "wav"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        const Samples stereo = tones(c.rate, 2, 1.0, 9000);
        writeCacheWav(dir.file(std::string(kBase) + "." + c.extension), c.rate, 2, stereo, c.key);
        int32_t durationMs = 0;
        int status = 1;
        ASSERT_EQ(convert(false, false, c.key, durationMs, status), OKAY);
        ASSERT_EQ(status, 0);
        EXPECT_EQ(soxi("-c", out()), "2");
        EXPECT_EQ(soxi("-r", out()), std::to_string(c.rate));
        EXPECT_EQ(soxSamples(out()), stereo);
        EXPECT_EQ(durationMs, 1000);
    }
}

// The same level rule as the encoder: a quiet track is raised up to 20 times.
TEST_F(WavToiTunesWav, NormalisedLikeTheEncoder) {
    const struct {
        double peak;
        double gain;
    } cases[] = {{1000, 20.0}, {16384, 32767.0 / 16384}, {32767, 1.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.peak);
        Samples stereo = tones(44100, 2, 0.5, c.peak);
        stereo[10] = static_cast<int16_t>(c.peak);  // the exact peak
        stereo[11] = static_cast<int16_t>(c.peak);
        writeCacheWav(dir.file(std::string(kBase) + ".tmp"), 44100, 2, stereo, kKey);
        int32_t durationMs = 0;
        int status = 1;
        ASSERT_EQ(convert(false, true, kKey, durationMs, status), OKAY);
        ASSERT_EQ(status, 0);
        const Samples raised = soxSamples(out());
        ASSERT_EQ(raised.size(), stereo.size());
        for (size_t i = 0; i < raised.size(); ++i)
            ASSERT_EQ(raised[i], static_cast<int16_t>(std::trunc(stereo[i] * c.gain))) << i;
    }
}

TEST_F(WavToiTunesWav, TracksItCannotTake) {
    const struct {
        const char* name;
        uint32_t rate;
        uint16_t channels;
        bool write;
        bool outputFolder;
        int status;
    } cases[] = {
        {"no such track", 44100, 2, false, true, -4},
        {"22050 Hz", 22050, 2, true, true, -8},
        {"four channels", 44100, 4, true, true, -8},
        {"output folder missing", 44100, 2, true, false, -4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReportRecorder reports;
        fs::remove_all(dir.file("out"));
        fs::remove(dir.file(std::string(kBase) + ".tmp"));
        if (c.write)
            writeCacheWav(dir.file(std::string(kBase) + ".tmp"), c.rate, c.channels,
                          Samples(c.channels * 100, 5), kKey);
        if (c.outputFolder) fs::create_directories(dir.file("out"));
        int32_t durationMs = 7;
        int status = 0;
        ASSERT_EQ(sndDevicesWavToiTunesWav(context, false, true, kKey, kBase, out(), durationMs, status),
                  OKAY);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(durationMs, 0);
        EXPECT_FALSE(fs::exists(out()));
        EXPECT_EQ(reports.count(), 0u);
    }
}

}  // namespace
