// The transport and the play position, driven through the main window's
// buttons: record mode suspended for playback and given back, the questions
// about the recording in progress, previous and next, and the seek.
#include <gtest/gtest.h>

#include <QTreeWidget>
#include <filesystem>

#include "recorderMainDisplay.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderPaths.h"
#include "recorderPlayPosition.h"
#include "recorderTransport.h"
#include "report.h"
#include "skin.h"
#include "sndDevicesEngine.h"
#include "windowHarness.h"

namespace {

// Ticks until `done` holds (at most about 3 s).
template <class F>
bool tickUntil(WindowHarness& w, F done) {
    for (int i = 0; i < 300; ++i) {
        if (done()) return true;
        w.tick();
        w.h.pump(10);
    }
    return done();
}

TEST(recorderTransport, PlayInRecordModeWithoutARecordingAsksNothingAndGivesRecordModeBackAtTheEnd) {
    WindowHarness w;
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    const int id = w.addTrack(800);
    ReportRecorder reports;
    w.freezePlayback(true);
    w.click(w.hotspot(kSkinHotPlayPause));
    EXPECT_TRUE(w.h.dialog.texts.empty());
    EXPECT_EQ(app.transport.playingTrack, id);
    EXPECT_TRUE(app.transport.playing);
    EXPECT_TRUE(app.transport.loaded);
    EXPECT_TRUE(app.transport.recordSuspended);
    EXPECT_FALSE(app.modes.recordMode);
    EXPECT_EQ(app.owned.engine->record.recordArmed.load(), 0);
    EXPECT_EQ(w.selectedRow(), 0);  // the first row, nothing was selected
    EXPECT_EQ(w.value(kSkinPause), 1);
    EXPECT_EQ(w.value(kSkinPlay), 0);
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(w.value(kSkinTextPlayTime), 1);

    // The track runs out.
    w.freezePlayback(false);
    ASSERT_TRUE(tickUntil(w, [&] { return app.transport.playingTrack == kRecorderNoTrack; }));
    EXPECT_FALSE(app.transport.playing);
    EXPECT_FALSE(app.transport.loaded);
    EXPECT_FALSE(app.transport.recordSuspended);
    EXPECT_TRUE(app.modes.recordMode);
    EXPECT_EQ(app.owned.engine->record.recordArmed.load(), 1);
    EXPECT_EQ(w.value(kSkinPlay), 1);
    EXPECT_EQ(w.text(kSkinTextPlayTime), "stopped");
    EXPECT_EQ(w.value(kSkinTextPlayTime), 0);
    EXPECT_EQ(w.sliderEnabled(kSkinSliderPosition), 0);
    EXPECT_EQ(reports.count(), 0u);
}

TEST(recorderTransport, ARecordingInProgressIsStoppedOnlyWhenTheUserSaysYes) {
    WindowHarness w;
    std::vector<ScriptedPoll> loud(1, ScriptedPoll{ScriptedPacket::constant(2, 480, 0.5f)});
    w.devices.setCaptureScript(loud, true);
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    const int id = w.addTrack(60000);
    ASSERT_TRUE(w.h.pumpUntil([&] { return app.owned.engine->record.recordIndicator.load() != 0; }, 5000));
    ASSERT_EQ(w.tick(), OKAY);  // the recording row comes
    ASSERT_EQ(app.owned.listView->topLevelItemCount(), 2);

    // The recording row cannot be played.
    w.select(1);
    w.click(w.hotspot(kSkinHotPlayPause));
    EXPECT_EQ(w.h.dialog.texts, std::vector<std::string>{"You may not play the currently recording track."});
    EXPECT_EQ(w.h.dialog.withCancel, std::vector<bool>{false});
    EXPECT_EQ(app.transport.playingTrack, kRecorderNoTrack);
    EXPECT_TRUE(app.modes.recordMode);

    // No: recording goes on, nothing plays.
    w.select(0);
    w.h.dialog.texts.clear();
    w.h.dialog.withCancel.clear();
    w.h.dialog.answer = false;
    w.click(w.hotspot(kSkinHotPlayPause));
    const std::string question =
        "A recording is currently in progress.\n\nWould you like to stop recording and enter playback mode?";
    EXPECT_EQ(w.h.dialog.texts, std::vector<std::string>{question});
    EXPECT_EQ(w.h.dialog.withCancel, std::vector<bool>{true});
    EXPECT_EQ(app.transport.playingTrack, kRecorderNoTrack);
    EXPECT_FALSE(app.transport.playing);
    EXPECT_EQ(w.engineLength(), 0);
    EXPECT_TRUE(app.modes.recordMode);
    EXPECT_EQ(app.owned.engine->record.recordArmed.load(), 1);

    // Yes: record mode goes off and the track plays; pause gives record mode back.
    w.h.dialog.answer = true;
    w.click(w.hotspot(kSkinHotPlayPause));
    EXPECT_EQ(app.transport.playingTrack, id);
    EXPECT_TRUE(app.transport.playing);
    EXPECT_FALSE(app.modes.recordMode);
    EXPECT_EQ(app.owned.engine->record.recordArmed.load(), 0);
    w.click(w.hotspot(kSkinHotPlayPause));
    EXPECT_FALSE(app.transport.playing);
    EXPECT_EQ(app.transport.playingTrack, id);  // paused, still loaded
    EXPECT_TRUE(app.transport.loaded);
    EXPECT_FALSE(app.transport.recordSuspended);
    EXPECT_TRUE(app.modes.recordMode);
    EXPECT_EQ(w.value(kSkinPlay), 1);
}

TEST(recorderTransport, ATrackWhoseAudioIsGoneSaysSoAndLeavesTheRecordingAlone) {
    WindowHarness w;
    std::vector<ScriptedPoll> loud(1, ScriptedPoll{ScriptedPacket::constant(2, 480, 0.5f)});
    w.devices.setCaptureScript(loud, true);
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    w.addTrack(60000);
    ASSERT_TRUE(w.h.pumpUntil([&] { return app.owned.engine->record.recordIndicator.load() != 0; }, 5000));
    std::string cache;
    ASSERT_EQ(recorderPaths(RECORDER_PATH_CACHE, cache), OKAY);
    for (const auto& entry : std::filesystem::directory_iterator(cache))
        if (entry.path().filename().string().find("1700000000_") == 0) std::filesystem::remove(entry.path());

    ReportRecorder reports;
    w.select(0);
    w.click(w.hotspot(kSkinHotPlayPause));
    EXPECT_EQ(w.h.dialog.texts, std::vector<std::string>{"The track's audio file is missing."});
    EXPECT_FALSE(app.transport.playing);
    EXPECT_FALSE(app.transport.loaded);
    EXPECT_FALSE(app.transport.recordSuspended);
    EXPECT_TRUE(app.modes.recordMode);
    EXPECT_EQ(app.owned.engine->record.recordArmed.load(), 1);
    EXPECT_NE(app.owned.engine->record.recordIndicator.load(), 0);  // the recording goes on
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_TRUE(w.h.boxes.empty());
}

TEST(recorderTransport, RecordButtonWhilePlayingStopsPlaybackAndTheUsersChoiceHolds) {
    WindowHarness w;
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    w.addTrack(60000);
    w.addTrack(500);
    w.freezePlayback(true);
    w.click(w.hotspot(kSkinHotPlayPause));
    ASSERT_TRUE(app.transport.playing);
    ASSERT_FALSE(app.modes.recordMode);  // suspended for playback

    w.click(w.hotspot(kSkinHotRecordMode));
    EXPECT_EQ(app.transport.playingTrack, kRecorderNoTrack);
    EXPECT_FALSE(app.transport.playing);
    EXPECT_EQ(w.engineLength(), 0);
    EXPECT_TRUE(app.modes.recordMode);
    // The user then chooses playback mode and plays the short track to its
    // end: record mode stays off, as chosen.
    w.click(w.hotspot(kSkinHotRecordMode));
    ASSERT_FALSE(app.modes.recordMode);
    w.select(1);
    w.freezePlayback(false);
    w.click(w.hotspot(kSkinHotPlayPause));
    ASSERT_TRUE(app.transport.playing);
    ASSERT_TRUE(tickUntil(w, [&] { return app.transport.playingTrack == kRecorderNoTrack; }));
    EXPECT_FALSE(app.modes.recordMode);
    EXPECT_EQ(app.owned.engine->record.recordArmed.load(), 0);
}

TEST(recorderTransport, PreviousAndNextMoveThroughTheListAndADoubleClickSkipsTwo) {
    WindowHarness w;
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    std::vector<int> ids;
    for (int i = 0; i < 4; ++i) ids.push_back(w.addTrack(60000 + i, 1700000000 + i));
    w.freezePlayback(true);
    w.select(0);
    w.click(w.hotspot(kSkinHotPlayPause));
    ASSERT_EQ(app.transport.playingTrack, ids[0]);

    w.doubleClick(w.hotspot(kSkinHotNext));
    EXPECT_EQ(w.selectedRow(), 2);
    EXPECT_EQ(app.transport.playingTrack, ids[2]);
    EXPECT_TRUE(app.transport.playing);

    w.click(w.hotspot(kSkinHotPrevious));
    EXPECT_EQ(w.selectedRow(), 1);
    EXPECT_EQ(app.transport.playingTrack, ids[1]);

    // Next on the last row: the same track goes on where it is.
    // A playing track whose row is left for another: the new row plays.
    w.select(3);
    ASSERT_EQ(w.tick(), OKAY);
    ASSERT_EQ(app.transport.playingTrack, ids[3]);
    ASSERT_TRUE(app.transport.playing);
    ASSERT_EQ(recorderPlayPositionSliderMoved(app, 0.5f), OKAY);
    const int at = w.enginePosition();
    w.click(w.hotspot(kSkinHotNext));
    EXPECT_EQ(w.selectedRow(), 3);
    EXPECT_EQ(app.transport.playingTrack, ids[3]);
    EXPECT_EQ(w.enginePosition(), at);
    EXPECT_TRUE(app.transport.playing);

    // Previous on the first row restarts it.
    w.select(0);
    ASSERT_EQ(w.tick(), OKAY);
    ASSERT_EQ(app.transport.playingTrack, ids[0]);
    ASSERT_EQ(recorderPlayPositionSliderMoved(app, 0.25f), OKAY);
    ASSERT_GT(w.enginePosition(), 0);
    w.click(w.hotspot(kSkinHotPrevious));
    EXPECT_EQ(w.selectedRow(), 0);
    EXPECT_EQ(app.transport.playingTrack, ids[0]);
    EXPECT_EQ(w.enginePosition(), 0);
    EXPECT_TRUE(app.transport.playing);
}

TEST(recorderTransport, SliderHalfOfAThreeMinuteTrackSeeksTo90000AndTheTimeShowsIt) {
    WindowHarness w;
    std::string documents;
    ASSERT_EQ(recorderPaths(RECORDER_PATH_DOCUMENTS, documents), OKAY);
    std::filesystem::create_directories(documents);
    testsupport::writeText(documents + "/trace_on.txt", "");
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    // Nothing loaded: the slider does nothing and the time reads "stopped".
    ASSERT_EQ(recorderPlayPositionSliderMoved(app, 0.5f), OKAY);
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(w.text(kSkinTextPlayTime), "stopped");
    EXPECT_EQ(w.value(kSkinTextPlayTime), 0);

    w.addTrack(180000);
    w.freezePlayback(true);
    w.click(w.hotspot(kSkinHotPlayPause));
    ASSERT_EQ(w.engineLength(), 180000);
    ASSERT_EQ(recorderPlayPositionSliderMoved(app, 0.5f), OKAY);
    EXPECT_EQ(w.enginePosition(), 90000);
    EXPECT_NE(testsupport::readText(documents + "/trace_messages.txt")
                  .find("recorderPlayPositionSliderMoved(): r_new_relative_slider_value = 0.5, "
                        "l_totalDurationMS = 180000, l_newFilePosMS = 90000"),
              std::string::npos);
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(w.text(kSkinTextPlayTime), "1:30 / 3:00");
    EXPECT_EQ(w.value(kSkinTextPlayTime), 1);
    EXPECT_EQ(w.knob(kSkinSliderPosition).x(), w.sliderX(kSkinSliderPosition, 0.5f));

    // Paused, the time stays shown.
    w.click(w.hotspot(kSkinHotPlayPause));
    ASSERT_FALSE(app.transport.playing);
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(w.text(kSkinTextPlayTime), "1:30 / 3:00");
    EXPECT_EQ(app.transport.playingTrack != kRecorderNoTrack, true);
}

}  // namespace
