// The YouTube Wizard end to end: the real `tobrel` under Xvfb with a private
// PulseAudio server, its web service address pointed at a local server whose
// wizard page announces two songs while the test plays each to the default
// output. The two recordings must become two tracks named after their songs,
// marked in cache.db as named by the wizard, and the page's save button must
// reach the save of the wizard's tracks. Screenshots of the main window with
// the wizard beside it are left under test-artifacts/wizardE2E.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "httpTestServer.h"
#include "programProfile.h"
#include "pulseFixture.h"
#include "recorderMainSkin.h"
#include "regWithoutKeyname.h"
#include "report.h"
#include "skin.h"
#include "testsupport.h"
#include "xSession.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The page polls /step; each new step is one message, clicked on its element.
// Until the first step it keeps saying that it has loaded.
constexpr const char* kWizardPage = R"HTML(<!DOCTYPE html>
<html><body style="font-family: sans-serif; background: #f4f4f4">
<h3>YouTube Wizard (test page)</h3>
<p id="now">Waiting for a band...</p>
<div id="app_command_1" class="app_command"></div>
<script>
var seen = 0;
function send(message) {
  var e = document.getElementById('app_command_1');
  e.className = message;
  e.click();
  e.className = 'app_command';
}
function poll() {
  fetch('/step', {cache: 'no-store'}).then(function (r) { return r.text(); }).then(function (t) {
    var bar = t.indexOf('|'), serial = parseInt(t.substring(0, bar)) || 0;
    if (serial === 0) send('message^7^loaded');
    if (serial > seen) {
      seen = serial;
      var message = t.substring(bar + 1);
      var parts = message.split('^');
      if (parts[1] === '1') document.getElementById('now').textContent = 'Now playing: ' + parts[3] + ' by ' + parts[2];
      if (parts[1] === '2') document.getElementById('now').textContent = 'Done.';
      send(message);
    }
  }).catch(function () {}).then(function () { setTimeout(poll, 200); });
}
function reset() {}
function stopYouTubePlayback() {}
function hideFinalStep() {}
poll();
</script></body></html>)HTML";

// Bytes of the recording in progress (0 when there is none).
uintmax_t recordingBytes(const std::string& cache) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(cache + "/sdrtfn.tmp", ec);
    return ec ? 0 : size;
}

