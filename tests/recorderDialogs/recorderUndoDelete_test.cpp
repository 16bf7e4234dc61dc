// Undoing a delete (offscreen, real cache files and cache.db): the deleted
// tracks' rows leave cache.db and their files the cache folder, and come back
// byte for byte; the notice, Ctrl+Z and the main menu's entry undo; the next
// delete, a save and the end of the program make a delete final.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include "dialogDriver.h"
#include "ptListView.h"
#include "recorderDlgSaveMultipleTracks.h"
#include "recorderInit.h"
#include "recorderMainKeys.h"
#include "recorderMainMenu.h"
#include "recorderMainWindow.h"
#include "recorderPaths.h"
#include "recorderSave.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "recorderUndoDelete.h"
#include "report.h"
#include "saveFixture.h"
#include "sndDevicesDeleteCacheFiles.h"
#include "sndDevicesNames.h"
#include "testsupport.h"
#include "toolOutput.h"

namespace fs = std::filesystem;

namespace {

recCacheTags titled(const std::string& title) {
    recCacheTags t;
    t.song = title;
    return t;
}

// A track as the user sees it on the disk and in cache.db: its row, every
// column quoted, and the bytes of its files.
struct Snapshot {
    std::string row;
    std::vector<unsigned char> audio, companion;
    bool operator==(const Snapshot&) const = default;
};

class UndoDelete : public ::testing::Test {
  protected:
    UndoDelete() {
        EXPECT_EQ(recorderSessionSetRemoveAfterSave(false), OKAY);
        for (const char* title : {"One", "Two", "Three"}) {
            recCacheTags tags = titled(title);
            tags.comment = "it's";
            ids.push_back(f.addTrack(tags));
            // A companion, as the pre-encoding would have left one.
            testsupport::writeBytes(companion(ids.back()),
                                    {'M', 'P', '3', static_cast<unsigned char>(ids.back())});
        }
        EXPECT_EQ(recCacheSetSource(f.h.app.owned.cacheDb.get(), ids[2], kRecCacheSourcePlayers), OKAY);
    }
    std::string audio(int id) {
        return sndDevicesAudioPath(f.cacheFolder(), f.baseName(id), kSndScrambleKey);
    }
    std::string companion(int id) {
        return sndDevicesCompanionPath(f.cacheFolder(), f.baseName(id), kSndScrambleKey);
    }
    std::string held() const { return f.cacheFolder() + "/" + kSndHeldFolderName; }
    std::string rowOf(int id) {
        return testsupport::toolOutput(
            "sqlite3 " + testsupport::shellQuoted(f.cacheFolder() + "/cache.db") +
            " \"SELECT quote(id), quote(cache_filename_no_extension), quote(artist), "
            "quote(song), quote(album), quote(genre), quote(comment), "
            "quote(creation_timestamp), quote(duration), quote(source) FROM caches "
            "WHERE id = " +
            std::to_string(id) + "\"");
    }
    Snapshot snapshot(int id) {
        Snapshot s;
        s.row = rowOf(id);
        s.audio = testsupport::readBytes(audio(id));
        s.companion = testsupport::readBytes(companion(id));
        return s;
    }
    int rowsInList() { return f.h.app.owned.listView->topLevelItemCount(); }
    QWidget* notice() { return f.h.app.undo.notice.data(); }
    bool noticeShown() { return notice() && notice()->isVisible(); }
    std::string noticeText() { return notice()->findChild<QLabel*>(kUndoNoticeText)->text().toStdString(); }
    void deleteRows(const std::vector<int>& rows) {
        f.selectRows(rows);
        ASSERT_EQ(recorderSongListDelete(f.h.app), OKAY);
    }

