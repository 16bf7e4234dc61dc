// The single-track save dialog.
//
// The texts typed here name the file and fill its tags (or the iTunes
// track); they are not written back to the cache: renaming is the Rename
// dialog's job.
#include "recorderDlgSaveSingleTrack.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "pstr.h"
#include "recCache.h"
#include "recorderApp.h"
#include "recorderDialogForm.h"
#include "recorderDialogLook.h"
#include "recorderDlgMsgModal.h"
#include "recorderItunes.h"
#include "recorderMP3.h"
#include "recorderMainWindow.h"
#include "recorderSave.h"
#include "recorderSaveTarget.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "recorderTagFields.h"
#include "recorderTransport.h"
#include "recorderUndoDelete.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderDlgSaveSingleTrack";

namespace {

struct SingleTrackDialog {
    QDialog* dialog = nullptr;
    QPushButton* ok = nullptr;
    RecorderTagFields fields;
    RecorderSaveTarget target;
    RecorderTagStores stores;
    int trackId = 0;
    std::string baseName;
};

void build(SingleTrackDialog& d) {
    QDialog& dialog = *d.dialog;
    QVBoxLayout* layout = recorderDialogFormStart(dialog, kDlgSaveSingleCaption);
    auto* choices = new QHBoxLayout();
    layout->addLayout(choices);
    auto* grid = new QGridLayout();
    layout->addLayout(grid);
    d.fields = recorderTagFieldsCreate(
        dialog, *grid, 0,
        {kSaveSingleTitle, kSaveSingleArtist, kSaveSingleAlbum, kSaveSingleGenre, kSaveSingleComment});
    auto* group = new QVBoxLayout();
    layout->addLayout(group);
    d.target = recorderSaveTargetCreate(
        dialog, *choices, *group,
        {kSaveSingleMp3, kSaveSingleItunes, kSaveSingleFrame, kSaveSingleFolderLabel, kSaveSingleFolder,
         kSaveSingleBrowse, kSaveSingleSubfolders, kSaveSingleHint});
    d.ok = recorderDialogFormButtons(dialog, *layout, kSaveSingleOk, kSaveSingleCancel).ok;
    d.fields.title->setFocus();
}

// OK. Returns with the dialog still open whenever the track was not saved.
int onOk(RecorderApp& app, SingleTrackDialog& d) {
    bool confirmed = false;
    // A save ends what a delete before it held.
    REPORT_CHECK(recorderUndoDeleteForget(app));
    REPORT_CHECK(recorderSaveTargetStoreType(d.target));
    recCacheTags tags = recorderTagFieldsRead(d.fields);
    pstrStripLeadingBlanks(tags.song);
    if (tags.song.empty()) {
        REPORT_CHECK(recorderDlgMsgModal(app, kMsgTitleRequired, false, confirmed));
        return OKAY;
    }
    REPORT_CHECK(recorderTagStoresAdd(d.stores, tags));

    bool saved = false;
    if (d.target.mp3->isChecked()) {
        bool folderOk = false, subfolders = true;
        std::string folder, path;
        REPORT_CHECK(recorderSaveTargetStoreFolder(app, d.target, folderOk, folder, subfolders));
        if (!folderOk) return OKAY;
        bool pathOk = false;
        REPORT_CHECK(recorderSaveBuildMp3Path(app, pathOk, folder, tags.artist, tags.album, tags.song,
                                              subfolders, path));
        if (!pathOk) return OKAY;
        REPORT_CHECK(recorderMP3(app, tags.song, tags.artist, tags.album, tags.genre, tags.comment,
                                 d.baseName, path, saved));
    } else {
        REPORT_CHECK(recorderItunes(app, tags.song, tags.artist, tags.album, tags.genre, tags.comment,
                                    d.baseName, saved));
    }
    if (!saved) return OKAY;

    REPORT_CHECK(recorderSongListKeepFirstSelected(app));
    bool removeAfterSave = true;
    REPORT_CHECK(recorderSessionGetRemoveAfterSave(removeAfterSave));
    if (removeAfterSave) {
        bool deleted = false;
        REPORT_CHECK(recorderSongListDeleteTrack(app, d.trackId, deleted));
        if (!deleted) return OKAY;
    }
    REPORT_CHECK(recorderSongListFill(app));
    d.dialog->accept();
    return OKAY;
}

int open(RecorderApp& app, SingleTrackDialog& d) {
    bool playing = false;
    REPORT_CHECK(recorderTransportIsPlaying(app, playing));
    if (playing) REPORT_CHECK(recorderTransportStop(app, true));
    REPORT_CHECK(recorderSaveTargetLoad(app, d.target));
    recCacheTags tags;
    REPORT_CHECK(recCacheGetTags(app.owned.cacheDb.get(), d.trackId, tags));
    recCacheTrack track;
    REPORT_CHECK(recCacheGetTrack(app.owned.cacheDb.get(), d.trackId, track));
    d.baseName = track.baseName;
    // An untitled track offers the title a batch would give it, selected, so
    // that OK accepts it and typing replaces it.
    const bool untitled = tags.song.empty();
    if (untitled) REPORT_CHECK(recorderSaveDefaultTitle(track.creationTime, tags.song));
    recorderTagFieldsFill(d.fields, tags);
    if (untitled) d.fields.title->selectAll();
    REPORT_CHECK(recorderTagStoresOpen(app, d.fields, d.stores));
    REPORT_CHECK(recorderDialogLook(app, *d.dialog));
    return OKAY;
}

}  // namespace

int recorderDlgSaveSingleTrack(RecorderApp& app, long trackId) {
    if (!app.owned.cacheDb || !app.window.mainWindow) return REPORT_ERR();
    QDialog dialog(app.window.mainWindow);
    SingleTrackDialog d;
    d.dialog = &dialog;
    d.trackId = static_cast<int>(trackId);
    build(d);
    // Whatever happens, the stores close with the dialog.
    struct CloseStores {
        RecorderTagStores& stores;
        ~CloseStores() { recorderTagStoresClose(stores); }
    } closeStores{d.stores};
    REPORT_CHECK(open(app, d));

    QObject::connect(d.ok, &QPushButton::clicked, &dialog, [&app, &d] {
        if (onOk(app, d) != OKAY) REPORT_ERR();
    });
    app.save.singleTrackDialog = &dialog;
    app.save.singleTrackOpen = true;
    dialog.exec();
    app.save.singleTrackOpen = false;
    app.save.singleTrackDialog = nullptr;
    return OKAY;
}
