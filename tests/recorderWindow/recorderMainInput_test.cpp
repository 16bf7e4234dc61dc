// Mouse input of the main window under the offscreen platform: clicks at the
// skin's hotspots, the knob drags and the new-track button.
#include <gtest/gtest.h>

#include <QTest>
#include <QTreeWidget>
#include <QWindow>

#include "recCache.h"
#include "recorderMainDisplay.h"
#include "recorderMainInput.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderPlayPosition.h"
#include "recorderSession.h"
#include "recorderTimer.h"
#include "regWithoutKeyname.h"
#include "report.h"
#include "skin.h"
#include "sndDevicesEngine.h"
#include "windowHarness.h"

namespace {

TEST(recorderMainInput, LogoOpensThePageOfTheInstallation) {
    WindowHarness w;
    ASSERT_EQ(regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\subvendor", "77"), OKAY);
    ASSERT_EQ(w.start(), OKAY);
    // The installation's web service (set after start-up, which must not reach it).
    ASSERT_EQ(regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\web_service_address",
                                     "https://service.example"),
              OKAY);
    w.click(w.hotspot(kSkinHotLogo));
    EXPECT_EQ(
        w.h.browser.addresses,
        std::vector<std::string>{"https://service.example/fromPlayer/redirect/"
                                 "?directive=logo&vendor=500&subvendor=77&plus=1&product_version=2.005"});
}

TEST(recorderMainInput, ModeButtonsToggleTheirModes) {
    WindowHarness w;
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    ReportRecorder reports;

    ASSERT_TRUE(app.modes.recordMode);
    w.click(w.hotspot(kSkinHotRecordMode));
    EXPECT_FALSE(app.modes.recordMode);
    EXPECT_EQ(app.owned.engine->record.recordArmed.load(), 0);
    EXPECT_EQ(w.value(kSkinRecordModeOff), 1);
    w.click(w.hotspot(kSkinHotRecordMode));
    EXPECT_TRUE(app.modes.recordMode);
    EXPECT_EQ(app.owned.engine->record.recordArmed.load(), 1);

    bool autoSegment = false;
    ASSERT_EQ(recorderSessionGetAutoSegment(autoSegment), OKAY);
    ASSERT_TRUE(autoSegment);
    w.click(w.hotspot(kSkinHotAutoSegment));
    ASSERT_EQ(recorderSessionGetAutoSegment(autoSegment), OKAY);
    EXPECT_FALSE(autoSegment);
    EXPECT_EQ(app.owned.engine->record.autoSegment.load(), 0);
    EXPECT_EQ(w.value(kSkinAutoSegmentOff), 1);

    // The short-track filter hides a 10-second track and shows it again.
    ASSERT_GT(w.addTrack(10000), 0);
    ASSERT_EQ(app.owned.listView->topLevelItemCount(), 1);
    w.click(w.hotspot(kSkinHotHideShort));
    EXPECT_TRUE(app.modes.hideShort);
    EXPECT_EQ(w.value(kSkinHideShortOn), 1);
    EXPECT_EQ(app.owned.listView->topLevelItemCount(), 0);
    w.click(w.hotspot(kSkinHotHideShort));
    EXPECT_EQ(app.owned.listView->topLevelItemCount(), 1);

    // Delete removes the selected track.
    w.select(0);
    w.click(w.hotspot(kSkinHotDelete));
    EXPECT_EQ(app.owned.listView->topLevelItemCount(), 0);
    EXPECT_EQ(reports.count(), 0u);
}

// A click that changes a button's state shows the new state's hover face at
// once, with no pointer movement after it.
TEST(recorderMainInput, AClickShowsTheHoverFaceOfTheNewState) {
    WindowHarness w;
    ASSERT_EQ(w.start(), OKAY);
    ASSERT_GT(w.addTrack(60000), 0);
    struct {
        int hotspot, hoverBefore, hoverAfter;
    } cases[] = {
        {kSkinHotRecordMode, kSkinRecordModeOnHover, kSkinRecordModeOffHover},
        {kSkinHotRecordMode, kSkinRecordModeOffHover, kSkinRecordModeOnHover},
        {kSkinHotHideShort, kSkinHideShortOffHover, kSkinHideShortOnHover},
        {kSkinHotHideShort, kSkinHideShortOnHover, kSkinHideShortOffHover},
        {kSkinHotAutoSegment, kSkinAutoSegmentOnHover, kSkinAutoSegmentOffHover},
        {kSkinHotAutoSegment, kSkinAutoSegmentOffHover, kSkinAutoSegmentOnHover},
        {kSkinHotPlayPause, kSkinPlayHover, kSkinPauseHover},
        {kSkinHotPlayPause, kSkinPauseHover, kSkinPlayHover},
    };
    for (const auto& c : cases) {
        const QPoint at = w.hotspot(c.hotspot);
        w.move(at);
        ASSERT_EQ(w.value(c.hoverBefore), 1) << c.hotspot;
        QTest::mouseClick(w.app().window.mainWindow->windowHandle(), Qt::LeftButton, {}, at);
        EXPECT_EQ(w.value(c.hoverBefore), 0) << c.hotspot;
        EXPECT_EQ(w.value(c.hoverAfter), 1) << c.hotspot;
    }
    // Away from the button, a change shows no hover face at all.
    w.leave();
    ASSERT_EQ(recorderSetHideShort(w.app(), true), OKAY);
    EXPECT_EQ(w.value(kSkinHideShortOnHover), 0);
    EXPECT_EQ(w.value(kSkinHideShortOffHover), 0);
}

// A press on a slider's groove moves the knob there and drags it from there;
// the window stays where it is.
TEST(recorderMainInput, APressOnTheGrooveMovesTheKnobNotTheWindow) {
    WindowHarness w;
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    const QPoint window = app.window.mainWindow->pos();
    int minX = 0, maxX = 0;
    w.knobRange(kSkinSliderVolume, minX, maxX);
    const int y = w.knob(kSkinSliderVolume).y();  // the knob rests at the right end
    const int pressX = minX + (maxX - minX) / 4;
    w.press(QPoint(pressX, y));
    float expected = 0.0f;
    skinSliderXToValue(app.owned.skin.get(), kSkinSliderVolume, pressX, expected);
    EXPECT_EQ(w.knob(kSkinSliderVolume).x(), pressX);
    EXPECT_FLOAT_EQ(app.owned.engine->playback.gain.load(), expected);
    // Dragging on from the groove moves the knob, never the window.
    const int dragX = minX + (maxX - minX) / 2;
    w.move(QPoint(dragX, y + 30));
    skinSliderXToValue(app.owned.skin.get(), kSkinSliderVolume, dragX, expected);
    EXPECT_EQ(w.knob(kSkinSliderVolume).x(), dragX);
    EXPECT_FLOAT_EQ(app.owned.engine->playback.gain.load(), expected);
    w.release(QPoint(dragX, y + 30));
    EXPECT_EQ(app.window.mainWindow->pos(), window);

    // The play position: nothing loaded, the hidden knob stays; with a track
    // loaded the knob jumps at the press and playback seeks at the release.
    const QPoint positionKnob = w.knob(kSkinSliderPosition);
    w.knobRange(kSkinSliderPosition, minX, maxX);
    const QPoint groove(minX + (maxX - minX) * 3 / 4, positionKnob.y());
    w.press(groove);
    w.release(groove);
    EXPECT_EQ(w.knob(kSkinSliderPosition), positionKnob);
    ASSERT_GT(w.addTrack(120000), 0);
    w.click(w.hotspot(kSkinHotPlayPause));
    ASSERT_TRUE(app.transport.playing);
    w.freezePlayback(true);
    ASSERT_EQ(w.tick(), OKAY);
    const int before = w.enginePosition();
    w.press(groove);
    EXPECT_EQ(w.knob(kSkinSliderPosition).x(), groove.x());
    EXPECT_EQ(w.enginePosition(), before);
    w.release(groove);
    float value = 0.0f;
    skinSliderXToValue(app.owned.skin.get(), kSkinSliderPosition, groove.x(), value);
    EXPECT_EQ(w.enginePosition(), static_cast<int>(120000.0 * value));
    EXPECT_EQ(app.window.mainWindow->pos(), window);

    // A press on the bare background still moves the window.
    w.press(QPoint(3, 3));
    w.move(QPoint(23, 13));
    w.release(QPoint(23, 13));
    EXPECT_NE(app.window.mainWindow->pos(), window);
}

TEST(recorderMainInput, VolumeFollowsItsKnobWhileDraggedAndStopsAtTheEnds) {
    WindowHarness w;
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    int minX = 0, maxX = 0;
    w.knobRange(kSkinSliderVolume, minX, maxX);
    QPoint at = w.knob(kSkinSliderVolume);
    w.press(at);
    int dragged = 0;
    skinSliderGetDrag(app.owned.skin.get(), dragged);
    EXPECT_EQ(dragged, kSkinSliderVolume);

    // Live while the button is down.
    const int mid = (minX + maxX) / 2;
    w.move(QPoint(mid, at.y()));
    float expected = 0.0f;
    skinSliderXToValue(app.owned.skin.get(), kSkinSliderVolume, mid, expected);
    EXPECT_FLOAT_EQ(app.owned.engine->playback.gain.load(), expected);
    EXPECT_EQ(w.knob(kSkinSliderVolume).x(), mid);

    // Far past the left end, outside the window: 0.0, knob pinned at the end.
    w.move(QPoint(-200, at.y() + 40));
    EXPECT_FLOAT_EQ(app.owned.engine->playback.gain.load(), 0.0f);
    EXPECT_EQ(w.knob(kSkinSliderVolume).x(), minX);
    w.move(QPoint(maxX + 500, at.y()));
    EXPECT_FLOAT_EQ(app.owned.engine->playback.gain.load(), 1.0f);
    EXPECT_FLOAT_EQ(w.sliderValue(kSkinSliderVolume), 1.0f);
    EXPECT_EQ(w.knob(kSkinSliderVolume).x(), maxX);
    w.release(QPoint(maxX + 500, at.y()));
    skinSliderGetDrag(app.owned.skin.get(), dragged);
    EXPECT_EQ(dragged, -1);

    // Moves without the button do not drag.
    w.move(QPoint(mid, at.y()));
    EXPECT_FLOAT_EQ(app.owned.engine->playback.gain.load(), 1.0f);
}

TEST(recorderMainInput, PositionKnobSeeksOnlyWhenLetGoEvenOutsideTheWindow) {
    WindowHarness w;
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    ASSERT_GT(w.addTrack(180000), 0);
    w.click(w.hotspot(kSkinHotPlayPause));
    ASSERT_TRUE(app.transport.playing);
    w.freezePlayback(true);
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(w.sliderEnabled(kSkinSliderPosition), 1);

    int minX = 0, maxX = 0;
    w.knobRange(kSkinSliderPosition, minX, maxX);
    const QPoint knob = w.knob(kSkinSliderPosition);
    const int before = w.enginePosition();
    w.press(knob);
    const int x = minX + (maxX - minX) / 3;
    w.move(QPoint(x, knob.y()));
    // Dragging moves the knob, not playback; the tick leaves the knob alone.
    EXPECT_EQ(w.enginePosition(), before);
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(w.knob(kSkinSliderPosition).x(), x);

    // Let go below the window, at another x.
    const int releaseX = minX + (maxX - minX) * 2 / 3;
    w.release(QPoint(releaseX, app.window.mainWindow->height() + 60));
    float value = 0.0f;
    skinSliderXToValue(app.owned.skin.get(), kSkinSliderPosition, releaseX, value);
    EXPECT_EQ(w.enginePosition(), static_cast<int>(180000.0 * value));
    EXPECT_EQ(w.knob(kSkinSliderPosition).x(), releaseX);
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_EQ(w.text(kSkinTextPlayTime), recorderPlayTimeText(static_cast<long>(180000.0 * value), 180000));
}

TEST(recorderMainInput, NewTrackCutsTheRecordingOnlyWhileItsButtonShows) {
    WindowHarness w;
    std::vector<ScriptedPoll> loud(1, ScriptedPoll{ScriptedPacket::constant(2, 480, 0.5f)});
    w.devices.setCaptureScript(loud, true);
    ASSERT_EQ(recorderSessionSetAutoSegment(false), OKAY);
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    ASSERT_TRUE(app.modes.recordMode);
    // Wait for a recording longer than the shortest kept one.
    ASSERT_TRUE(
        w.h.pumpUntil([&] { return app.owned.engine->record.recordDurationMs.load() > 2500.0f; }, 10000));
    ASSERT_EQ(w.tick(), OKAY);
    ASSERT_EQ(w.value(kSkinNewTrack), 1);
    w.click(w.hotspot(kSkinHotNewTrack));
    EXPECT_TRUE(app.modes.recordMode);
    std::string last;
    ASSERT_TRUE(w.h.pumpUntil(
        [&] {
            sndDevicesGetLastRecordingName(*app.owned.engine, last);
            return !last.empty();
        },
        3000));

    // In playback mode the hidden button does nothing: record mode stays off.
    w.click(w.hotspot(kSkinHotRecordMode));
    ASSERT_FALSE(app.modes.recordMode);
    ASSERT_TRUE(w.h.pumpUntil([&] { return app.owned.engine->record.recording.load() == 0; }, 3000));
    ASSERT_EQ(w.tick(), OKAY);
    ASSERT_EQ(w.value(kSkinNewTrack), 0);
    w.click(w.hotspot(kSkinHotNewTrack));
    EXPECT_FALSE(app.modes.recordMode);
}

}  // namespace
