// The main window's displays under the offscreen platform: the recording
// time and indicator from the engine's record status, the two-image buttons,
// the instructions in place of an empty list, the hover images and the
// tooltip of the find-songs button.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHelpEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QTreeWidget>
#include <cmath>
#include <filesystem>

#include "dialogDriver.h"
#include "ptListView.h"
#include "recCache.h"
#include "recorderMainDisplay.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderSession.h"
#include "recorderSkinLook.h"
#include "recorderTimer.h"
#include "recorderTransport.h"
#include "report.h"
#include "skin.h"
#include "windowHarness.h"

namespace {

// A recording as the record thread would show it (there is none on a
// computer without outputs, so nothing else writes these words).
void engineRecording(RecorderApp& app, bool running, int indicator, float durationMs) {
    app.owned.engine->record.noOutput.store(0);
    app.owned.engine->record.recording.store(running ? 1 : 0);
    app.owned.engine->record.recordIndicator.store(indicator);
    app.owned.engine->record.recordDurationMs.store(durationMs);
}

std::vector<int> shownFrames(WindowHarness& w) {
    std::vector<int> shown;
    for (int key = kSkinIndicatorFrame1; key < kSkinIndicatorFrame1 + kSkinIndicatorFrames; ++key)
        if (w.value(key) != 0) shown.push_back(key);
    return shown;
}

TEST(recorderMainDisplay, RecordingTimeAndNewTrackButtonFollowTheRecordStatus) {
    WindowHarness w(false);
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    struct Case {
        bool autoSegment;
        bool running;
        int indicator;
        float durationMs;
        const char* text;  // "stopped" = hidden
        int newTrack;
    };
    const Case cases[] = {
        {false, true, 1, 3661000.0f, "1:01:01", 1}, {false, true, 1, 59999.0f, "0:59", 1},
        {false, true, 0, 5000.0f, "0:05", 1},    // indicator dimmed: the time still counts
        {true, true, 0, 5000.0f, "stopped", 0},  // auto segment: hidden while the indicator is off
        {true, true, 1, 5000.0f, "0:05", 0},        {true, true, 1, 3600000.0f, "1:00:00", 0},
        {false, false, 0, 0.0f, "stopped", 0},
    };
    ReportRecorder reports;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_EQ(recorderSetAutoSegment(app, c.autoSegment), OKAY);
        engineRecording(app, c.running, c.indicator, c.durationMs);
        ASSERT_EQ(recorderDisplayRecordingFlash(app), OKAY);
        EXPECT_EQ(w.text(kSkinTextRecordTime), c.text);
        EXPECT_EQ(w.value(kSkinTextRecordTime), std::string(c.text) == "stopped" ? 0 : 1);
        EXPECT_EQ(w.value(kSkinNewTrack), c.newTrack);
    }
    EXPECT_EQ(reports.count(), 0u);
}

TEST(recorderMainDisplay, IndicatorShowsOneNewFrameEveryTickAndTheIdleImageOtherwise) {
    WindowHarness w(false);
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    // Start-up ran one step with the indicator off: the idle image, no frame.
    EXPECT_EQ(w.value(kSkinIndicatorIdle), 1);
    EXPECT_TRUE(shownFrames(w).empty());

    engineRecording(app, true, 1, 3000.0f);
    std::vector<int> seen;
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(recorderDisplayRecordingFlash(app), OKAY);
        const std::vector<int> shown = shownFrames(w);
        ASSERT_EQ(shown.size(), 1u);
        seen.push_back(shown[0]);
    }
    EXPECT_EQ(seen, (std::vector<int>{1102, 1103, 1104, 1101, 1102, 1103}));
    // The frames lie over the idle image, which stays shown.
    EXPECT_EQ(w.value(kSkinIndicatorIdle), 1);

    // Off: the frame goes and the counter stays where it was.
    engineRecording(app, true, 0, 3000.0f);
    ASSERT_EQ(recorderDisplayRecordingFlash(app), OKAY);
    EXPECT_TRUE(shownFrames(w).empty());
    engineRecording(app, true, 1, 3000.0f);
    ASSERT_EQ(recorderDisplayRecordingFlash(app), OKAY);
    EXPECT_EQ(shownFrames(w), std::vector<int>{1104});
}

