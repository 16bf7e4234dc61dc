// The recorder program end to end: the real `tobrel` under Xvfb, recording
// from and playing to a private PulseAudio server, driven by real X pointer
// events (the XTEST extension) at the skin's hotspots.
//
// Two songs are played to the default output and recorded; the first track
// is clicked in the list and played (its tone is heard on the output's
// monitor, and nothing new is recorded meanwhile), paused (the monitor goes
// quiet), dragged to three quarters (the tone of its second half is heard)
// and skipped to the next track (the second song's tone). Screenshots of the
// window idle, recording and playing are left in the build tree under
// test-artifacts/recorderWindowE2E.
#include <gtest/gtest.h>

#include <QImage>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <regex>
#include <thread>

#include "programProfile.h"
#include "pulseFixture.h"
#include "recorderMainSkin.h"
#include "report.h"
#include "skin.h"
#include "testsupport.h"
#include "xSession.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

bool screenshot(const std::string& display, const std::string& name) {
    return xScreenshot(display, xArtifactsFolder("recorderWindowE2E") + "/" + name + ".png");
}

// Kept tracks in the cache folder (start_length_random.tmp).
int keptTracks(const std::string& cache) {
    static const std::regex name(R"(\d+_\d+_\d+\.tmp)");
    int n = 0;
    for (const auto& entry : fs::directory_iterator(cache))
        if (std::regex_match(entry.path().filename().string(), name)) ++n;
    return n;
}

// Bytes of the recording in progress (0 when there is none).
uintmax_t recordingBytes(const std::string& cache) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(cache + "/sdrtfn.tmp", ec);
    return ec ? 0 : size;
}

// The middle of the bright pixels of row y between x0 and x1 (a knob on its
// dark track), or -1.
int brightCentre(const std::string& png, int x0, int x1, int y) {
    const QImage image(QString::fromStdString(png));
    long sum = 0, count = 0;
    for (int x = std::max(0, x0); x <= x1 && x < image.width(); ++x) {
        if (qGray(image.pixel(x, y)) > 200) {
            sum += x;
            ++count;
        }
    }
    return count > 0 ? static_cast<int>(sum / count) : -1;
}

struct Heard {
    double rms = 0.0;
    double hz = 0.0;
};

// Records `ms` of the speakers' monitor (mono 16-bit at 48 kHz) and measures
// its level and, from the zero crossings of the sounding part, its pitch.
Heard listen(int ms) {
    testsupport::TempDir dir;
    const std::string raw = dir.file("monitor.raw");
    const pid_t parec = pulsefixture::spawnProgram(
        {"parec", "--device=" + std::string(pulsefixture::kSpeakersSink) + ".monitor", "--raw",
         "--format=s16le", "--rate=48000", "--channels=1", "--latency-msec=10", "--file-format=raw", raw});
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    ::kill(parec, SIGTERM);
    pulsefixture::waitProgram(parec);
    const std::vector<unsigned char> bytes = testsupport::readBytes(raw);
    Heard heard;
    const size_t n = bytes.size() / 2;
    if (n == 0) return heard;
    std::vector<double> s(n);
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)) / 32768.0;
    double sum = 0.0;
    size_t crossings = 0, sounding = 0;
    for (size_t i = 0; i < n; ++i) {
        sum += s[i] * s[i];
        if (std::fabs(s[i]) > 0.0 || (i > 0 && std::fabs(s[i - 1]) > 0.0)) ++sounding;
        if (i > 0 && ((s[i - 1] < 0.0) != (s[i] < 0.0)) && std::fabs(s[i - 1] - s[i]) > 0.01) ++crossings;
    }
    heard.rms = std::sqrt(sum / n);
    heard.hz = sounding > 0 ? crossings / 2.0 / (sounding / 48000.0) : 0.0;
    return heard;
}

