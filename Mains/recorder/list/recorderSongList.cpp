// The track list: building it from the cache database, taking in finished
// recordings, deleting tracks and the row actions.
//
// The list is never edited in place. Every change rebuilds it from cache.db
// (which is the truth) and puts the user's selection back by item data, so
// the list cannot drift from the database.
#include "recorderSongList.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QTreeWidget>
#include <algorithm>
#include <ctime>

#include "CSlout.h"
#include "Ptime.h"
#include "pstr.h"
#include "ptListView.h"
#include "recCache.h"
#include "recorderApp.h"
#include "recorderDialogLook.h"
#include "recorderDlgMsgModal.h"
#include "recorderDlgRename.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderPlayerNaming.h"
#include "recorderSave.h"
#include "recorderSeams.h"
#include "recorderSession.h"
#include "recorderSkinLook.h"
#include "recorderUndoDelete.h"
#include "report.h"
#include "sndDevicesDeleteCacheFiles.h"
#include "sndDevicesEngine.h"

static constexpr const char* kReportModule = "./recorderSongList";

namespace {

// Sends a notification of the list to the main window, where the window
// procedure handles it.
void notify(RecorderApp& app, RecorderListCode code, int row, QPoint globalPos) {
    if (!app.window.mainWindow) return;
    RecorderListEvent event(code, row, globalPos);
    QCoreApplication::sendEvent(app.window.mainWindow, &event);
}

int rowOf(QTreeWidget* list, QTreeWidgetItem* item) { return item ? list->indexOfTopLevelItem(item) : -1; }

bool recordingIndicatorOn(RecorderApp& app, int& indicator) {
    indicator = 0;
    if (!app.owned.engine) return true;
    uint32_t start = 0;
    uint32_t durationMs = 0;
    if (sndDevicesGetRecordStatus(*app.owned.engine, indicator, start, durationMs) != OKAY) return false;
    return true;
}

// The track rows, read in one read transaction (see recCacheBeginReads).
int appendTracks(RecorderApp& app, ptListView* lv) {
    recCache* db = app.owned.cacheDb.get();
    int maxShort = 30;
    REPORT_CHECK(recorderSessionGetMaxShortFileDuration(maxShort));
    const long now = static_cast<long>(std::time(nullptr));
    REPORT_CHECK(recCacheBeginReads(db));
    const auto rows = [&]() -> int {
        std::vector<int> ids;
        REPORT_CHECK(recCacheGetIds(db, kRecCacheMaxIds, ids));
        for (int id : ids) {
            recCacheTrack track;
            REPORT_CHECK(recCacheGetTrack(db, id, track));
            if (app.modes.hideShort && track.durationMs / 1000 <= maxShort) continue;
            recCacheTags tags;
            REPORT_CHECK(recCacheGetTags(db, id, tags));
            std::string name;
            REPORT_CHECK(recorderSongListTrackName(tags, track.creationTime, now, name));
            REPORT_CHECK(ptListViewAppendRow(lv, {name, pstrTimeDisplay(track.durationMs / 1000)}, -1, id));
        }
        return OKAY;
    };
    const int result = rows();
    REPORT_CHECK(recCacheEndReads(db));
    if (result != OKAY) return REPORT_ERR();
    return OKAY;
}

}  // namespace