TEST(recorderMainDisplay, TwoImageButtonsShowTheStateOfTheirFlag) {
    WindowHarness w(false);
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    app.owned.engine->record.noOutput.store(0);  // as if an output were there
    for (bool on : {true, false}) {
        SCOPED_TRACE(on);
        app.modes.recordMode = on;
        app.modes.hideShort = on;
        app.transport.playing = on;
        ASSERT_EQ(recorderSessionSetAutoSegment(on), OKAY);
        ASSERT_EQ(recorderUpdateMainModeDisplays(app), OKAY);
        const int o = on ? 1 : 0;
        EXPECT_EQ(w.value(kSkinRecordModeOn), o);
        EXPECT_EQ(w.value(kSkinRecordModeOff), 1 - o);
        EXPECT_EQ(w.value(kSkinHideShortOn), o);
        EXPECT_EQ(w.value(kSkinHideShortOff), 1 - o);
        EXPECT_EQ(w.value(kSkinAutoSegmentOn), o);
        EXPECT_EQ(w.value(kSkinAutoSegmentOff), 1 - o);
        EXPECT_EQ(w.value(kSkinPause), o);
        EXPECT_EQ(w.value(kSkinPlay), 1 - o);
    }
    app.transport.playing = false;
}

TEST(recorderMainDisplay, InstructionsStandInForAnEmptyListUntilARecordingRuns) {
    WindowHarness w(false);
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(w.value(kSkinInstructions), 1);
    EXPECT_TRUE(app.owned.listView->isHidden());

    // The first tick of a running recording brings the list back.
    engineRecording(app, true, 1, 40.0f);
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(w.value(kSkinInstructions), 0);
    EXPECT_FALSE(app.owned.listView->isHidden());
    ASSERT_EQ(app.owned.listView->topLevelItemCount(), 1);  // the recording row

    engineRecording(app, false, 0, 0.0f);
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(w.value(kSkinInstructions), 1);
    EXPECT_TRUE(app.owned.listView->isHidden());

    // The wizard on screen keeps the list.
    QWidget wizard;
    wizard.show();
    app.findSongs.wizard = &wizard;
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(w.value(kSkinInstructions), 0);
    EXPECT_FALSE(app.owned.listView->isHidden());
    wizard.hide();
    app.findSongs.hidden = true;
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(w.value(kSkinInstructions), 1);
    app.findSongs.wizard = nullptr;
    app.findSongs.hidden = false;

    // So does a track.
    ASSERT_GT(w.addTrack(3000), 0);
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(w.value(kSkinInstructions), 0);
    EXPECT_FALSE(app.owned.listView->isHidden());
}

TEST(recorderMainDisplay, HoverImagesFollowThePointerAndGoWhenItLeaves) {
    WindowHarness w;  // record mode on
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    ASSERT_TRUE(app.modes.recordMode);

    w.move(w.hotspot(kSkinHotMenu));
    EXPECT_EQ(w.value(kSkinMenuHover), 1);
    w.move(w.hotspot(kSkinHotFindSongs));
    EXPECT_EQ(w.value(kSkinMenuHover), 0);
    EXPECT_EQ(w.value(kSkinFindSongsHover), 1);

    // Record mode switched while the pointer rests on its button: the hover
    // image of the new state shows at once (more in recorderMainInput's tests).
    const QPoint record = w.hotspot(kSkinHotRecordMode);
    w.move(record);
    EXPECT_EQ(w.value(kSkinRecordModeOnHover), 1);
    EXPECT_EQ(w.value(kSkinRecordModeOffHover), 0);
    w.click(record);
    ASSERT_FALSE(app.modes.recordMode);
    EXPECT_EQ(w.value(kSkinRecordModeOnHover), 0);
    EXPECT_EQ(w.value(kSkinRecordModeOffHover), 1);

    // The play button shows the play hover while nothing plays; the new-track
    // hover needs its button.
    w.move(w.hotspot(kSkinHotPlayPause));
    EXPECT_EQ(w.value(kSkinPlayHover), 1);
    EXPECT_EQ(w.value(kSkinPauseHover), 0);
    w.move(w.hotspot(kSkinHotNewTrack));
    EXPECT_EQ(w.value(kSkinNewTrackHover), 0);

    // The knob hover.
    w.move(w.knob(kSkinSliderVolume));
    EXPECT_EQ(app.owned.skin->sliders[0].hover, 1);

    w.move(w.hotspot(kSkinHotAutoSegment));
    EXPECT_EQ(w.value(kSkinAutoSegmentOnHover), 1);  // auto segment is on by default
    w.leave();
    EXPECT_FALSE(app.window.trackingMouse);
    for (int key = 1200; key <= 1220; ++key) {
        int v = 0;
        if (skinComponentGetValue(app.owned.skin.get(), key, v) == OKAY) {
            EXPECT_EQ(v, 0) << key;
        }
    }
    EXPECT_EQ(app.owned.skin->sliders[0].hover, 0);
}

