// The save flow: which tracks are meant, the Save button's rule and menu, the
// MP3 naming rules and the folder picker.
#include "recorderSave.h"

#include <QMenu>

#include "CSlout.h"
#include "File.h"
#include "pstr.h"
#include "ptListView.h"
#include "recCache.h"
#include "recorderApp.h"
#include "recorderDialogLook.h"
#include "recorderDlgMsgModal.h"
#include "recorderDlgSaveMultipleTracks.h"
#include "recorderDlgSaveSingleTrack.h"
#include "recorderFolderPicker.h"
#include "recorderMainWindow.h"
#include "recorderPaths.h"
#include "recorderSession.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderSave";

namespace {

// Text of a name part: what a file name cannot hold, and full stops (which
// would make hidden files, "." and ".." or false extensions), become "_".
void fileNamePart(std::string& text) {
    text = pstrFileNameSafe(text, '_');
    pstrReplaceChar(text, '.', '_');
}

std::string joinPath(const std::string& folder, const std::string& name) { return folder + "/" + name; }

int selectedIds(RecorderApp& app, std::vector<long>& ids) {
    std::vector<int> rows;
    REPORT_CHECK(ptListViewGetSelected(app.owned.listCtrl.get(), kPtListViewMaxSelection, rows));
    for (int row : rows) {
        long data = 0;
        REPORT_CHECK(ptListViewGetItemData(app.owned.listCtrl.get(), row, data));
        ids.push_back(data);
    }
    return OKAY;
}

int cacheIds(RecorderApp& app, bool wizardOnly, std::vector<long>& ids) {
    std::vector<int> all;
    REPORT_CHECK(recCacheGetIds(app.owned.cacheDb.get(), kRecCacheMaxIds, all));
    int maxShort = 30;
    REPORT_CHECK(recorderSessionGetMaxShortFileDuration(maxShort));
    for (int id : all) {
        if (app.modes.hideShort) {
            recCacheTrack track;
            REPORT_CHECK(recCacheGetTrack(app.owned.cacheDb.get(), id, track));
            if (track.durationMs / 1000 <= maxShort) continue;
        }
        if (wizardOnly) {
            bool wizard = false;
            REPORT_CHECK(recorderSaveIsWizardTrack(app, id, wizard));
            if (!wizard) continue;
        }
        ids.push_back(id);
    }
    return OKAY;
}

}  // namespace

int recorderSaveCollectIds(RecorderApp& app, int kind, std::vector<long>& ids) {
    ids.clear();
    if (!app.owned.listCtrl || !app.owned.cacheDb) return REPORT_ERR();
    switch (kind) {
        case kSaveSelected:
            REPORT_CHECK(selectedIds(app, ids));
            return OKAY;
        case kSaveAll:
        case kSaveWizard:
            REPORT_CHECK(cacheIds(app, kind == kSaveWizard, ids));
            return OKAY;
        default:
            return REPORT_ERR();
    }
}

int recorderSave(RecorderApp& app, int kind) {
    std::vector<long> ids;
    REPORT_CHECK(recorderSaveCollectIds(app, kind, ids));
    bool confirmed = false;
    if (ids.empty()) {
        const char* message = kind == kSaveSelected ? kMsgSelectTracksToSave
                              : kind == kSaveAll    ? kMsgNoTracksToSave
                                                    : kMsgNoWizardTracksToSave;
        REPORT_CHECK(recorderDlgMsgModal(app, message, false, confirmed));
        return OKAY;
    }
    if (ids.size() == 1) {
        if (ids[0] == kRecorderRecordingRow) {
            REPORT_CHECK(recorderDlgMsgModal(app, kMsgCannotSaveRecording, false, confirmed));
            return OKAY;
        }
        REPORT_CHECK(recorderDlgSaveSingleTrack(app, ids[0]));
        return OKAY;
    }
    REPORT_CHECK(recorderDlgSaveMultipleTracks(app, kind));
    return OKAY;
}

