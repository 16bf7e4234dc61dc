// The main window's keys and window buttons under the offscreen platform:
// each key acts as the button or gesture it stands for, with the track list
// holding the focus as it does after start-up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "dialogDriver.h"
#include "recCache.h"
#include "recorderDlgClearOnExit.h"
#include "recorderDlgRename.h"
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
    recCacheTags tags;
    tags.song = "First Song";
    ASSERT_EQ(recCacheSetTags(app.owned.cacheDb.get(), first, tags), OKAY);

    // One user's session, key after key: the row selected first (-1: none,
    // -2: as it is), the key, and what it must have done.
    using Check = std::function<void()>;
    std::string renamed;  // the title field of the Rename dialog, when it opened
    struct Step {
        const char* what;
        int row;
        int key;
        Qt::KeyboardModifiers modifiers;
        Check check;
        const char* opens = nullptr;  // the caption of the dialog the key opens
    } steps[] = {
        {"Enter plays the selected track", 1, Qt::Key_Return, Qt::NoModifier,
         [&] {
             EXPECT_TRUE(app.transport.playing);
             EXPECT_EQ(app.transport.playingTrack, second);
         }},
        {"Space pauses", -2, Qt::Key_Space, Qt::NoModifier,
         [&] {
             EXPECT_FALSE(app.transport.playing);
             EXPECT_EQ(w.selectedRow(), 1);  // Space is not the list's selection key here
         }},
        {"Space plays on", -2, Qt::Key_Space, Qt::NoModifier, [&] { EXPECT_TRUE(app.transport.playing); }},
        {"Delete without a selection", -1, Qt::Key_Delete, Qt::NoModifier,
         [&] { EXPECT_EQ(w.h.dialog.texts, std::vector<std::string>{kMsgSelectTrackToDelete}); }},
        {"Enter without a selection", -1, Qt::Key_Return, Qt::NoModifier,
         [&] { EXPECT_EQ(app.transport.playingTrack, second); }},
        {"F2 without a selection", -1, Qt::Key_F2, Qt::NoModifier,
         [&] { EXPECT_EQ(w.h.dialog.texts.back(), kMsgSelectTrackToRename); }},
        {"F2 opens Rename for the selected track", 0, Qt::Key_F2, Qt::NoModifier,
         [&] { EXPECT_EQ(renamed, "First Song"); }, kDlgRenameCaption},
        {"Delete deletes the selected track", 0, Qt::Key_Delete, Qt::NoModifier,
         [&] { EXPECT_EQ(app.owned.listView->topLevelItemCount(), 1); }},
        {"Ctrl+Q is the close request: the clear-list question, then the shutdown", -2, Qt::Key_Q,
         Qt::ControlModifier, [&] { EXPECT_TRUE(quit(app)); }, kDlgClearOnExitCaption},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.row != -2) w.select(step.row);
        DialogDriver driver;
        if (step.opens)
            driver.then(step.opens, [&](QWidget& dialog) {
                if (auto* title = child<QLineEdit>(dialog, kRenameTitle))
                    renamed = title->text().toStdString();
                pressEscape(dialog);
            });
        key(w, step.key, step.modifiers);
        EXPECT_TRUE(driver.pending().empty());
        step.check();
    }
    EXPECT_EQ(reports.count(), 0u);
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
