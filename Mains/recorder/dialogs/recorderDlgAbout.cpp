// The About dialog.
#include "recorderDlgAbout.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "recorderApp.h"
#include "recorderDialogForm.h"
#include "recorderDialogLook.h"
#include "recorderInit.h"
#include "recorderMainInput.h"
#include "recorderMainWindow.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderDlgAbout";

std::string recorderDlgAboutText() {
    return std::string(kRecorderTitle) + " - Version " + recorderProductVersionText() + "\n\n" +
           kAboutDescription;
}

int recorderDlgAbout(RecorderApp& app) {
    if (!app.window.mainWindow) return REPORT_ERR();
    QDialog dialog(app.window.mainWindow);
    QVBoxLayout* layout = recorderDialogFormStart(dialog, kDlgAboutCaption);
    auto* text = new QLabel(QString::fromStdString(recorderDlgAboutText()), &dialog);
    text->setObjectName(kAboutText);
    text->setWordWrap(true);
    text->setFixedWidth(340);
    layout->addWidget(text);
    auto* buttons = new QHBoxLayout();
    auto* website = new QPushButton("Website...", &dialog);
    website->setObjectName(kAboutWebsite);
    website->setAutoDefault(false);
    auto* ok = new QPushButton("OK", &dialog);
    ok->setObjectName(kAboutOk);
    ok->setDefault(true);
    buttons->addWidget(website);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    bool openWebsite = false;
    QObject::connect(website, &QPushButton::clicked, &dialog, [&dialog, &openWebsite] {
        openWebsite = true;
        dialog.accept();
    });
    REPORT_CHECK(recorderDialogLook(app, dialog));
    dialog.exec();
    if (openWebsite) REPORT_CHECK(recorderMainOpenPage(app, kRecorderPageLogo));
    return OKAY;
}
