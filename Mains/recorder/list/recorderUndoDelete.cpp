// Undoing a delete (see recorderUndoDelete.h).
#include "recorderUndoDelete.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <ctime>

#include "ptListView.h"
#include "recCache.h"
#include "recorderApp.h"
#include "recorderDialogLook.h"
#include "recorderDlgMsgModal.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderSkinLook.h"
#include "recorderSongList.h"
#include "recorderTransport.h"
#include "report.h"
#include "sndDevicesDeleteCacheFiles.h"

static constexpr const char* kReportModule = "./recorderUndoDelete";

namespace {

std::string noticeText(const RecorderUndoState& undo) {
    if (undo.names.size() == 1) return "Deleted \u201c" + undo.names.front() + "\u201d.";
    return std::to_string(undo.names.size()) + " tracks deleted.";
}

// The notice at the foot of the track list's rectangle, made once.
int showNotice(RecorderApp& app) {
    RecorderMainWindow* window = app.window.mainWindow;
    if (!window || !app.owned.skin) return REPORT_ERR();
    RecorderUndoState& undo = app.undo;
    if (!undo.notice) {
        auto* notice = new QFrame(window);  // the window owns it
        notice->setObjectName(kUndoNoticeName);
        auto* row = new QHBoxLayout(notice);
        row->setContentsMargins(10, 0, 6, 0);
        auto* text = new QLabel(notice);
        text->setObjectName(kUndoNoticeText);
        auto* button = new QPushButton(kUndoButtonText, notice);
        button->setObjectName(kUndoNoticeButton);
        button->setToolTip(kUndoButtonTip);
        button->setFocusPolicy(Qt::NoFocus);  // Ctrl+Z is the keyboard's way
        row->addWidget(text, 1);
        row->addWidget(button);
        REPORT_CHECK(recorderDialogLook(app, *notice));
        RecorderSkinLook look;
        REPORT_CHECK(recorderSkinLookFromSkin(app.owned.skin.get(), look));
        QPalette palette = notice->palette();
        palette.setColor(QPalette::Window, look.header);
        notice->setPalette(palette);
        notice->setAutoFillBackground(true);
        RecorderApp* a = &app;
        QObject::connect(button, &QPushButton::clicked, notice, [a] {
            if (recorderUndoDelete(*a) != OKAY) REPORT_ERR();
        });
        undo.notice = notice;
    }
    int left = 0, top = 0, right = 0, bottom = 0;
    RecorderSkinColour text, back;
    REPORT_CHECK(recorderMainSkinListLayout(app.owned.skin.get(), left, top, right, bottom, text, back));
    undo.notice->setGeometry(left, bottom - kUndoNoticeHeight, right - left, kUndoNoticeHeight);
    undo.notice->findChild<QLabel*>(kUndoNoticeText)->setText(QString::fromStdString(noticeText(undo)));
    undo.notice->show();
    undo.notice->raise();
    REPORT_CHECK(recorderSongListPlace(app, kUndoNoticeHeight));
    return OKAY;
}

int hideNotice(RecorderApp& app) {
    if (!app.undo.notice || app.undo.notice->isHidden()) return OKAY;
    app.undo.notice->hide();
    REPORT_CHECK(recorderSongListPlace(app, 0));
    return OKAY;
}

}  // namespace

int recorderUndoDeleteTrack(RecorderApp& app, int id, bool& deleted) {
    deleted = false;
    if (!app.owned.cacheDb || !app.owned.engine) return REPORT_ERR();
    recCacheTrack track;
    recCacheTags tags;
    REPORT_CHECK(recCacheGetTrack(app.owned.cacheDb.get(), id, track));
    REPORT_CHECK(recCacheGetTags(app.owned.cacheDb.get(), id, tags));
    std::string name;
    REPORT_CHECK(
        recorderSongListTrackName(tags, track.creationTime, static_cast<long>(std::time(nullptr)), name));
    if (app.transport.playingTrack == id) REPORT_CHECK(recorderTransportStop(app, true));
    int result = 0;
    REPORT_CHECK(sndDevicesHoldCacheFiles(*app.owned.engine, track.baseName, result));
    if (result != 0) {
        bool confirmed = false;
        REPORT_CHECK(recorderDlgMsgModal(app, kMsgUnableToDeleteTrack, false, confirmed));
        return OKAY;
    }
    if (recCacheHold(app.owned.cacheDb.get(), id) != OKAY) {
        // The row stays: so do the files.
        sndDevicesRestoreHeldFiles(*app.owned.engine, track.baseName, result);
        return REPORT_ERR();
    }
    app.undo.baseNames.push_back(track.baseName);
    app.undo.names.push_back(name);
    deleted = true;
    return OKAY;
}

int recorderUndoDeleteOffer(RecorderApp& app) {
    if (app.undo.baseNames.empty()) return OKAY;
    REPORT_CHECK(showNotice(app));
    return OKAY;
}

bool recorderUndoDeleteAvailable(const RecorderApp& app) { return !app.undo.baseNames.empty(); }

int recorderUndoDelete(RecorderApp& app) {
    if (app.undo.baseNames.empty()) return OKAY;
    if (!app.owned.cacheDb || !app.owned.engine || !app.owned.listCtrl) return REPORT_ERR();
    std::vector<long> restored;
    std::vector<std::string> stuck;  // their files stay held, and go for good
    for (const std::string& baseName : app.undo.baseNames) {
        int result = 0;
        REPORT_CHECK(sndDevicesRestoreHeldFiles(*app.owned.engine, baseName, result));
        if (result != 0) {
            stuck.push_back(baseName);
            continue;
        }
        int id = 0;
        REPORT_CHECK(recCacheRestoreHeld(app.owned.cacheDb.get(), baseName, id));
        restored.push_back(id);
    }
    app.undo.baseNames = stuck;
    app.undo.names.clear();
    REPORT_CHECK(hideNotice(app));
    REPORT_CHECK(recorderSongListFill(app));
    // The tracks that came back are the selection.
    ptListView* lv = app.owned.listCtrl.get();
    REPORT_CHECK(ptListViewClearSelection(lv));
    int count = 0;
    REPORT_CHECK(ptListViewGetCount(lv, count));
    for (int i = 0; i < count; ++i) {
        long data = 0;
        REPORT_CHECK(ptListViewGetItemData(lv, i, data));
        if (std::find(restored.begin(), restored.end(), data) != restored.end())
            REPORT_CHECK(ptListViewSelect(lv, i, true));
    }
    if (!stuck.empty()) {
        REPORT_CHECK(recorderUndoDeleteForget(app));
        bool confirmed = false;
        REPORT_CHECK(recorderDlgMsgModal(app, kMsgUnableToUndo, false, confirmed));
    }
    return OKAY;
}

int recorderUndoDeleteForget(RecorderApp& app) {
    REPORT_CHECK(hideNotice(app));
    // The holding place goes too when an undo left it empty.
    if (app.owned.engine) REPORT_CHECK(sndDevicesEmptyHeldFiles(*app.owned.engine));
    if (app.undo.baseNames.empty()) return OKAY;
    app.undo.baseNames.clear();
    app.undo.names.clear();
    if (app.owned.cacheDb) REPORT_CHECK(recCacheForgetHeld(app.owned.cacheDb.get()));
    return OKAY;
}

int recorderUndoDeleteStartUp(RecorderApp& app) {
    if (!app.owned.engine) return REPORT_ERR();
    REPORT_CHECK(sndDevicesEmptyHeldFiles(*app.owned.engine));
    return OKAY;
}