int recorderSaveButton(RecorderApp& app, int x, int y) {
    ptListView* lv = app.owned.listCtrl.get();
    if (!lv || !app.window.mainWindow) return REPORT_ERR();
    int count = 0;
    REPORT_CHECK(ptListViewGetCount(lv, count));
    std::vector<int> rows;
    REPORT_CHECK(ptListViewGetSelected(lv, kPtListViewMaxSelection, rows));
    if (count == 1) {
        if (rows.empty()) REPORT_CHECK(ptListViewSelect(lv, 0, true));
        REPORT_CHECK(recorderSave(app, kSaveSelected));
        return OKAY;
    }
    QMenu menu(app.window.mainWindow);
    menu.setObjectName(kSaveMenuName);
    REPORT_CHECK(recorderDialogLook(app, menu));
    QAction* selected = menu.addAction(rows.size() >= 2 ? kSaveMenuSelectedTracks : kSaveMenuSelectedTrack);
    QAction* all = menu.addAction(kSaveMenuAllTracks);
    QAction* chosen = menu.exec(app.window.mainWindow->mapToGlobal(QPoint(x, y)));
    if (chosen == selected) REPORT_CHECK(recorderSave(app, kSaveSelected));
    if (chosen == all) REPORT_CHECK(recorderSave(app, kSaveAll));
    return OKAY;
}

int recorderSaveBuildMp3Path(RecorderApp& app, bool& ok, const std::string& folder, std::string& artist,
                             std::string& album, std::string& title, bool useSubfolders, std::string& path) {
    ok = false;
    path.clear();
    std::string base = folder;
    pstrStripTrailingSlash(base);
    fileNamePart(artist);
    fileNamePart(album);
    fileNamePart(title);

    std::string target = base;
    std::string name;
    if (useSubfolders) {
        if (!artist.empty()) {
            target = joinPath(target, artist);
            if (!album.empty()) target = joinPath(target, album);
        }
        name = title;
    } else if (!artist.empty() && !album.empty()) {
        name = artist + " - " + album + " - " + title;
    } else if (!artist.empty()) {
        name = artist + " - " + title;
    } else if (!album.empty()) {
        name = album + " - " + title;
    } else {
        name = title;
    }

    bool created = false;
    // An empty target is the root folder ("/" without its separator).
    REPORT_CHECK(FileCreateFolderPath(target.empty() ? "/" : target, app.owned.trace.get(), created));
    if (!created) return OKAY;
    path = joinPath(target, name) + ".mp3";
    ok = true;
    return OKAY;
}

int recorderSaveSelectFolder(RecorderApp& app, bool& done) {
    done = false;
    DesktopFolderPicker desktop;
    FolderPicker* picker = app.services.folderPicker ? app.services.folderPicker : &desktop;
    std::string start;
    REPORT_CHECK(recorderPathsDefaultSaveFolder(start));
    bool chosen = false;
    std::string folder;
    REPORT_CHECK(picker->pick(nullptr, kSelectFolderTitle, start, chosen, folder));
    if (chosen) REPORT_CHECK(recorderSessionSetDefaultMp3SaveFolder(folder));
    done = true;
    return OKAY;
}

int recorderSaveMarkWizardTrack(RecorderApp& app, long trackId) {
    if (!app.owned.cacheDb) return REPORT_ERR();
    REPORT_CHECK(recCacheSetSource(app.owned.cacheDb.get(), static_cast<int>(trackId), 1));
    return OKAY;
}

int recorderSaveIsWizardTrack(RecorderApp& app, long trackId, bool& isWizard) {
    isWizard = false;
    if (!app.owned.cacheDb) return REPORT_ERR();
    int source = 0;
    REPORT_CHECK(recCacheGetSource(app.owned.cacheDb.get(), static_cast<int>(trackId), source));
    isWizard = source == 1;
    return OKAY;
}