int recorderSongListCreate(RecorderApp& app) {
    if (!app.window.mainWindow) return REPORT_ERR();
    auto* list = new QTreeWidget(app.window.mainWindow);  // a child: the window owns it
    list->setObjectName("trackList");
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    app.owned.listView = list;
    REPORT_CHECK(ptListViewInit(list, app.owned.trace.get(), app.owned.listCtrl));
    REPORT_CHECK(ptListViewAddColumn(app.owned.listCtrl.get(), kSongListColumnTrack));
    REPORT_CHECK(ptListViewAddColumn(app.owned.listCtrl.get(), kSongListColumnDuration));

    // The list's notifications go to the main window, as a list control's do.
    RecorderApp* a = &app;
    QObject::connect(list, &QTreeWidget::itemClicked, list, [a, list](QTreeWidgetItem* item, int) {
        notify(*a, RecorderListCode::Click, rowOf(list, item), QCursor::pos());
    });
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, list, [a, list](QTreeWidgetItem* item, int) {
        notify(*a, RecorderListCode::DoubleClick, rowOf(list, item), QCursor::pos());
    });
    QObject::connect(list, &QTreeWidget::customContextMenuRequested, list, [a, list](const QPoint& pos) {
        notify(*a, RecorderListCode::RightClick, rowOf(list, list->itemAt(pos)),
               list->viewport()->mapToGlobal(pos));
    });
    list->show();
    return OKAY;
}

int recorderSongListApplySkin(RecorderApp& app, Skin& skin) {
    if (!app.owned.listCtrl) return REPORT_ERR();
    int left = 0, top = 0, right = 0, bottom = 0;
    RecorderSkinColour text, back;
    REPORT_CHECK(recorderMainSkinListLayout(&skin, left, top, right, bottom, text, back));
    REPORT_CHECK(ptListViewPlace(app.owned.listCtrl.get(), left, top, right, bottom));
    const double shares[] = {0.72, 0.28};
    REPORT_CHECK(ptListViewSetColumnShares(app.owned.listCtrl.get(), shares, 2));
    REPORT_CHECK(ptListViewApplyColumnWidths(app.owned.listCtrl.get()));
    REPORT_CHECK(ptListViewSetTextColour(app.owned.listCtrl.get(), text.red, text.green, text.blue));
    REPORT_CHECK(ptListViewSetBackColour(app.owned.listCtrl.get(), back.red, back.green, back.blue));
    // The rest of the list's look follows the skin too: selections, a slim
    // scroll bar, a quiet header (the list's style sheet replaces the
    // wrapper's own header style), no grid, and rows that fill the area.
    RecorderSkinLook look;
    REPORT_CHECK(recorderSkinLookFromSkin(&skin, look));
    REPORT_CHECK(ptListViewSetSelectionColours(app.owned.listCtrl.get(), look.selText, look.selBack,
                                               look.selTextNoFocus, look.selBackNoFocus));
    REPORT_CHECK(ptListViewSetGridLines(app.owned.listCtrl.get(), false));
    app.owned.listView->header()->setStyleSheet(QString());
    app.owned.listView->setStyleSheet(recorderSkinLookListStyle(look));
    REPORT_CHECK(ptListViewFitRows(app.owned.listCtrl.get()));
    return OKAY;
}

int recorderSongListPlace(RecorderApp& app, int room) {
    if (!app.owned.listCtrl || !app.owned.skin) return REPORT_ERR();
    int left = 0, top = 0, right = 0, bottom = 0;
    RecorderSkinColour text, back;
    REPORT_CHECK(recorderMainSkinListLayout(app.owned.skin.get(), left, top, right, bottom, text, back));
    REPORT_CHECK(ptListViewPlace(app.owned.listCtrl.get(), left, top, right, std::max(top, bottom - room)));
    REPORT_CHECK(ptListViewFitRows(app.owned.listCtrl.get()));
    return OKAY;
}

int recorderSongListFree(RecorderApp& app) {
    if (!app.owned.listCtrl && !app.owned.listView) return OKAY;
    REPORT_CHECK(ptListViewFree(app.owned.listCtrl));
    delete app.owned.listView.data();
    app.owned.listView = nullptr;
    return OKAY;
}

int recorderSongListTrackName(const recCacheTags& tags, long startTime, long now, std::string& name) {
    if (!tags.song.empty()) {
        name = tags.artist.empty() ? tags.song : tags.song + " - " + tags.artist;
        return OKAY;
    }
    REPORT_CHECK(PtimeTextAt(startTime, now, kSongListToday, false, name));
    return OKAY;
}

