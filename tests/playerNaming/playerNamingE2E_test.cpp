// Media-player naming end to end: the real `tobrel` under Xvfb with a private
// PulseAudio server and a private session bus, and the test player playing
// three songs back to back through that server while it tells the bus what it
// plays. The three songs must become three tracks named with their titles,
// artists and albums, marked in cache.db as named by a player, and the list
// must show them so. Screenshots of the window while a named song records and
// with the named tracks are left under test-artifacts/playerNamingE2E.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "privateBus.h"
#include "programProfile.h"
#include "pulseFixture.h"
#include "testsupport.h"
#include "xSession.h"

using namespace std::chrono_literals;

namespace {

TEST(playerNamingE2E, ThreeSongsFromAPlayerBecomeThreeNamedTracks) {
    for (const char* tool : {"Xvfb", "import", "pulseaudio", "sqlite3", "dbus-daemon", "dbus-send"})
        if (pulsefixture::runProgram({"sh", "-c", std::string("command -v ") + tool + " >/dev/null"}) != 0)
            GTEST_SKIP() << tool << " is missing";
    ProgramProfile profile;
    ASSERT_TRUE(profile.ok);
    pulsefixture::PulseServer sound;
    ASSERT_TRUE(sound.started());
    PrivateBus bus;
    ASSERT_TRUE(bus.started());

    XvfbDisplay xvfb("1024x700x24");
    ASSERT_FALSE(xvfb.name().empty()) << "Xvfb did not start";
    testsupport::ScopedEnv displayEnv("DISPLAY", xvfb.name());
    testsupport::ScopedEnv platformEnv("QT_QPA_PLATFORM", "xcb");
    const pid_t app = pulsefixture::spawnProgram({testsupport::binaryDir() + "/Mains/recorder/tobrel"});
    ASSERT_GT(app, 0);
    ScopedProcess reapApp{app};
    ASSERT_TRUE(xWaitFor([&] { return profile.traced("recorderInit: Success") == 1; }, 30000));
    EXPECT_EQ(profile.traced("following the media players"), 1);

    const std::vector<TestSong> songs = {{"Blue Morning", "The Testers", "Signals", 440, 6000},
                                         {"Green Afternoon", "The Testers", "Signals", 660, 6000},
                                         {"Red Night", "Nadia Sine", "Waves & Tones", 880, 6000}};
    TestPlayer player({}, songs);
    ASSERT_TRUE(player.ready());
    ASSERT_TRUE(player.call("Play"));
    // The second song records under its own name, the first is a named track.
    ASSERT_TRUE(xWaitFor([&] { return player.songs().size() >= 2; }, 30000));
    ASSERT_TRUE(xWaitFor(
        [&] {
            return profile.tracks("song, artist, album, source") == "Blue Morning|The Testers|Signals|2\n";
        },
        20000))
        << profile.tracks("song, artist, album, source");
    EXPECT_TRUE(
        xScreenshot(xvfb.name(), xArtifactsFolder("playerNamingE2E") + "/1-recording-second-song.png"));

    const std::string expected =
        "Blue Morning|The Testers|Signals|2\nGreen Afternoon|The Testers|Signals|2\n"
        "Red Night|Nadia Sine|Waves & Tones|2\n";
    ASSERT_TRUE(xWaitFor([&] { return profile.tracks("song, artist, album, source") == expected; }, 40000))
        << profile.tracks("song, artist, album, source");
    EXPECT_EQ(profile.traced("recorderPlayerNaming(): cut at"), 2);
    EXPECT_TRUE(xScreenshot(xvfb.name(), xArtifactsFolder("playerNamingE2E") + "/2-three-named-tracks.png"));
    ASSERT_EQ(::waitpid(app, nullptr, WNOHANG), 0) << "the recorder ended";
}

}  // namespace
