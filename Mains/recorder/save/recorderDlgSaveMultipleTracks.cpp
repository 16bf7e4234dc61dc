// The multiple-tracks save dialog and its batch.
//
// The batch runs on the user-interface thread like a single save; between
// tracks the progress dialog is brought up to date, which also lets a click
// on its Cancel through. Two tracks of one batch that would get the same file
// name (the same details) do not overwrite each other: the later one gets
// " (2)", " (3)", ... before ".mp3", since with "remove after save" on the
// earlier track would otherwise be gone from both the list and the disk.
#include "recorderDlgSaveMultipleTracks.h"

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <ctime>
#include <set>

#include "File.h"
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
#include "recorderTransport.h"
#include "recorderUndoDelete.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderDlgSaveMultipleTracks";

namespace {

constexpr qint64 kProgressEveryMs = 50;

struct MultipleTracksDialog {
    QDialog* dialog = nullptr;
    QPushButton* ok = nullptr;
    RecorderSaveTarget target;
    int kind = 0;
};

// One track's details as the batch uses them.
struct BatchTrack {
    recCacheTags tags;
    recCacheTrack track;
    std::string shownName;  // as the track list shows it
};

void build(MultipleTracksDialog& d) {
    QDialog& dialog = *d.dialog;
    QVBoxLayout* layout = recorderDialogFormStart(dialog, kDlgSaveMultipleCaption);
    auto* choices = new QHBoxLayout();
    layout->addLayout(choices);
    auto* group = new QVBoxLayout();
    layout->addLayout(group);
    d.target = recorderSaveTargetCreate(
        dialog, *choices, *group,
        {kSaveMultipleMp3, kSaveMultipleItunes, kSaveMultipleFrame, kSaveMultipleFolderLabel,
         kSaveMultipleFolder, kSaveMultipleBrowse, kSaveMultipleSubfolders, kSaveMultipleHint});
    d.ok = recorderDialogFormButtons(dialog, *layout, kSaveMultipleOk, kSaveMultipleCancel).ok;
}

int readTrack(RecorderApp& app, int id, long now, BatchTrack& t) {
    REPORT_CHECK(recCacheGetTags(app.owned.cacheDb.get(), id, t.tags));
    REPORT_CHECK(recCacheGetTrack(app.owned.cacheDb.get(), id, t.track));
    REPORT_CHECK(recorderSongListTrackName(t.tags, t.track.creationTime, now, t.shownName));
    // Untitled tracks are named after their start, in a form a file name can hold.
    if (t.tags.song.empty()) REPORT_CHECK(recorderSaveDefaultTitle(t.track.creationTime, t.tags.song));
    return OKAY;
}

// `path` unless an earlier track of this batch took it: then "name (n).mp3".
std::string unusedInBatch(const std::string& path, const std::set<std::string>& used) {
    if (!used.count(path)) return path;
    std::string stem = path;
    pstrStripSuffix(stem, ".mp3");
    for (int n = 2;; ++n) {
        std::string candidate = stem + " (" + std::to_string(n) + ").mp3";
        if (!used.count(candidate)) return candidate;
    }
}

// Saves one track; saved is false when the batch must stop.
int saveTrack(RecorderApp& app, BatchTrack& t, bool mp3, const std::string& folder, bool subfolders,
              std::set<std::string>& used, bool& saved) {
    saved = false;
    recCacheTags& tags = t.tags;
    if (!mp3) {
        REPORT_CHECK(recorderItunes(app, tags.song, tags.artist, tags.album, tags.genre, tags.comment,
                                    t.track.baseName, saved));
        return OKAY;
    }
    bool ok = false;
    std::string path;
    REPORT_CHECK(
        recorderSaveBuildMp3Path(app, ok, folder, tags.artist, tags.album, tags.song, subfolders, path));
    if (!ok) return OKAY;
    path = unusedInBatch(path, used);
    REPORT_CHECK(recorderMP3(app, tags.song, tags.artist, tags.album, tags.genre, tags.comment,
                             t.track.baseName, path, saved));
    if (!saved) {
        bool confirmed = false;
        REPORT_CHECK(
            recorderDlgMsgModal(app, std::string(kMsgUnableToSaveFile) + "\n   " + path, false, confirmed));
        return OKAY;
    }
    used.insert(path);
    return OKAY;
}

// The batch. finished is set when every track was handled (nothing stopped it).
int runBatch(RecorderApp& app, MultipleTracksDialog& d, int& savedCount, bool& finished) {
    savedCount = 0;
    finished = false;
    const bool mp3 = d.target.mp3->isChecked();
    std::string folder;
    bool subfolders = true;
    if (mp3) {
        bool folderOk = false;
        REPORT_CHECK(recorderSaveTargetStoreFolder(app, d.target, folderOk, folder, subfolders));
        if (!folderOk) return OKAY;
    }
    bool removeAfterSave = true;
    REPORT_CHECK(recorderSessionGetRemoveAfterSave(removeAfterSave));

    std::vector<long> ids;
    REPORT_CHECK(recorderSaveCollectIds(app, d.kind, ids));
    std::erase(ids, kRecorderRecordingRow);
    const int total = static_cast<int>(ids.size());

    QProgressDialog progress(d.dialog);
    progress.setObjectName(kSaveProgressName);
    progress.setWindowTitle(kSaveProgressCaption);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setRange(0, total);
    progress.setMinimumWidth(360);
    REPORT_CHECK(recorderDialogLook(app, progress));

    const long now = static_cast<long>(std::time(nullptr));
    std::set<std::string> used;
    progress.show();
    QElapsedTimer sinceShown;
    sinceShown.start();
    for (int i = 0; i < total; ++i) {
        BatchTrack t;
        REPORT_CHECK(readTrack(app, static_cast<int>(ids[i]), now, t));
        // The one moment the user gets through while a batch runs: a Cancel
        // pressed during the previous track is seen here. Tracks saved from
        // their companions take a few milliseconds each; showing every one
        // of them would cost more than saving it, so the dialog is brought
        // up to date at most every 50 ms.
        if (i == 0 || sinceShown.elapsed() >= kProgressEveryMs) {
            progress.setLabelText(QString("Saving %1 of %2\n%3")
                                      .arg(i + 1)
                                      .arg(total)
                                      .arg(QString::fromStdString(t.shownName)));
            progress.setValue(i);
            QCoreApplication::processEvents();
            sinceShown.start();
        }
        if (progress.wasCanceled()) return OKAY;
        bool saved = false;
        REPORT_CHECK(saveTrack(app, t, mp3, folder, subfolders, used, saved));
        if (!saved) return OKAY;
        if (removeAfterSave) {
            bool deleted = false;
            REPORT_CHECK(recorderSongListDeleteTrack(app, static_cast<int>(ids[i]), deleted));
        }
        ++savedCount;
    }
    finished = true;
    return OKAY;
}

int onOk(RecorderApp& app, MultipleTracksDialog& d) {
    // A save ends what a delete before it held.
    REPORT_CHECK(recorderUndoDeleteForget(app));
    REPORT_CHECK(recorderSaveTargetStoreType(d.target));
    int savedCount = 0;
    bool finished = false;
    const int result = runBatch(app, d, savedCount, finished);
    // Also after a stop: tracks removed so far must leave the list, or saving
    // the selection again would meet tracks that no longer exist.
    REPORT_CHECK(recorderSongListFill(app));
    if (result != OKAY) return REPORT_ERR();
    if (!finished) return OKAY;
    d.dialog->accept();
    if (savedCount > 0) {
        bool confirmed = false;
        REPORT_CHECK(
            recorderDlgMsgModal(app, std::to_string(savedCount) + " " + kMsgTracksSaved, false, confirmed));
    }
    return OKAY;
}

}  // namespace

int recorderDlgSaveMultipleTracks(RecorderApp& app, int kind) {
    if (!app.owned.cacheDb || !app.window.mainWindow) return REPORT_ERR();
    bool playing = false;
    REPORT_CHECK(recorderTransportIsPlaying(app, playing));
    if (playing) REPORT_CHECK(recorderTransportStop(app, true));
    QDialog dialog(app.window.mainWindow);
    MultipleTracksDialog d;
    d.dialog = &dialog;
    d.kind = kind;
    build(d);
    REPORT_CHECK(recorderSaveTargetLoad(app, d.target));
    REPORT_CHECK(recorderDialogLook(app, dialog));
    QObject::connect(d.ok, &QPushButton::clicked, &dialog, [&app, &d] {
        if (onOk(app, d) != OKAY) REPORT_ERR();
    });
    dialog.exec();
    return OKAY;
}