int recorderSongListFill(RecorderApp& app) {
    ptListView* lv = app.owned.listCtrl.get();
    if (!lv || !app.owned.cacheDb) return REPORT_ERR();

    // The display's name of the playing track is worked out again (a rename).
    app.window.playingNameId = kRecorderNoTrack;

    // 1. What is selected now, by item data.
    std::vector<long> keep;
    REPORT_CHECK(ptListViewGetSelectedItemData(lv, kPtListViewMaxSelection, keep));

    // 2. Empty, quietly.
    REPORT_CHECK(ptListViewDeleteAll(lv));
    REPORT_CHECK(ptListViewSetRedraw(lv, false));
    struct RedrawOn {
        ptListView* lv;
        ~RedrawOn() { ptListViewSetRedraw(lv, true); }
    } redrawOn{lv};

    // 3. The recording in progress.
    int indicator = 0;
    if (!recordingIndicatorOn(app, indicator)) return REPORT_ERR();
    if (indicator) {
        std::string text = kSongListRecordingRow;
        RecorderSongName newest;
        if (recorderDlgFindSongsOnScreen(app)) {
            REPORT_CHECK(recorderDlgFindSongsNewestName(app, newest));
            if (!newest.artist.empty() && !newest.song.empty()) text = newest.song + " - " + newest.artist;
        } else {
            std::string label;
            REPORT_CHECK(recorderPlayerNamingRecordingLabel(app, label));
            if (!label.empty()) text = label;
        }
        REPORT_CHECK(ptListViewAppendRow(lv, {text, kSongListRecordingDuration}, -1, kRecorderRecordingRow));
    }

    // 4. The tracks, oldest first, short ones left out when asked.
    REPORT_CHECK(appendTracks(app, lv));

    // 5. Tracks in id order, the recording row last.
    REPORT_CHECK(ptListViewSort(lv, kPtListViewSortByItemData, 1));
    // 6. Redrawing back on.
    REPORT_CHECK(ptListViewSetRedraw(lv, true));

    // 7. The selection back.
    if (!keep.empty()) {
        int count = 0;
        REPORT_CHECK(ptListViewGetCount(lv, count));
        for (int i = 0; i < count; ++i) {
            long data = 0;
            REPORT_CHECK(ptListViewGetItemData(lv, i, data));
            if (std::find(keep.begin(), keep.end(), data) != keep.end())
                REPORT_CHECK(ptListViewSelect(lv, i, true));
        }
    }
    // 8. The newest row in view.
    REPORT_CHECK(ptListViewScrollToEnd(lv));
    return OKAY;
}

int recorderSongListIsSelected(RecorderApp& app, int id, bool& selected) {
    selected = false;
    if (!app.owned.listCtrl) return REPORT_ERR();
    std::vector<long> items;
    REPORT_CHECK(ptListViewGetSelectedItemData(app.owned.listCtrl.get(), kPtListViewMaxSelection, items));
    selected = std::find(items.begin(), items.end(), id) != items.end();
    return OKAY;
}

