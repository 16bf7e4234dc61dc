// The About dialog.
#include "recorderDlgAbout.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "recorderApp.h"
#include "recorderDialogForm.h"
#include "recorderDialogLook.h"
#include "recorderInit.h"
#include "recorderMainInput.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "report.h"
#include "skin.h"

static constexpr const char* kReportModule = "./recorderDlgAbout";

std::string recorderDlgAboutText() {
    return std::string(kRecorderTitle) + " - Version " + recorderProductVersionText() + "\n\n" +
           kAboutDescription;
}

namespace {

// The skin's logo, as the main window shows it (a null image without a skin
// or a logo button).
int skinLogo(RecorderApp& app, QImage& logo) {
    logo = QImage();
    Skin* skin = app.owned.skin.get();
    if (!skin) return OKAY;
    int enabled = 0, left = 0, top = 0, right = 0, bottom = 0;
    REPORT_CHECK(skinHotspotGet(skin, kSkinHotLogo, enabled, left, top, right, bottom));
    if (enabled == 0) return OKAY;
    for (const SkinComponent& c : skin->components)
        if (c.key == kSkinMaster && !c.bitmap.isNull())
            logo = c.bitmap.copy(QRect(QPoint(left, top), QPoint(right, bottom)));
    return OKAY;
}

}  // namespace

int recorderDlgAbout(RecorderApp& app) {
    if (!app.window.mainWindow) return REPORT_ERR();
    QDialog dialog(app.window.mainWindow);
    QVBoxLayout* layout = recorderDialogFormStart(dialog, kDlgAboutCaption);
    // Room around and between the parts: the logo, the text, the buttons.
    layout->setContentsMargins(kAboutMargin, kAboutMargin, kAboutMargin, kAboutMargin * 3 / 4);
    layout->setSpacing(kAboutMargin * 2 / 3);
    QImage logo;
    REPORT_CHECK(skinLogo(app, logo));
    if (!logo.isNull()) {
        auto* picture = new QLabel(&dialog);
        picture->setObjectName(kAboutLogo);
        picture->setPixmap(QPixmap::fromImage(logo));
        // On the skin's own bar colour, a rounded badge rather than a block.
        picture->setStyleSheet(QString("QLabel { background-color: %1; border-radius: 8px; padding: 6px 8px; }")
                                   .arg(logo.pixelColor(0, 0).name()));
        layout->addWidget(picture, 0, Qt::AlignLeft);
    }
    auto* text = new QLabel(QString::fromStdString(recorderDlgAboutText()), &dialog);
    text->setObjectName(kAboutText);
    text->setWordWrap(true);
    text->setFixedWidth(kAboutTextWidth);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(text);
    layout->addSpacing(kAboutMargin / 3);
    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
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
