// The Clear List Confirmation at exit.
//
// Yes deletes the tracks the question counted. A track that finishes
// recording while the question is up was not counted and is kept: it will be
// in the list at the next start.
#include "recorderDlgClearOnExit.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "recCache.h"
#include "recorderApp.h"
#include "recorderDialogForm.h"
#include "recorderDialogLook.h"
#include "recorderDlgMsgModal.h"
#include "recorderMainWindow.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderDlgClearOnExit";

std::string recorderDlgClearOnExitText(int tracks) {
    return std::string(kClearYouHave) + " " + std::to_string(tracks) + " " +
           (tracks == 1 ? kClearUnsavedTrack : kClearUnsavedTracks) + "\n\n" + kClearQuestion;
}

int recorderDlgClearOnExit(RecorderApp& app) {
    if (!app.owned.cacheDb || !app.window.mainWindow) return REPORT_ERR();
    std::vector<int> ids;
    REPORT_CHECK(recCacheGetIds(app.owned.cacheDb.get(), kRecCacheMaxIds, ids));
    if (ids.empty()) return OKAY;

    QDialog dialog(app.window.mainWindow);
    QVBoxLayout* layout = recorderDialogFormStart(dialog, kDlgClearOnExitCaption);
    auto* text =
        new QLabel(QString::fromStdString(recorderDlgClearOnExitText(static_cast<int>(ids.size()))), &dialog);
    text->setObjectName(kClearText);
    layout->addWidget(text);
    auto* dontShow = new QCheckBox(kClearDontShowAgain, &dialog);
    dontShow->setObjectName(kClearDontShow);
    dontShow->setChecked(false);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(dontShow);
    buttons->addStretch(1);
    auto* yes = new QPushButton("Yes", &dialog);
    yes->setObjectName(kClearYes);
    auto* no = new QPushButton("No", &dialog);
    no->setObjectName(kClearNo);
    no->setDefault(true);
    buttons->addWidget(yes);
    buttons->addWidget(no);
    layout->addLayout(buttons);
    QObject::connect(yes, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(no, &QPushButton::clicked, &dialog, &QDialog::reject);
    REPORT_CHECK(recorderDialogLook(app, dialog));
    const bool clear = dialog.exec() == QDialog::Accepted;

    if (dontShow->isChecked()) {
        REPORT_CHECK(recorderSessionSetClearOnExit(false));
        bool confirmed = false;
        REPORT_CHECK(recorderDlgMsgModal(app, kMsgClearNotShownAgain, false, confirmed));
    }
    if (!clear) return OKAY;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int result = OKAY;
    for (int id : ids) {
        bool deleted = false;
        if (recorderSongListDeleteTrack(app, id, deleted) != OKAY) {
            result = REPORT_ERR();
            break;
        }
    }
    QApplication::restoreOverrideCursor();
    if (result != OKAY) return REPORT_ERR();
    REPORT_CHECK(recorderSongListFill(app));
    return OKAY;
}
