// The e-mail dialog.
#include "recorderDlgAskEmail.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "recorderApp.h"
#include "recorderDialogLook.h"
#include "recorderMainWindow.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderDlgAskEmail";

static constexpr const char* kAskEmailMessage =
    "If you would like to receive occasional information about new Tobrel features and free upgrades, please "
    "enter your email address.";

int recorderDlgAskEmail(RecorderApp& app, std::string& address) {
    address.clear();
    QWidget* owner =
        app.window.mainWindow && app.window.mainWindow->isVisible() ? app.window.mainWindow.data() : nullptr;
    QDialog dialog(owner);
    dialog.setWindowTitle(kAskEmailCaption);
    dialog.setModal(true);
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(kAskEmailMessage, &dialog);
    text->setObjectName(kAskEmailText);
    text->setWordWrap(true);
    text->setMinimumWidth(320);
    layout->addWidget(text);

    auto* row = new QHBoxLayout();
    auto* label = new QLabel("Email Address:", &dialog);
    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName(kAskEmailAddress);
    edit->setMaxLength(kAskEmailMaxLength);
    label->setBuddy(edit);
    row->addWidget(label);
    row->addWidget(edit, 1);
    layout->addLayout(row);

    auto* buttons = new QHBoxLayout();
    auto* decline = new QPushButton(kAskEmailNoThanksText, &dialog);
    decline->setObjectName(kAskEmailNoThanks);
    decline->setAutoDefault(false);
    auto* ok = new QPushButton("OK", &dialog);
    ok->setObjectName(kAskEmailOk);
    ok->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(decline);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    // Declining answers the question for good, as OK on an empty field does.
    bool declined = false;
    QObject::connect(decline, &QPushButton::clicked, &dialog, [&dialog, &declined] {
        declined = true;
        dialog.accept();
    });
    REPORT_CHECK(recorderDialogLook(app, dialog));

    edit->setFocus();
    dialog.raise();
    dialog.activateWindow();
    // OK, the close box and Escape all end here, and all keep what was typed;
    // "No thanks" keeps nothing.
    dialog.exec();
    if (!declined) address = edit->text().trimmed().toStdString();
    return OKAY;
}