TEST(recorderWindowE2E, RecordTwoSongsThenPlayPauseSeekAndNextThroughTheWindow) {
    for (const char* tool : {"Xvfb", "import", "parec", "paplay", "pactl", "pulseaudio", "sqlite3"})
        if (pulsefixture::runProgram({"sh", "-c", std::string("command -v ") + tool + " >/dev/null"}) != 0)
            GTEST_SKIP() << tool << " is missing";
    // A scratch profile and machine settings, as the installer leaves them.
    ProgramProfile profile;
    ASSERT_TRUE(profile.ok);
    const std::string& documents = profile.documents;
    const std::string& cache = profile.cache;

    // Where the skin puts things.
    std::unique_ptr<Skin> skin;
    ASSERT_EQ(recorderInitMainSkin(testsupport::sourceDir() + "/Skins", nullptr, nullptr, {}, skin), OKAY);
    ASSERT_TRUE(skin);
    auto centre = [&](int key) {
        int enabled = 0, l = 0, t = 0, r = 0, b = 0;
        skinHotspotGet(skin.get(), key, enabled, l, t, r, b);
        return std::pair<int, int>((l + r) / 2, (t + b) / 2);
    };
    int listLeft = 0, listTop = 0, listRight = 0, listBottom = 0;
    ASSERT_EQ(skinTextGetRect(skin.get(), kSkinTextTrackList, listLeft, listTop, listRight, listBottom),
              OKAY);
    int knobMinX = 0, knobMaxX = 0, knobY = 0;
    ASSERT_EQ(skinSliderValueToX(skin.get(), kSkinSliderPosition, 0.0f, knobMinX), OKAY);
    ASSERT_EQ(skinSliderValueToX(skin.get(), kSkinSliderPosition, 1.0f, knobMaxX), OKAY);
    for (const SkinSlider& s : skin->sliders)
        if (s.key == kSkinSliderPosition) knobY = s.track.top + s.track.height() / 2;

    // The songs: a 6-second one whose second half is higher, and a 4-second one.
    testsupport::TempDir songs;
    ASSERT_TRUE(pulsefixture::writeSignal(songs.file("one.wav"), 48000, {{440, 3000}, {550, 3000}}));
    ASSERT_TRUE(pulsefixture::writeSignal(songs.file("two.wav"), 48000, {{660, 4000}}));

    pulsefixture::PulseServer server;
    ASSERT_TRUE(server.started());

    XvfbDisplay xvfb;
    ASSERT_FALSE(xvfb.name().empty()) << "Xvfb did not start";
    const std::string display = xvfb.name();
    XTest x;
    for (int i = 0; i < 100 && !x.open(display); ++i) std::this_thread::sleep_for(50ms);
    ASSERT_NE(x.display, nullptr) << "no X display " << display;

    testsupport::ScopedEnv displayEnv("DISPLAY", display);
    testsupport::ScopedEnv platformEnv("QT_QPA_PLATFORM", "xcb");
    const std::string program = testsupport::binaryDir() + "/Mains/recorder/tobrel";
    const pid_t app = pulsefixture::spawnProgram({program});
    ASSERT_GT(app, 0);
    ScopedProcess reapApp{app};
    // Up and armed: the start-up's last trace line comes after record mode.
    ASSERT_TRUE(xWaitFor([&] { return profile.traced("recorderInit: Success"); }))
        << "the recorder did not start";
    ASSERT_EQ(::waitpid(app, nullptr, WNOHANG), 0) << "the recorder ended";
    ASSERT_TRUE(screenshot(display, "1-started"));

    // Record two songs, the first cut from the second by the silence between them.
    const pid_t first = pulsefixture::playAsync(songs.file("one.wav"));
    const uintmax_t pastTwoSeconds = 56 + 48000 * 4 * 2300 / 1000;  // the indicator lights after 2 s
    ASSERT_TRUE(xWaitFor([&] { return recordingBytes(cache) > pastTwoSeconds; })) << "nothing is recorded";
    ASSERT_TRUE(screenshot(display, "2-recording"));
    pulsefixture::waitProgram(first);
    ASSERT_TRUE(xWaitFor([&] { return keptTracks(cache) == 1; })) << "the first song was not kept";
    ASSERT_EQ(pulsefixture::play(songs.file("two.wav")), 0);
    ASSERT_TRUE(xWaitFor([&] { return keptTracks(cache) == 2; })) << "the second song was not kept";
    ASSERT_TRUE(xWaitFor([&] { return profile.cachedTracks() == 2; })) << "the list did not take both in";
    x.move(5, 5);
    ASSERT_TRUE(screenshot(display, "3-idle-two-tracks"));

    // Click the first track, then play: its first tone is heard, and nothing
    // is recorded from it.
    x.click((listLeft + listRight) / 2, listTop + 25);
    auto [playX, playY] = centre(kSkinHotPlayPause);
    x.click(playX, playY);
    ASSERT_TRUE(xWaitFor(xSoundPlaying)) << "the track does not play";
    Heard heard = listen(1200);
    EXPECT_GT(heard.rms, 0.1);
    EXPECT_NEAR(heard.hz, 440.0, 25.0);
    x.move(5, 5);  // the pause image, without the play button's hover image over it
    ASSERT_TRUE(screenshot(display, "4-playing"));

    // Pause: quiet.
    x.click(playX, playY);
    ASSERT_TRUE(xWaitFor([] { return !xSoundPlaying(); })) << "the track goes on playing";
    heard = listen(600);
    EXPECT_LT(heard.rms, 0.01);

    // The knob dragged to three quarters and let go below the window: the
    // second tone. The knob is found where the screen shows it.
    x.move(5, 5);
    ASSERT_TRUE(screenshot(display, "5-paused"));
    const int knobX = brightCentre(xArtifactsFolder("recorderWindowE2E") + "/5-paused.png", knobMinX - 8,
                                   knobMaxX + 8, knobY);
    ASSERT_GE(knobX, knobMinX);
    x.move(knobX, knobY);
    x.button(true);
    const int target = knobMinX + (knobMaxX - knobMinX) * 3 / 4;
    x.move((knobX + target) / 2, knobY);
    x.move(target, knobY + 200);
    x.button(false);
    x.click(playX, playY);
    ASSERT_TRUE(xWaitFor(xSoundPlaying)) << "the track does not play";
    heard = listen(1000);
    EXPECT_GT(heard.rms, 0.1);
    EXPECT_NEAR(heard.hz, 550.0, 25.0);
    const std::string trace = testsupport::readText(documents + "/trace_messages.txt");
    EXPECT_NE(trace.find("recorderPlayPositionSliderMoved(): r_new_relative_slider_value = 0.7"),
              std::string::npos);

    // Next: the second song.
    auto [nextX, nextY] = centre(kSkinHotNext);
    x.click(nextX, nextY);
    heard = listen(1200);
    EXPECT_GT(heard.rms, 0.1);
    EXPECT_NEAR(heard.hz, 660.0, 25.0);
    x.move(5, 5);
    ASSERT_TRUE(screenshot(display, "6-playing-next"));

    // Record mode was off while tracks played.
    EXPECT_EQ(keptTracks(cache), 2);
    ASSERT_EQ(::waitpid(app, nullptr, WNOHANG), 0) << "the recorder ended";
}

}  // namespace