int recorderSongListViewTimerClicked(RecorderApp& app, bool changed) {
    if (!app.owned.listCtrl || !app.owned.engine) return REPORT_ERR();

    // 1. The loaded track must stay selected; if the user moved away from it,
    // playback stops, and goes on with the new selection if it was playing.
    if (app.transport.playingTrack != kRecorderNoTrack) {
        bool selected = false;
        REPORT_CHECK(recorderSongListIsSelected(app, app.transport.playingTrack, selected));
        if (!selected) {
            bool wasPlaying = false;
            REPORT_CHECK(recorderTransportIsPlaying(app, wasPlaying));
            REPORT_CHECK(recorderTransportStop(app, true));
            std::vector<int> rows;
            REPORT_CHECK(ptListViewGetSelected(app.owned.listCtrl.get(), 1, rows));
            if (wasPlaying && !rows.empty()) REPORT_CHECK(recorderTransportPlaySelection(app));
        }
    }

    // 2. A recording the engine finished since the last look.
    std::string name;
    uint32_t serial = 0;
    REPORT_CHECK(sndDevicesGetLastRecording(*app.owned.engine, name, serial));
    bool newTrack = false;
    if (name != app.list.lastRecordingName) {
        app.list.lastRecordingName = name;
        if (!name.empty()) {
            // A failed insert (a full disk) has been reported; the track stays
            // on disk and is entered with the next one, or at the next start.
            // The tick goes on either way.
            int added = 0, removed = 0;
            const int entered = app.faults.listFault
                                    ? recCacheReconcile(app.owned.cacheDb.get(), added, removed)
                                    : recCacheInsertFromFileName(app.owned.cacheDb.get(), name);
            app.faults.listFault = entered != OKAY;
            newTrack = entered == OKAY;
        }
    }

    // 3. Named by the YouTube Wizard when it has a name waiting. The finished
    // track takes the oldest pair, the one announced for it: a newer pair
    // belongs to the recording that has just begun. Otherwise named by the
    // media players when they named its recording.
    if (newTrack) {
        RecorderSongName oldest;
        REPORT_CHECK(recorderDlgFindSongsOldestName(app, oldest));
        std::vector<int> ids;
        REPORT_CHECK(recCacheGetIds(app.owned.cacheDb.get(), kRecCacheMaxIds, ids));
        if (ids.empty()) return REPORT_ERR();
        if (oldest.artist.empty() || oldest.song.empty()) {
            bool named = false;
            REPORT_CHECK(recorderPlayerNamingNameTrack(app, ids.back(), serial, named));
        } else {
            recCacheTags tags;
            tags.artist = oldest.artist;
            tags.song = oldest.song;
            REPORT_CHECK(recCacheSetTags(app.owned.cacheDb.get(), ids.back(), tags));
            REPORT_CHECK(recorderSaveMarkWizardTrack(app, ids.back()));
            if (app.owned.trace)
                app.owned.trace->messageW(
                    1, "recorderSongListViewTimerClicked(): Clearing artist name and song name");
            REPORT_CHECK(recorderDlgFindSongsPopName(app));
        }
        REPORT_CHECK(recorderSongListFill(app));
        return OKAY;
    }

    // 4. The recording row comes or goes with the indicator.
    if (changed) REPORT_CHECK(recorderSongListFill(app));
    return OKAY;
}

int recorderSongListDeleteTrack(RecorderApp& app, int id, bool& deleted) {
    deleted = false;
    if (!app.owned.cacheDb || !app.owned.engine) return REPORT_ERR();
    recCacheTrack track;
    REPORT_CHECK(recCacheGetTrack(app.owned.cacheDb.get(), id, track));
    if (app.transport.playingTrack == id) REPORT_CHECK(recorderTransportStop(app, true));
    int result = 0;
    REPORT_CHECK(sndDevicesDeleteCacheFiles(*app.owned.engine, track.baseName, result));
    if (result != 0) {
        bool confirmed = false;
        REPORT_CHECK(recorderDlgMsgModal(app, kMsgUnableToDeleteTrack, false, confirmed));
        return OKAY;
    }
    REPORT_CHECK(recCacheDelete(app.owned.cacheDb.get(), id));
    deleted = true;
    return OKAY;
}