TEST(recorderMainDisplay, TooltipsOnTheFindSongsAndNewTrackButtonsOnly) {
    WindowHarness w(false);
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    bool present = false;
    int l = 0, t = 0, r = 0, b = 0;
    std::string text;
    ASSERT_EQ(recorderTooltipTool(app, kSkinHotSave, present, l, t, r, b, text), OKAY);
    EXPECT_FALSE(present);
    ASSERT_EQ(recorderTooltipTool(app, kSkinHotFindSongs, present, l, t, r, b, text), OKAY);
    ASSERT_TRUE(present);
    int enabled = 0, hl = 0, ht = 0, hr = 0, hb = 0;
    ASSERT_EQ(skinHotspotGet(app.owned.skin.get(), kSkinHotFindSongs, enabled, hl, ht, hr, hb), OKAY);
    EXPECT_EQ(std::vector<int>({l, t, r, b}), std::vector<int>({hl, ht, hr, hb}));
    EXPECT_EQ(text, "Find and Record Songs from your Favorite Bands.");
    EXPECT_EQ(app.owned.tooltip->objectName(), "tooltips_class32");
    EXPECT_FALSE(app.owned.tooltip->isVisible());

    // Whether the window's tooltip request at `at` was answered.
    auto ask = [&](QPoint at) {
        QHelpEvent help(QEvent::ToolTip, at, app.window.mainWindow->mapToGlobal(at));
        QCoreApplication::sendEvent(app.window.mainWindow, &help);
        return help.isAccepted();
    };
    EXPECT_TRUE(ask(QPoint(r, b)));  // bounds are inclusive
    EXPECT_EQ(QToolTip::text().toStdString(), text);
    QToolTip::hideText();
    EXPECT_FALSE(ask(QPoint(r + 1, b)));
    EXPECT_FALSE(ask(w.hotspot(kSkinHotSave)));

    // The new-track button says why it is not there, or what it does.
    struct Case {
        bool autoSegment, running;
        const char* text;
    } cases[] = {{true, true, kNewTrackTooltipAutoSplit},
                 {false, false, kNewTrackTooltipNoRecording},
                 {false, true, kNewTrackTooltip}};
    for (const Case& c : cases) {
        ASSERT_EQ(recorderSetAutoSegment(app, c.autoSegment), OKAY);
        engineRecording(app, c.running, c.running ? 1 : 0, c.running ? 5000.0f : 0.0f);
        ASSERT_EQ(recorderDisplayRecordingFlash(app), OKAY);
        EXPECT_EQ(w.value(kSkinNewTrack), !c.autoSegment && c.running ? 1 : 0);
        ASSERT_EQ(recorderTooltipTool(app, kSkinHotNewTrack, present, l, t, r, b, text), OKAY);
        ASSERT_TRUE(present);
        EXPECT_EQ(text, c.text);
        EXPECT_TRUE(ask(QPoint(l, t)));
        EXPECT_EQ(QToolTip::text().toStdString(), c.text);
        QToolTip::hideText();
    }

    // Made again, the earlier tooltip goes.
    QPointer<QWidget> first = app.owned.tooltip;
    ASSERT_EQ(recorderCreateTooltips(app), OKAY);
    EXPECT_FALSE(first);
    EXPECT_TRUE(app.owned.tooltip);
}

}  // namespace

