// The main window's keys and window buttons under the offscreen platform:
// each key acts as the button or gesture it stands for, with the track list
// holding the focus as it does after start-up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTreeWidget>

#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderSongList.h"
#include "report.h"
#include "windowHarness.h"

namespace {

// The keys go where a user's would: to the focused list of the active window.
void key(WindowHarness& w, int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    RecorderApp& app = w.app();
    QApplication::setActiveWindow(app.window.mainWindow);
    app.owned.listView->setFocus();
    QTest::keyClick(app.owned.listView, static_cast<Qt::Key>(k), modifiers);
}

bool quit(RecorderApp& app) { return !app.window.mainWindow->isVisible() && app.owned.engine == nullptr; }

TEST(recorderMainKeys, KeysActAsTheirButtons) {
    WindowHarness w;
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    ReportRecorder reports;
    const int first = w.addTrack(30000, 1700000000);
    const int second = w.addTrack(40000, 1700000100);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);

    // Enter plays the selected track; Space pauses and plays on.
    w.select(1);
    key(w, Qt::Key_Return);
    EXPECT_TRUE(app.transport.playing);
    EXPECT_EQ(app.transport.playingTrack, second);
    key(w, Qt::Key_Space);
    EXPECT_FALSE(app.transport.playing);
    EXPECT_EQ(w.selectedRow(), 1);  // Space is not the list's selection key here
    key(w, Qt::Key_Space);
    EXPECT_TRUE(app.transport.playing);

    // Delete: with nothing selected the Delete button's message; then the
    // selected track goes. Enter with nothing selected plays nothing.
    w.select(-1);
    key(w, Qt::Key_Delete);
    EXPECT_EQ(w.h.dialog.texts, std::vector<std::string>{kMsgSelectTrackToDelete});
    key(w, Qt::Key_Return);
    w.select(0);
    key(w, Qt::Key_Delete);
    EXPECT_EQ(app.owned.listView->topLevelItemCount(), 1);
    EXPECT_EQ(reports.count(), 0u);

    // Ctrl+Q is the close request: the program shuts down.
    key(w, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(quit(app));
}

TEST(recorderMainKeys, WindowButtonsMinimiseAndClose) {
    WindowHarness w;
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    // The default skin shows both buttons and lights them up.
    for (auto [hotspot, hover] :
         {std::pair{kSkinHotMinimise, kSkinMinimiseHover}, {kSkinHotClose, kSkinCloseHover}}) {
        w.move(w.hotspot(hotspot));
        EXPECT_EQ(w.value(hover), 1) << hotspot;
    }
    w.click(w.hotspot(kSkinHotMinimise));
    EXPECT_TRUE(app.window.mainWindow->isMinimized());
    app.window.mainWindow->showNormal();
    w.click(w.hotspot(kSkinHotClose));
    EXPECT_TRUE(quit(app));
}

}  // namespace