    SaveFixture f;
    std::vector<int> ids;
};

TEST_F(UndoDelete, UndoBringsTheRowsAndFilesBackByteForByte) {
    const Snapshot one = snapshot(ids[0]), three = snapshot(ids[2]);
    ASSERT_FALSE(one.row.empty());
    ASSERT_FALSE(one.audio.empty());
    const int listHeight = f.h.app.owned.listView->height();

    deleteRows({0, 2});
    // Gone from cache.db and the cache folder, as a delete always was.
    EXPECT_EQ(rowOf(ids[0]), "");
    EXPECT_EQ(rowOf(ids[2]), "");
    EXPECT_FALSE(fs::exists(audio(ids[0])));
    EXPECT_FALSE(fs::exists(companion(ids[2])));
    EXPECT_EQ(rowsInList(), 1);
    EXPECT_TRUE(f.messages().empty());
    ASSERT_TRUE(noticeShown());
    EXPECT_EQ(noticeText(), "2 tracks deleted.");
    EXPECT_EQ(f.h.app.owned.listView->height(), listHeight - kUndoNoticeHeight);  // nothing hides a row
    screenshot(*f.h.app.window.mainWindow, "recorderDialogs", "undo-notice");
    // The start-up's reconciliation does not take the held files for tracks.
    int added = -1, removed = -1;
    ASSERT_EQ(recCacheReconcile(f.h.app.owned.cacheDb.get(), added, removed), OKAY);
    EXPECT_EQ(added, 0);

    ASSERT_EQ(recorderMainKeyCommand(f.h.app, RecorderKeyCommand::Undo), OKAY);  // Ctrl+Z
    EXPECT_EQ(snapshot(ids[0]), one);
    EXPECT_EQ(snapshot(ids[2]), three);
    EXPECT_EQ(f.trackIds(), ids);
    EXPECT_EQ(rowsInList(), 3);
    std::vector<long> selected;
    ASSERT_EQ(ptListViewGetSelectedItemData(f.h.app.owned.listCtrl.get(), 10, selected), OKAY);
    EXPECT_EQ(selected, (std::vector<long>{ids[0], ids[2]}));
    EXPECT_FALSE(noticeShown());
    EXPECT_EQ(f.h.app.owned.listView->height(), listHeight);
    EXPECT_FALSE(fs::exists(held()) && !fs::is_empty(held()));
    // Nothing more to undo.
    ASSERT_EQ(recorderMainKeyCommand(f.h.app, RecorderKeyCommand::Undo), OKAY);
    EXPECT_EQ(f.trackIds(), ids);
}

// The notice's button and the main menu's entry undo as Ctrl+Z does; the
// menu offers the entry only while there is a delete to undo.
TEST_F(UndoDelete, TheNoticesButtonAndTheMenuUndoToo) {
    const Snapshot two = snapshot(ids[1]);
    deleteRows({1});
    ASSERT_TRUE(noticeShown());
    EXPECT_EQ(noticeText(), "Deleted \u201cTwo\u201d.");
    notice()->findChild<QPushButton*>(kUndoNoticeButton)->click();
    EXPECT_EQ(snapshot(ids[1]), two);
    EXPECT_FALSE(noticeShown());

    deleteRows({1});
    std::vector<std::string> withUndo, without;
    DialogDriver driver;
    driver.then(kMainMenuName, [&](QWidget& m) {
        withUndo = entries(m);
        chooseEntry(m, kMainMenuUndo);
    });
    ASSERT_EQ(recorderMainMenu(f.h.app), OKAY);
    EXPECT_TRUE(driver.pending().empty());
    ASSERT_FALSE(withUndo.empty());
    EXPECT_EQ(withUndo.front(), kMainMenuUndo);
    EXPECT_EQ(snapshot(ids[1]), two);
    DialogDriver again;
    again.then(kMainMenuName, [&](QWidget& m) {
        without = entries(m);
        pressEscape(m);
    });
    ASSERT_EQ(recorderMainMenu(f.h.app), OKAY);
    EXPECT_EQ(std::count(without.begin(), without.end(), std::string(kMainMenuUndo)), 0);
}

// Only the last delete can be undone: the next delete, a save and the end
// of the program make the held tracks go for good, files and rows.
TEST_F(UndoDelete, TheNextDeleteASaveAndTheEndMakeItFinal) {
    deleteRows({0});  // "One"
    const std::string oneAudio = f.h.app.undo.baseNames.front();
    deleteRows({0});  // "Two" (now the first row)
    EXPECT_EQ(noticeText(), "Deleted \u201cTwo\u201d.");
    ASSERT_EQ(recorderUndoDelete(f.h.app), OKAY);
    EXPECT_EQ(f.trackIds(), (std::vector<int>{ids[1], ids[2]}));  // "One" stays deleted
    EXPECT_FALSE(fs::exists(sndDevicesAudioPath(held(), oneAudio, kSndScrambleKey)));

    // A save (of anything) ends the undo.
    deleteRows({0});  // "Two" again
    ASSERT_TRUE(recorderUndoDeleteAvailable(f.h.app));
    DialogDriver driver;
    driver.then(kDlgSaveMultipleCaption, [](QWidget& w) { clickChild(w, kSaveMultipleCancel); });
    ASSERT_EQ(recorderDlgSaveMultipleTracks(f.h.app, kSaveAll), OKAY);  // cancelled: nothing saved
    EXPECT_TRUE(recorderUndoDeleteAvailable(f.h.app));
    DialogDriver saving;
    saving.then(kDlgSaveMultipleCaption, [](QWidget& w) { clickChild(w, kSaveMultipleOk); });
    ASSERT_EQ(recorderDlgSaveMultipleTracks(f.h.app, kSaveAll), OKAY);
    EXPECT_FALSE(recorderUndoDeleteAvailable(f.h.app));
    EXPECT_FALSE(noticeShown());
    ASSERT_EQ(recorderUndoDelete(f.h.app), OKAY);
    EXPECT_EQ(f.trackIds(), (std::vector<int>{ids[2]}));
    EXPECT_FALSE(fs::exists(held()));

    // The end of the program.
    const std::string threeAudio = audio(ids[2]);
    deleteRows({0});
    ASSERT_TRUE(fs::exists(held()));
    ASSERT_EQ(recorderShutdown(f.h.app), OKAY);
    EXPECT_FALSE(fs::exists(held()));
    EXPECT_FALSE(fs::exists(threeAudio));
}

// What a run that ended without its shutdown left held goes at the next start.
TEST(UndoDeleteStartUp, TheHoldingPlaceIsEmptiedAtStartUp) {
    RecorderHarness h;
    std::string cache;
    ASSERT_EQ(recorderPaths(RECORDER_PATH_CACHE, cache), OKAY);
    const std::string held = cache + "/" + kSndHeldFolderName;
    fs::create_directories(held);
    testsupport::writeText(held + "/1700000000_5000_1.tmp", "audio");
    testsupport::writeText(held + "/1700000000_5000_1.dat", "mp3");
    ASSERT_EQ(h.start(), OKAY);
    EXPECT_FALSE(fs::exists(held));
    EXPECT_EQ(h.app.owned.listView->topLevelItemCount(), 0);
}

}  // namespace