TEST(wizardE2E, TwoAnnouncedSongsBecomeTwoNamedTracks) {
    for (const char* tool : {"Xvfb", "import", "paplay", "pulseaudio", "sqlite3"})
        if (pulsefixture::runProgram({"sh", "-c", std::string("command -v ") + tool + " >/dev/null"}) != 0)
            GTEST_SKIP() << tool << " is missing";
    httptest::Server web;
    ASSERT_GT(web.port(), 0);
    web.serve("/services/mrd", {200, kWizardPage, httptest::kHtml});
    web.serve("/step", {200, "0|", "text/plain"});

    // A scratch profile with the web service here.
    ProgramProfile profile;
    ASSERT_TRUE(profile.ok);
    ASSERT_EQ(regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\web_service_address",
                                     web.base()),
              OKAY);
    const std::string& cache = profile.cache;

    std::unique_ptr<Skin> skin;
    ASSERT_EQ(recorderInitMainSkin(testsupport::sourceDir() + "/Skins", nullptr, nullptr, {}, skin), OKAY);
    int enabled = 0, l = 0, t = 0, r = 0, b = 0;
    ASSERT_EQ(skinHotspotGet(skin.get(), kSkinHotFindSongs, enabled, l, t, r, b), OKAY);

    // Two songs of three seconds, told apart by their pitch.
    testsupport::TempDir songs;
    ASSERT_TRUE(pulsefixture::writeSignal(songs.file("one.wav"), 48000, {{440, 3000}}));
    ASSERT_TRUE(pulsefixture::writeSignal(songs.file("two.wav"), 48000, {{660, 3000}}));
    pulsefixture::PulseServer sound;
    ASSERT_TRUE(sound.started());

    XvfbDisplay xvfb("1280x800x24");
    ASSERT_FALSE(xvfb.name().empty()) << "Xvfb did not start";
    XTest x;
    for (int i = 0; i < 100 && !x.open(xvfb.name()); ++i) std::this_thread::sleep_for(50ms);
    ASSERT_NE(x.display, nullptr) << "no X display " << xvfb.name();

    testsupport::ScopedEnv displayEnv("DISPLAY", xvfb.name());
    testsupport::ScopedEnv platformEnv("QT_QPA_PLATFORM", "xcb");
    // As root the web engine's sandbox cannot start.
    testsupport::ScopedEnv sandboxEnv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    const pid_t app = pulsefixture::spawnProgram({testsupport::binaryDir() + "/Mains/recorder/tobrel"});
    ASSERT_GT(app, 0);
    ScopedProcess reapApp{app};
    ASSERT_TRUE(xWaitFor([&] { return profile.traced("recorderInit: Success") == 1; }, 30000));

    // The find-songs button opens the wizard; its page loads and says so.
    x.click((l + r) / 2, (t + b) / 2);
    ASSERT_TRUE(xWaitFor([&] { return profile.traced("BROWSER_MESSAGE_ID_WEB_PAGE_LOADED") > 0; }, 60000))
        << "the wizard's page did not load";
    x.move(1270, 790);
    EXPECT_TRUE(xScreenshot(xvfb.name(), xArtifactsFolder("wizardE2E") + "/1-wizard-open.png"));

    // Song One is announced, then plays.
    const std::string started = "recorderDlgFindSongsBrowserSongStarted(): Done";
    web.serve("/step", {200, "1|message^1^Artist A^Song One", "text/plain"});
    ASSERT_TRUE(xWaitFor([&] { return profile.traced(started) == 1; }, 20000));
    const pid_t one = pulsefixture::playAsync(songs.file("one.wav"));
    // A second and a half into the song: 48000 frames of 4 bytes a second.
    EXPECT_TRUE(xWaitFor([&] { return recordingBytes(cache) > 56 + 48000 * 4 * 3 / 2; }));
    EXPECT_TRUE(xScreenshot(xvfb.name(), xArtifactsFolder("wizardE2E") + "/2-recording-song-one.png"));
    ASSERT_EQ(pulsefixture::waitProgram(one), 0);

    // Song Two is announced (cutting the recording of Song One), then plays.
    web.serve("/step", {200, "2|message^1^Artist B^Song Two", "text/plain"});
    ASSERT_TRUE(xWaitFor([&] { return profile.traced(started) == 2; }, 20000));
    ASSERT_EQ(pulsefixture::play(songs.file("two.wav")), 0);

    // The page's last song ends: recording stops.
    web.serve("/step", {200, "3|message^2^end", "text/plain"});
    ASSERT_TRUE(xWaitFor([&] { return profile.traced("BROWSER_MESSAGE_ID_SONG_END") == 1; }, 20000));

    // Two tracks, each named after its own song, both marked as the wizard's.
    const std::string expected = "Song One|Artist A|1\nSong Two|Artist B|1\n";
    EXPECT_TRUE(xWaitFor([&] { return profile.tracks("song, artist, source") == expected; }, 20000))
        << profile.tracks("song, artist, source");
    EXPECT_TRUE(xScreenshot(xvfb.name(), xArtifactsFolder("wizardE2E") + "/3-two-named-tracks.png"));

    // The page's save button asks for the save of the wizard's tracks.
    web.serve("/step", {200, "4|message^6^save", "text/plain"});
    EXPECT_TRUE(
        xWaitFor([&] { return profile.traced("BROWSER_MESSAGE_ID_SAVE_BUTTON_CLICKED") == 1; }, 20000));
    ASSERT_EQ(::waitpid(app, nullptr, WNOHANG), 0) << "the recorder ended";
}

}  // namespace
