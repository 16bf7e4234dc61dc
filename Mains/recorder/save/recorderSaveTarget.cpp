// The MP3 / iTunes choice and the folder group of the save dialogs.
#include "recorderSaveTarget.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "Ptime.h"
#include "pstr.h"
#include "recorderApp.h"
#include "recorderDlgMsgModal.h"
#include "recorderItunes.h"
#include "recorderPaths.h"
#include "recorderSave.h"
#include "recorderSession.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderSaveTarget";

namespace {

constexpr int kSaveAsTypeMp3 = 1;
constexpr int kSaveAsTypeItunes = 2;

int fillFolder(const RecorderSaveTarget& target) {
    std::string folder;
    REPORT_CHECK(recorderPathsDefaultSaveFolder(folder));
    target.folder->setText(QString::fromStdString(folder));
    return OKAY;
}

int browse(RecorderApp& app, const RecorderSaveTarget& target) {
    bool done = false;
    REPORT_CHECK(recorderSaveSelectFolder(app, done));
    REPORT_CHECK(fillFolder(target));
    return OKAY;
}

}  // namespace

RecorderSaveTarget recorderSaveTargetCreate(QDialog& dialog, QBoxLayout& choices, QBoxLayout& group,
                                            const RecorderSaveTargetIds& ids) {
    RecorderSaveTarget t;
    t.mp3 = new QRadioButton(kSaveAsMp3, &dialog);
    t.mp3->setObjectName(ids.mp3);
    t.itunes = new QRadioButton(kSaveAsItunes, &dialog);
    t.itunes->setObjectName(ids.itunes);
    choices.addWidget(t.mp3);
    choices.addWidget(t.itunes);
    choices.addStretch(1);

    t.frame = new QGroupBox(&dialog);
    t.frame->setObjectName(ids.frame);
    auto* grid = new QGridLayout(t.frame);
    auto* label = new QLabel(kSaveFolderLabel, t.frame);
    label->setObjectName(ids.folderLabel);
    t.folder = new QLineEdit(t.frame);
    t.folder->setObjectName(ids.folder);
    t.folder->setMaxLength(kSaveFolderMaxLength);
    t.folder->setMinimumWidth(380);
    label->setBuddy(t.folder);
    t.browse = new QPushButton(kSaveBrowse, t.frame);
    t.browse->setObjectName(ids.browse);
    t.browse->setAutoDefault(false);
    t.subfolders = new QCheckBox(kSaveSubfolders, t.frame);
    t.subfolders->setObjectName(ids.subfolders);
    auto* hint = new QLabel(kSaveSubfoldersHint, t.frame);
    hint->setObjectName(ids.hint);
    grid->addWidget(label, 0, 0);
    grid->addWidget(t.folder, 0, 1);
    grid->addWidget(t.browse, 0, 2);
    grid->addWidget(t.subfolders, 1, 1);
    grid->addWidget(hint, 2, 1);
    group.addWidget(t.frame);

    // The folder matters only for an MP3 file. Hidden, it keeps its room, so
    // that the dialog keeps its size and OK stays under the pointer.
    QSizePolicy keepRoom = t.frame->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    t.frame->setSizePolicy(keepRoom);
    QObject::connect(t.mp3, &QRadioButton::toggled, t.frame, &QWidget::setVisible);
    return t;
}

int recorderSaveTargetLoad(RecorderApp& app, RecorderSaveTarget& target) {
    REPORT_CHECK(recorderItunesOffered(app, target.itunesOffered));
    int type = kSaveAsTypeMp3;
    REPORT_CHECK(recorderSessionGetSaveAsType(type));
    // Without iTunes there is nothing to choose: the MP3 file is the target,
    // and a stored iTunes choice waits for a start where iTunes is there.
    if (!target.itunesOffered) type = kSaveAsTypeMp3;
    target.mp3->setVisible(target.itunesOffered);
    target.itunes->setVisible(target.itunesOffered);
    (type == kSaveAsTypeItunes ? target.itunes : target.mp3)->setChecked(true);
    target.frame->setVisible(type != kSaveAsTypeItunes);
    bool subfolders = true;
    REPORT_CHECK(recorderSessionGetUseSubfolders(subfolders));
    target.subfolders->setChecked(subfolders);
    REPORT_CHECK(fillFolder(target));
    RecorderApp* a = &app;
    QObject::connect(target.browse, &QPushButton::clicked, target.browse, [a, target] {
        if (browse(*a, target) != OKAY) REPORT_ERR();
    });
    return OKAY;
}

int recorderSaveDefaultTitle(long creationTime, std::string& title) {
    REPORT_CHECK(PtimeText(creationTime, "", true, title));
    return OKAY;
}

// Settings are written through to disk (synced) one by one; a value that
// did not change is not written again, so a save does not wait for the disk
// without need.
int recorderSaveTargetStoreType(const RecorderSaveTarget& target) {
    if (!target.itunesOffered) return OKAY;
    const int type = target.mp3->isChecked() ? kSaveAsTypeMp3 : kSaveAsTypeItunes;
    int stored = 0;
    REPORT_CHECK(recorderSessionGetSaveAsType(stored));
    if (type != stored) REPORT_CHECK(recorderSessionSetSaveAsType(type));
    return OKAY;
}

int recorderSaveTargetStoreFolder(RecorderApp& app, const RecorderSaveTarget& target, bool& ok,
                                  std::string& folder, bool& useSubfolders) {
    ok = false;
    folder = target.folder->text().toStdString();
    useSubfolders = target.subfolders->isChecked();
    // A relative folder would land wherever the program happened to start.
    if (folder.empty() || folder[0] != '/') {
        bool confirmed = false;
        REPORT_CHECK(recorderDlgMsgModal(app, kMsgFolderRequired, false, confirmed));
        return OKAY;
    }
    bool storedSubfolders = true;
    REPORT_CHECK(recorderSessionGetUseSubfolders(storedSubfolders));
    if (useSubfolders != storedSubfolders) REPORT_CHECK(recorderSessionSetUseSubfolders(useSubfolders));
    std::string storedFolder, newFolder = folder;
    REPORT_CHECK(recorderSessionGetDefaultMp3SaveFolder(storedFolder));
    pstrStripTrailingSlash(newFolder);
    if (newFolder != storedFolder) REPORT_CHECK(recorderSessionSetDefaultMp3SaveFolder(folder));
    ok = true;
    return OKAY;
}
