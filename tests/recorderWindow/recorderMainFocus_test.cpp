// The main window's keyboard focus (offscreen): Tab and Shift+Tab go through
// the skin's buttons, the track list and the sliders in reading order; the
// ring takes the focused button's shape; keys press the focused button and
// move the focused slider; the mouse takes the ring away.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTreeWidget>

#include "dialogDriver.h"
#include "recorderMainFocus.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderSkinLook.h"
#include "recorderTimer.h"
#include "report.h"
#include "skin.h"
#include "windowHarness.h"

namespace {

std::vector<int> keysOf(const std::vector<RecorderFocusItem>& chain) {
    std::vector<int> keys;
    for (const RecorderFocusItem& item : chain)
        keys.push_back(item.kind == RecorderFocusKind::List ? 0 : item.key);
    return keys;
}

// The key of what has the focus now (0 for the list, -1 for nothing).
int focused(RecorderApp& app) {
    RecorderFocusItem item;
    bool found = false;
    EXPECT_EQ(recorderMainFocusCurrent(app, item, found), OKAY);
    if (!found) return -1;
    return item.kind == RecorderFocusKind::List ? 0 : item.key;
}

void press(RecorderApp& app, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target =
        QApplication::focusWidget() ? QApplication::focusWidget() : app.window.mainWindow.data();
    QTest::keyClick(target, key, modifiers);
}

class MainFocus : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(w.start(), OKAY);
        w.addTrack(5000);
        RecorderMainWindow* window = w.app().window.mainWindow;
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    WindowHarness w;
};

TEST_F(MainFocus, TabGoesThroughTheControlsInReadingOrderAndRoundAgain) {
    RecorderApp& app = w.app();
    std::vector<RecorderFocusItem> chain;
    ASSERT_EQ(recorderMainFocusChain(app, chain), OKAY);
    // Rows from the top, each from the left: the header, the recording card
    // (the new-track button is not there while auto split is on), the
    // toolbar, the list, the transport (the position only with a track loaded).
    const std::vector<int> expected = {
        kSkinHotLogo,     kSkinHotFindSongs,  kSkinHotMenu,        kSkinHotMinimise,
        kSkinHotClose,    kSkinHotRecordMode, kSkinHotAutoSegment, kSkinHotHideShort,
        kSkinHotRename,   kSkinHotDelete,     kSkinHotSave,        0,
        kSkinHotPrevious, kSkinHotPlayPause,  kSkinHotNext,        kSkinSliderVolume};
    EXPECT_EQ(keysOf(chain), expected);

    // The list has the focus at start; Tab goes on from it, and around.
    EXPECT_EQ(focused(app), 0);
    std::vector<int> visited;
    for (size_t i = 0; i < expected.size(); ++i) {
        press(app, Qt::Key_Tab);
        visited.push_back(focused(app));
    }
    std::vector<int> fromList(expected.begin() + 12, expected.end());
    fromList.insert(fromList.end(), expected.begin(), expected.begin() + 12);
    EXPECT_EQ(visited, fromList);
    EXPECT_TRUE(app.owned.listView->hasFocus());
    press(app, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(app), kSkinHotSave);
    EXPECT_TRUE(app.window.mainWindow->hasFocus());  // the window holds the keyboard for a skin button
}

// The ring follows the button's shape: around the round play button a
// circle, whose pixels lie on it and not in the corners of the button's area.
TEST_F(MainFocus, TheRingIsRoundAroundARoundButton) {
    RecorderApp& app = w.app();
    RecorderSkinLook look;
    ASSERT_EQ(recorderSkinLookFromSkin(app.owned.skin.get(), look), OKAY);
    ASSERT_EQ(recorderMainFocusTo(app, {RecorderFocusKind::Hotspot, kSkinHotPlayPause, {}}), OKAY);
    hwndRect ring;
    ASSERT_EQ(skinFocusRingBounds(app.owned.skin.get(), ring), OKAY);
    ASSERT_GT(ring.width(), 0);
    EXPECT_NEAR(ring.width(), ring.height(), 1);  // a circle
    const QImage image = app.window.mainWindow->grab().toImage();
    screenshot(*app.window.mainWindow, "recorderWindow", "focus-play");
    auto accentAt = [&](int x, int y) {
        return recorderSkinLookContrast(image.pixelColor(x, y), look.accent) < 1.6;
    };
    const int cx = (ring.left + ring.right) / 2, cy = (ring.top + ring.bottom) / 2;
    const int r = ring.width() / 2 - 3;
    int onRing = 0;
    for (auto [x, y] :
         {std::pair{cx - r, cy}, std::pair{cx + r, cy}, std::pair{cx, cy - r}, std::pair{cx, cy + r}})
        onRing += accentAt(x, y) || accentAt(x + 1, y) || accentAt(x - 1, y) || accentAt(x, y + 1) ||
                  accentAt(x, y - 1);
    EXPECT_EQ(onRing, 4);
    EXPECT_FALSE(accentAt(ring.left + 2, ring.top + 2));  // no square corner
    // Its colour stands out from the skin around it.
    EXPECT_GE(recorderSkinLookContrast(look.accent, image.pixelColor(ring.left + 2, ring.top + 2)), 3.0);

    // A mouse press takes the ring away.
    w.click(QPoint(300, 60));
    ASSERT_EQ(skinFocusRingBounds(app.owned.skin.get(), ring), OKAY);
    EXPECT_EQ(ring.width(), 0);
}

// Space and Enter press the focused button (and play or pause elsewhere);
// the movement keys move a focused slider.
TEST_F(MainFocus, KeysPressTheFocusedButtonAndMoveTheFocusedSlider) {
    RecorderApp& app = w.app();
    ASSERT_TRUE(app.modes.recordMode);
    ASSERT_EQ(recorderMainFocusTo(app, {RecorderFocusKind::Hotspot, kSkinHotRecordMode, {}}), OKAY);
    press(app, Qt::Key_Space);
    EXPECT_FALSE(app.modes.recordMode);
    EXPECT_FALSE(app.transport.playing);  // the key pressed the button, it did not play
    press(app, Qt::Key_Return);
    EXPECT_TRUE(app.modes.recordMode);

    ASSERT_EQ(recorderMainFocusTo(app, {RecorderFocusKind::Slider, kSkinSliderVolume, {}}), OKAY);
    press(app, Qt::Key_End);
    ASSERT_EQ(w.sliderValue(kSkinSliderVolume), 1.0f);
    press(app, Qt::Key_Left);
    EXPECT_NEAR(w.sliderValue(kSkinSliderVolume), 1.0f - kRecorderSliderKeyStep, 0.01);
    EXPECT_NEAR(app.owned.engine->playback.gain.load(), 1.0f - kRecorderSliderKeyStep, 0.01);
    press(app, Qt::Key_Home);
    EXPECT_EQ(w.sliderValue(kSkinSliderVolume), 0.0f);
    EXPECT_EQ(app.owned.engine->playback.gain.load(), 0.0f);
    press(app, Qt::Key_PageUp);
    EXPECT_NEAR(w.sliderValue(kSkinSliderVolume), 4 * kRecorderSliderKeyStep, 0.01);
    press(app, Qt::Key_End);
    EXPECT_EQ(w.sliderValue(kSkinSliderVolume), 1.0f);

    // With the list focused Space plays, as before.
    ASSERT_EQ(recorderMainFocusTo(app, {RecorderFocusKind::List, -1, {}}), OKAY);
    w.freezePlayback(true);
    press(app, Qt::Key_Space);
    EXPECT_TRUE(app.transport.playing);
}

}  // namespace