namespace {

TEST(recorderMainDisplay, WithoutAMainSkinUpdatesDoNothingAndOnlyTheHoverRoutineComplains) {
    WindowHarness w(false);
    // A skin with a bitmap missing: message 1005, and the program runs on without it.
    testsupport::TempDir skins;
    std::filesystem::copy(testsupport::sourceDir() + "/Skins/default_Tobrel", skins.file("default_Tobrel"));
    std::filesystem::remove(skins.file("default_Tobrel/recording_progress_on_3.bmp"));
    w.h.app.services.skinsFolderOverride = skins.str();
    ASSERT_EQ(w.h.start(), OKAY);
    RecorderApp& app = w.app();
    ASSERT_TRUE(app.window.mainWindow);
    ASSERT_FALSE(app.owned.skin);
    recorderKillTimer(app);
    ReportRecorder reports;
    EXPECT_EQ(recorderUpdateMainModeDisplays(app), OKAY);
    EXPECT_EQ(recorderDisplayRecordingFlash(app), OKAY);
    EXPECT_EQ(recorderUpdateMainDisplay(app), OKAY);
    EXPECT_EQ(w.tick(), OKAY);
    // The pointer moving over the window asks for nothing.
    w.move(QPoint(30, 30));
    w.click(QPoint(40, 40));
    w.leave();
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_NE(recorderMainHover(app, 10, 10), OKAY);
    EXPECT_TRUE(reports.reported("./recorderMainDisplay"));
}

// The track list wears the skin: its colours, no grid, a slim bar, whole rows.
TEST(recorderMainDisplay, TheTrackListTakesTheSkinsLook) {
    WindowHarness w;
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    for (int i = 0; i < 12; ++i) ASSERT_GT(w.addTrack(30000 + i * 1000, 1700000000 + i * 100), 0);
    w.h.pump(20);
    RecorderSkinLook look;
    ASSERT_EQ(recorderSkinLookFromSkin(app.owned.skin.get(), look), OKAY);
    const ptListView& lv = *app.owned.listCtrl;
    EXPECT_EQ(lv.backColour, look.back);
    EXPECT_EQ(lv.selBackFocus, look.selBack);
    EXPECT_EQ(lv.selBackNoFocus, look.selBackNoFocus);
    EXPECT_EQ(lv.selTextNoFocus, look.text);
    EXPECT_FALSE(lv.gridLines);
    QTreeWidget* list = app.owned.listView;
    ASSERT_TRUE(list->verticalScrollBar()->isVisible());
    EXPECT_LE(list->verticalScrollBar()->width(), 8);
    const int row = list->visualItemRect(list->topLevelItem(0)).height();
    EXPECT_EQ(list->viewport()->height() % row, 0) << row << " in " << list->viewport()->height();
    // The columns take the width beside the slim bar, not beside a stock one.
    EXPECT_GE(list->columnWidth(0) + list->columnWidth(1), list->viewport()->width() - 1);
}

}  // namespace

namespace {

// Ticks until `done` holds (at most about 5 s), the engine's threads running meanwhile.
template <class F>
bool tickUntil(WindowHarness& w, F done) {
    for (int i = 0; i < 500; ++i) {
        if (done()) return true;
        w.tick();
        w.h.pump(10);
    }
    return done();
}

int meterWidth(WindowHarness& w) {
    int width = -2;
    skinComponentGetShownWidth(w.app().owned.skin.get(), kSkinLevelMeter, width);
    return width;
}

int meterFull(WindowHarness& w) {
    int width = 0, height = 0;
    skinComponentBitmapGetSize(w.app().owned.skin.get(), kSkinLevelMeter, width, height);
    return width;
}

ScriptedPoll tone(float level) { return {ScriptedPacket::constant(2, 480, level, 0)}; }

}  // namespace

