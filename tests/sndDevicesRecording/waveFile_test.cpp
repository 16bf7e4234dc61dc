// Cache audio files: the header layout byte for byte, what a reader makes of
// closed, unclosed and damaged files, the statuses, and a check of a written
// file by sox, a reader we did not write.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "CsndDevicesWaveFile.h"
#include "testsupport.h"

using testsupport::readBytes;
using testsupport::TempDir;
using testsupport::writeBytes;

namespace {

uint32_t le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// The 56 header bytes the layout prescribes for 16-bit stereo at `rate`.
std::vector<unsigned char> expectedHeader(uint32_t rate, uint32_t dataSize, uint32_t riffSize,
                                          uint32_t fact) {
    std::vector<unsigned char> h;
    h.reserve(56);
    auto text = [&](const char* s) {
        for (int i = 0; i < 4; ++i) h.push_back(static_cast<unsigned char>(s[i]));
    };
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) h.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    auto u16 = [&](uint16_t v) {
        h.push_back(v & 0xFF);
        h.push_back(v >> 8);
    };
    text("RIFF");
    u32(riffSize);
    text("WAVE");
    text("fmt ");
    u32(16);
    u16(1);
    u16(2);
    u32(rate);
    u32(rate * 4);
    u16(4);
    u16(16);
    text("fact");
    u32(4);
    u32(fact);
    text("data");
    u32(dataSize);
    return h;
}

std::vector<int16_t> ramp(size_t samples) {
    std::vector<int16_t> v(samples);
    for (size_t i = 0; i < samples; ++i) v[i] = static_cast<int16_t>(i * 7 - 30000);
    return v;
}

int32_t writeFile(const std::string& path, uint32_t rate, const std::vector<int16_t>& samples) {
    CsndDevicesWaveFile w;
    const AudioFormat f = audioPcm16Format(2, rate);
    if (int32_t s = w.open(path, &f, kWaveModeWrite); s != kWaveSOk) return s;
    uint32_t written = 0;
    if (int32_t s = w.write(static_cast<uint32_t>(samples.size() * 2), samples.data(), &written);
        s != kWaveSOk)
        return s;
    return w.close();
}

std::string run(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (p == nullptr) return out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
    return out;
}

}  // namespace

TEST(WaveFile, OneSecondAt44100IsLaidOutByteForByte) {
    TempDir dir;
    const std::string path = dir.file("one.wav");
    const auto samples = ramp(44100 * 2);
    ASSERT_EQ(kWaveSOk, writeFile(path, 44100, samples));

    const auto bytes = readBytes(path);
    ASSERT_EQ(176456u, bytes.size());
    const auto header = expectedHeader(44100, 176400, 176400 + 48, 0);
    EXPECT_EQ(header, std::vector<unsigned char>(bytes.begin(), bytes.begin() + 56));
    EXPECT_EQ(0, std::memcmp(bytes.data() + 56, samples.data(), 176400));
}

TEST(WaveFile, UnclosedWriterLeavesSizesZeroAndReadsAsEmpty) {
    TempDir dir;
    const std::string path = dir.file("open.wav");
    const auto samples = ramp(48000 * 2);  // more than the I/O buffer, so some reaches the file
    {
        CsndDevicesWaveFile w;
        const AudioFormat f = audioPcm16Format(2, 48000);
        ASSERT_EQ(kWaveSOk, w.open(path, &f, kWaveModeWrite));
        uint32_t written = 0;
        ASSERT_EQ(kWaveSOk, w.write(static_cast<uint32_t>(samples.size() * 2), samples.data(), &written));
        EXPECT_EQ(samples.size() * 2, written);
        const auto bytes = readBytes(path);
        ASSERT_GE(bytes.size(), 56u);
        EXPECT_EQ(expectedHeader(48000, 0, 0, 0xFFFFFFFFu),
                  std::vector<unsigned char>(bytes.begin(), bytes.begin() + 56));
        w.abandon();  // the program ended while recording
    }
    CsndDevicesWaveFile r;
    ASSERT_EQ(kWaveSOk, r.open(path, nullptr, kWaveModeRead));
    EXPECT_EQ(0u, r.dataSize());
    char b[8];
    uint32_t got = 99;
    EXPECT_EQ(kWaveSOk, r.read(b, sizeof b, &got));
    EXPECT_EQ(0u, got);
}

TEST(WaveFile, ReaderReadsOddPiecesStopsAtTheEndAndRewinds) {
    TempDir dir;
    const std::string path = dir.file("r.wav");
    const auto samples = ramp(40000 * 2);  // 160000 bytes: crosses I/O buffer refills
    ASSERT_EQ(kWaveSOk, writeFile(path, 48000, samples));

    CsndDevicesWaveFile r;
    ASSERT_EQ(kWaveSOk, r.open(path, nullptr, kWaveModeRead));
    EXPECT_EQ(160000u, r.dataSize());
    ASSERT_NE(nullptr, r.format());
    EXPECT_EQ(audioPcm16Format(2, 48000), *r.format());

    std::vector<unsigned char> all;
    std::vector<unsigned char> piece(7777);
    uint32_t got = 0;
    do {
        ASSERT_EQ(kWaveSOk, r.read(piece.data(), static_cast<uint32_t>(piece.size()), &got));
        all.insert(all.end(), piece.begin(), piece.begin() + got);
    } while (got > 0);
    ASSERT_EQ(160000u, all.size());
    EXPECT_EQ(0, std::memcmp(all.data(), samples.data(), all.size()));
    EXPECT_EQ(kWaveSOk, r.read(piece.data(), 1, &got));  // past the end: success, nothing
    EXPECT_EQ(0u, got);

    ASSERT_EQ(kWaveSOk, r.resetToData());
    unsigned char three[3];
    ASSERT_EQ(kWaveSOk, r.read(three, 3, &got));
    EXPECT_EQ(3u, got);
    EXPECT_EQ(0, std::memcmp(three, samples.data(), 3));
    EXPECT_EQ(kWaveSOk, r.close());
    EXPECT_EQ(kWaveCoENotInitialized, r.close());
}

