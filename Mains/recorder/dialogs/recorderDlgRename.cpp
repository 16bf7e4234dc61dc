// The Rename dialog. The artist, album and genre typed are stored for
// completion as soon as OK is pressed, even when the title is still missing.
#include "recorderDlgRename.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "recCache.h"
#include "recorderApp.h"
#include "recorderDialogForm.h"
#include "recorderDialogLook.h"
#include "recorderDlgMsgModal.h"
#include "recorderMainWindow.h"
#include "recorderSongList.h"
#include "recorderTagFields.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderDlgRename";

namespace {

struct RenameDialog {
    QDialog* dialog = nullptr;
    QPushButton* ok = nullptr;
    RecorderTagFields fields;
    RecorderTagStores stores;
    int trackId = 0;
};

void build(RenameDialog& d) {
    QDialog& dialog = *d.dialog;
    QVBoxLayout* layout = recorderDialogFormStart(dialog, kDlgRenameCaption);
    auto* grid = new QGridLayout();
    layout->addLayout(grid);
    d.fields = recorderTagFieldsCreate(
        dialog, *grid, 0, {kRenameTitle, kRenameArtist, kRenameAlbum, kRenameGenre, kRenameComment});
    d.ok = recorderDialogFormButtons(dialog, *layout, kRenameOk, kRenameCancel).ok;
    d.fields.title->setFocus();
}

int onOk(RecorderApp& app, RenameDialog& d) {
    const recCacheTags tags = recorderTagFieldsRead(d.fields);
    REPORT_CHECK(recorderTagStoresAdd(d.stores, tags));
    if (tags.song.empty()) {
        bool confirmed = false;
        REPORT_CHECK(recorderDlgMsgModal(app, kMsgTitleRequired, false, confirmed));
        return OKAY;
    }
    REPORT_CHECK(recCacheSetTags(app.owned.cacheDb.get(), d.trackId, tags));
    REPORT_CHECK(recorderSongListFill(app));
    d.dialog->accept();
    return OKAY;
}

}  // namespace

int recorderDlgRename(RecorderApp& app) {
    if (!app.owned.cacheDb || !app.window.mainWindow) return REPORT_ERR();
    bool found = false;
    int id = kRecorderNoTrack;
    std::string baseName;
    REPORT_CHECK(recorderSongListGetSelectedTrack(app, found, id, baseName));
    bool confirmed = false;
    if (!found) {
        REPORT_CHECK(recorderDlgMsgModal(app, kMsgSelectTrackToRename, false, confirmed));
        return OKAY;
    }
    if (id == kRecorderRecordingRow) {
        REPORT_CHECK(recorderDlgMsgModal(app, kMsgCannotRenameRecording, false, confirmed));
        return OKAY;
    }

    QDialog dialog(app.window.mainWindow);
    RenameDialog d;
    d.dialog = &dialog;
    d.trackId = id;
    build(d);
    struct CloseStores {
        RecorderTagStores& stores;
        ~CloseStores() { recorderTagStoresClose(stores); }
    } closeStores{d.stores};
    recCacheTags tags;
    REPORT_CHECK(recCacheGetTags(app.owned.cacheDb.get(), id, tags));
    recorderTagFieldsFill(d.fields, tags);
    REPORT_CHECK(recorderTagStoresOpen(app, d.fields, d.stores));
    REPORT_CHECK(recorderDialogLook(app, dialog));
    QObject::connect(d.ok, &QPushButton::clicked, &dialog, [&app, &d] {
        if (onOk(app, d) != OKAY) REPORT_ERR();
    });
    dialog.exec();
    return OKAY;
}