// The level bar follows what is captured while record mode is on: the
// loudest sample of each tick, in decibels, falling back slowly when the
// sound drops and empty when nothing comes.
TEST(recorderMainDisplay, TheLevelBarFollowsTheCapturedLevel) {
    ASSERT_NEAR(recorderLevelMeterFraction(1.0f), 1.0f, 1e-6);
    ASSERT_NEAR(recorderLevelMeterFraction(0.5f), 1.0f - 6.0206f / 48.0f, 1e-4);
    ASSERT_EQ(recorderLevelMeterFraction(0.0f), 0.0f);
    ASSERT_EQ(recorderLevelMeterFraction(0.001f), 0.0f);  // below -48 dB
    ASSERT_EQ(recorderLevelMeterFraction(NAN), 0.0f);

    WindowHarness w;
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    ASSERT_TRUE(app.modes.recordMode);
    ASSERT_GT(meterFull(w), 0);
    ASSERT_TRUE(tickUntil(w, [&] { return w.devices.lastCapture() != nullptr; }));
    auto capture = w.devices.lastCapture();
    for (int i = 0; i < 300; ++i) capture->append(tone(i % 2 ? 0.5f : -0.25f));
    const float loud = recorderLevelMeterFraction(0.5f);
    ASSERT_TRUE(tickUntil(w, [&] { return app.window.meterLevel == loud; }));
    EXPECT_EQ(meterWidth(w), std::lround(loud * meterFull(w)));
    EXPECT_EQ(w.value(kSkinLevelMeter), 1);

    for (int i = 0; i < 300; ++i) capture->append(tone(0.125f));
    const float quiet = recorderLevelMeterFraction(0.125f);
    std::vector<float> seen;
    ASSERT_TRUE(tickUntil(w, [&] {
        seen.push_back(app.window.meterLevel);
        return app.window.meterLevel == quiet;
    }));
    // On the way down no step is larger than the fall of one tick.
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_LE(seen[i - 1] - seen[i], kRecorderMeterFallPerTick + 1e-6f);
    EXPECT_EQ(meterWidth(w), std::lround(quiet * meterFull(w)));

    // The script runs out: nothing comes, the bar empties.
    ASSERT_TRUE(tickUntil(w, [&] { return app.window.meterLevel == 0.0f; }));
    EXPECT_EQ(meterWidth(w), 0);
}

// While a track plays the display shows it: the playback face instead of the
// idle image, where the track is in the time read-out, its name below the
// position slider, and the level bar follows what is played.
TEST(recorderMainDisplay, WhileATrackPlaysTheDisplayShowsItAndItsLevel) {
    WindowHarness w;
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    const int id = w.addTrack(60000, 1700000000, 16384);  // at -6 dB
    ASSERT_EQ(recCacheSetTags(app.owned.cacheDb.get(), id, recCacheTags{"Band", "Song", "", "", ""}), OKAY);
    w.fill();
    EXPECT_EQ(w.value(kSkinIndicatorPlayback), 0);
    EXPECT_EQ(w.value(kSkinTextSpare), 0);
    w.click(w.hotspot(kSkinHotPlayPause));
    ASSERT_TRUE(app.transport.playing);
    const float level = recorderLevelMeterFraction(0.5f);
    ASSERT_TRUE(tickUntil(w, [&] { return app.window.meterLevel == level && w.enginePosition() >= 1000; }));
    EXPECT_EQ(w.value(kSkinIndicatorPlayback), 1);
    EXPECT_EQ(w.value(kSkinIndicatorIdle), 1);  // beneath the face, as beneath the frames
    EXPECT_EQ(w.value(kSkinTextRecordTime), 1);
    EXPECT_EQ(w.text(kSkinTextRecordTime).substr(0, 2), "0:");
    EXPECT_NE(w.text(kSkinTextRecordTime), "0:00");
    EXPECT_EQ(w.value(kSkinTextSpare), 1);
    EXPECT_EQ(w.text(kSkinTextSpare), "Song - Band");
    EXPECT_EQ(meterWidth(w), std::lround(level * meterFull(w)));
    screenshot(*app.window.mainWindow, "recorderWindow", "playing");

    // Stopped: the idle display again, and the bar empties.
    ASSERT_EQ(recorderTransportStop(app, true), OKAY);
    ASSERT_TRUE(tickUntil(w, [&] { return app.window.meterLevel == 0.0f; }));
    EXPECT_EQ(w.value(kSkinIndicatorPlayback), 0);
    EXPECT_EQ(w.value(kSkinTextSpare), 0);
    EXPECT_EQ(w.text(kSkinTextRecordTime), "stopped");
}