TEST(WaveFile, OddDataIsPaddedAndCountedInTheRiffSize) {
    TempDir dir;
    const std::string path = dir.file("odd.wav");
    CsndDevicesWaveFile w;
    const AudioFormat f = audioPcm16Format(2, 44100);
    ASSERT_EQ(kWaveSOk, w.open(path, &f, kWaveModeWrite));
    const unsigned char data[5] = {1, 2, 3, 4, 5};
    uint32_t written = 0;
    ASSERT_EQ(kWaveSOk, w.write(5, data, &written));
    ASSERT_EQ(kWaveSOk, w.close());
    const auto bytes = readBytes(path);
    ASSERT_EQ(56u + 6u, bytes.size());
    EXPECT_EQ(5u, le32(bytes, 52));
    EXPECT_EQ(54u, le32(bytes, 4));
    EXPECT_EQ(0, bytes[61]);
}

TEST(WaveFile, StatusesOfMisuseAndDamagedFiles) {
    TempDir dir;
    const std::string good = dir.file("good.wav");
    ASSERT_EQ(kWaveSOk, writeFile(good, 44100, ramp(400)));
    const auto goodBytes = readBytes(good);
    auto damaged = [&](const std::string& name, std::vector<unsigned char> bytes) {
        writeBytes(dir.file(name), bytes);
        return dir.file(name);
    };
    auto withId = [&](size_t at, const char* id) {
        auto b = goodBytes;
        std::memcpy(b.data() + at, id, 4);
        return b;
    };
    std::vector<unsigned char> shortData = goodBytes;
    shortData[52] = 0xFF;  // claims more data than the file holds

    struct Case {
        const char* what;
        std::string path;
        int32_t open;
    };
    const Case cases[] = {
        {"no such file", dir.file("missing.wav"), kWaveEFail},
        {"empty path", "", kWaveEInvalidArg},
        {"not RIFF", damaged("a.wav", withId(0, "RIFX")), kWaveEFail},
        {"not WAVE", damaged("b.wav", withId(8, "AVI ")), kWaveEFail},
        {"no fmt chunk", damaged("c.wav", withId(12, "junk")), kWaveEFail},
        {"no data chunk", damaged("d.wav", withId(48, "list")), kWaveEFail},
        {"too short", damaged("e.wav", std::vector<unsigned char>(goodBytes.begin(), goodBytes.begin() + 30)),
         kWaveEFail},
    };
    for (const Case& c : cases) {
        CsndDevicesWaveFile r;
        EXPECT_EQ(c.open, r.open(c.path, nullptr, kWaveModeRead)) << c.what;
        EXPECT_FALSE(r.isOpen()) << c.what;
    }

    CsndDevicesWaveFile r;
    char b[4];
    uint32_t got = 0;
    EXPECT_EQ(kWaveCoENotInitialized, r.read(b, 4, &got));
    EXPECT_EQ(kWaveCoENotInitialized, r.write(4, b, &got));
    EXPECT_EQ(kWaveCoENotInitialized, r.close());
    EXPECT_EQ(kWaveEInvalidArg, r.open(good, nullptr, kWaveModeWrite));  // a writer needs a format
    ASSERT_EQ(kWaveSOk, r.open(damaged("f.wav", shortData), nullptr, kWaveModeRead));
    EXPECT_EQ(kWaveEInvalidArg, r.read(nullptr, 4, &got));
    EXPECT_EQ(kWaveEInvalidArg, r.read(b, 4, nullptr));
    std::vector<char> big(2000);
    EXPECT_EQ(kWaveEFail, r.read(big.data(), 2000, &got));  // the file ends before its data does
}

TEST(WaveFile, SoxReadsAPlainFileAs16BitStereoOfTheRightLength) {
    TempDir dir;
    const std::string path = dir.file("plain.wav");
    const auto samples = ramp(48000 * 2 * 3 / 2);  // 1.5 s
    ASSERT_EQ(kWaveSOk, writeFile(path, 48000, samples));

    EXPECT_EQ("2\n", run("soxi -c '" + path + "'"));
    EXPECT_EQ("48000\n", run("soxi -r '" + path + "'"));
    EXPECT_EQ("16\n", run("soxi -b '" + path + "'"));
    EXPECT_EQ("72000\n", run("soxi -s '" + path + "'"));
    EXPECT_EQ("Signed Integer PCM\n", run("soxi -e '" + path + "'"));
    const std::string raw = dir.file("plain.raw");
    ASSERT_EQ("", run("sox '" + path + "' -t raw '" + raw + "' 2>&1"));
    const auto decoded = readBytes(raw);
    ASSERT_EQ(samples.size() * 2, decoded.size());
    EXPECT_EQ(0, std::memcmp(decoded.data(), samples.data(), decoded.size()));
}
