// The recorder with its real engine on a private sound server: a song played
// while the window runs shows as "Recording in Progress" and then as a track,
// and the default sound is silenced within a tick of the recording's start
// and put back when it ends.
#include <gtest/gtest.h>

#include <QTreeWidget>

#include "pulseDevices.h"
#include "pulseFixture.h"
#include "recorderInit.h"
#include "recorderSystemSounds.h"
#include "recorderTestApp.h"
#include "regWithoutKeyname.h"
#include "report.h"

namespace {

std::string currentSound() {
    bool found = false;
    std::string text;
    regWithoutKeynameRead(REG_ROOT_CURRENT_USER, kSystemSoundKey, REG_VALUE_BUFFER_BYTES, found, text);
    return found ? text : "<missing>";
}

TEST(recorderRecording, ASongBecomesATrackAndTheSystemSoundIsQuietWhileItRecords) {
    pulsefixture::PulseServer server;
    ASSERT_TRUE(server.started());
    RecorderHarness h;
    std::unique_ptr<AudioDevices> devices = pulseDevicesCreate("tobrel-test");
    h.app.services.audioDevices = devices.get();
    ASSERT_EQ(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, kSystemSoundKey, "/snd/ding.wav"), OKAY);

    ReportRecorder reports;
    ASSERT_EQ(h.start(), OKAY);
    ASSERT_TRUE(h.boxes.empty());
    ASSERT_TRUE(h.app.modes.recordMode);
    ASSERT_EQ(h.app.owned.engine->record.recordArmed.load(), 1);

    testsupport::TempDir dir;
    const std::string song = dir.file("song.wav");
    ASSERT_TRUE(pulsefixture::writeSignal(song, 48000, {{440.0, 3200}, {0.0, 600}}));
    const pid_t player = pulsefixture::playAsync(song);
    ASSERT_GT(player, 0);

    ASSERT_TRUE(h.pumpUntil([&] { return h.app.owned.engine->record.recordIndicator.load() == 1; }, 3000));
    // Within a tick (100 ms, and some slack for a loaded machine).
    EXPECT_TRUE(h.pumpUntil([&] { return currentSound().empty(); }, 250));
    EXPECT_EQ(recorderTestSessionValue("current_system_sound"), "/snd/ding.wav");
    EXPECT_TRUE(h.pumpUntil(
        [&] { return recorderTestListColumn(h.app, 0) == std::vector<std::string>{"Recording in Progress"}; },
        250));
    EXPECT_EQ(recorderTestListColumn(h.app, 1), std::vector<std::string>{"..."});

    EXPECT_EQ(pulsefixture::waitProgram(player), 0);
    ASSERT_TRUE(h.pumpUntil(
        [&] { return recorderTestListColumn(h.app, 1) == std::vector<std::string>{"0:03"}; }, 3000))
        << (recorderTestListColumn(h.app, 1).empty() ? "empty" : recorderTestListColumn(h.app, 1)[0]);
    EXPECT_TRUE(recorderTestListColumn(h.app, 0)[0].ends_with(" - Today"))
        << recorderTestListColumn(h.app, 0)[0];
    EXPECT_TRUE(h.pumpUntil([&] { return currentSound() == "/snd/ding.wav"; }, 250));
    EXPECT_EQ(recorderTestSessionValue("current_system_sound"), "restored");
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_EQ(recorderShutdown(h.app), OKAY);
}

}  // namespace