int recorderSongListDelete(RecorderApp& app) {
    ptListView* lv = app.owned.listCtrl.get();
    if (!lv) return REPORT_ERR();
    std::vector<int> rows;
    REPORT_CHECK(ptListViewGetSelected(lv, kPtListViewMaxSelection, rows));
    bool confirmed = false;
    if (rows.empty()) {
        REPORT_CHECK(recorderDlgMsgModal(app, kMsgSelectTrackToDelete, false, confirmed));
        return OKAY;
    }

    // Item data first: deleting must not depend on row positions.
    std::vector<long> items;
    REPORT_CHECK(ptListViewGetSelectedItemData(lv, kPtListViewMaxSelection, items));
    // The delete before this one can no longer be undone.
    REPORT_CHECK(recorderUndoDeleteForget(app));

    QApplication::setOverrideCursor(Qt::WaitCursor);
    int processed = 0;
    int result = OKAY;
    for (long data : items) {
        if (data == kRecorderRecordingRow) {
            ++processed;
            if (items.size() == 1) {
                QApplication::restoreOverrideCursor();
                result = recorderDlgMsgModal(app, kMsgCannotDeleteRecording, false, confirmed);
                QApplication::setOverrideCursor(Qt::WaitCursor);
            }
            continue;
        }
        bool deleted = false;
        ++processed;
        if (recorderUndoDeleteTrack(app, static_cast<int>(data), deleted) != OKAY) {
            result = REPORT_ERR();
            break;
        }
        if (!deleted) break;  // its files are in use: leave the rest alone
    }
    QApplication::restoreOverrideCursor();
    // What was deleted, and the way back.
    if (recorderUndoDeleteOffer(app) != OKAY) result = REPORT_ERR();
    if (result != OKAY) return REPORT_ERR();
    if (processed == 0) return OKAY;

    REPORT_CHECK(recorderSongListFill(app));
    int count = 0;
    REPORT_CHECK(ptListViewGetCount(lv, count));
    if (count == 0) return OKAY;
    REPORT_CHECK(ptListViewClearSelection(lv));
    const int target = rows.size() == 1 ? std::min(rows[0], count - 1) : 0;
    REPORT_CHECK(ptListViewSelect(lv, target, true));
    return OKAY;
}

int recorderSongListGetSelectedTrack(RecorderApp& app, bool& found, int& id, std::string& baseName) {
    found = false;
    id = kRecorderNoTrack;
    baseName.clear();
    if (!app.owned.listCtrl) return REPORT_ERR();
    std::vector<long> items;
    REPORT_CHECK(ptListViewGetSelectedItemData(app.owned.listCtrl.get(), 1, items));
    if (items.empty()) return OKAY;
    const long data = items.front();
    found = true;
    id = static_cast<int>(data);
    if (data == kRecorderRecordingRow) return OKAY;
    if (!app.owned.cacheDb) return REPORT_ERR();
    recCacheTrack track;
    REPORT_CHECK(recCacheGetTrack(app.owned.cacheDb.get(), id, track));
    baseName = track.baseName;
    return OKAY;
}

int recorderSongListKeepFirstSelected(RecorderApp& app) {
    if (!app.owned.listCtrl) return REPORT_ERR();
    std::vector<int> rows;
    REPORT_CHECK(ptListViewGetSelected(app.owned.listCtrl.get(), kPtListViewMaxSelection, rows));
    if (rows.size() < 2) return OKAY;
    REPORT_CHECK(ptListViewClearSelection(app.owned.listCtrl.get()));
    REPORT_CHECK(ptListViewSelect(app.owned.listCtrl.get(), rows[0], true));
    return OKAY;
}

int recorderSongListDoubleClick(RecorderApp& app) {
    REPORT_CHECK(recorderTransportStop(app, false));
    REPORT_CHECK(recorderTransportPlaySelection(app));
    return OKAY;
}

int recorderSongListRowMenu(RecorderApp& app, QPoint globalPos) {
    if (!app.window.mainWindow) return REPORT_ERR();
    QMenu menu(app.window.mainWindow);
    menu.setObjectName("trackListRowMenu");
    REPORT_CHECK(recorderDialogLook(app, menu));
    QAction* rename = menu.addAction(kSongListMenuRename);
    QAction* remove = menu.addAction(kSongListMenuDelete);
    QAction* save = menu.addAction(kSongListMenuSave);
    QAction* chosen = menu.exec(globalPos);
    if (chosen == rename) REPORT_CHECK(recorderDlgRename(app));
    if (chosen == remove) REPORT_CHECK(recorderSongListDelete(app));
    if (chosen == save) REPORT_CHECK(recorderSave(app, kSaveSelected));
    return OKAY;
}
