// The modal message dialog and the plain message boxes of the application,
// with the hand-over of messages from engine threads to the user-interface
// thread.
#include "recorderDlgMsgModal.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <mutex>

#include "recorderApp.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderDlgMsgModal";

namespace {

bool onUiThread() {
    QCoreApplication* core = QCoreApplication::instance();
    return core && QThread::currentThread() == core->thread();
}

// Runs `job` on the user-interface thread once its event loop gets to it.
void queueToUiThread(std::function<void()> job) {
    QCoreApplication* core = QCoreApplication::instance();
    if (!core) return;
    QMetaObject::invokeMethod(core, std::move(job), Qt::QueuedConnection);
}

std::mutex& hookMutex() {
    static std::mutex m;
    return m;
}

RecorderMessageBoxHook& boxHook() {
    static RecorderMessageBoxHook hook;
    return hook;
}

// Dialog 5900. Escape answers OK when there is no Cancel button and Cancel
// otherwise; OK confirms.
class MessageDialog : public QDialog {
  public:
    MessageDialog(QWidget* owner, const std::string& text, bool withCancel)
        : QDialog(owner), withCancel_(withCancel) {
        setWindowTitle(kMsgDlgCaption);
        setModal(true);
        auto* layout = new QVBoxLayout(this);
        auto* label = new QLabel(QString::fromStdString(text), this);
        label->setObjectName(kMsgDlgText);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        label->setMinimumWidth(280);
        layout->addWidget(label);

        auto* buttons = new QHBoxLayout();
        auto* okCentred = new QPushButton("OK", this);
        okCentred->setObjectName(kMsgDlgOkCentred);
        auto* ok = new QPushButton("OK", this);
        ok->setObjectName(kMsgDlgOk);
        auto* cancel = new QPushButton("Cancel", this);
        cancel->setObjectName(kMsgDlgCancel);
        buttons->addStretch(1);
        buttons->addWidget(okCentred);
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        buttons->addStretch(1);
        layout->addLayout(buttons);

        okCentred->setVisible(!withCancel);
        ok->setVisible(withCancel);
        cancel->setVisible(withCancel);
        (withCancel ? ok : okCentred)->setDefault(true);
        connect(okCentred, &QPushButton::clicked, this, [this] { confirm(); });
        connect(ok, &QPushButton::clicked, this, [this] { confirm(); });
        connect(cancel, &QPushButton::clicked, this, [this] { QDialog::reject(); });
    }

    bool confirmed() const { return confirmed_; }

    void reject() override {
        if (withCancel_)
            QDialog::reject();
        else
            confirm();
    }

  private:
    void confirm() {
        confirmed_ = true;
        accept();
    }
    bool withCancel_;
    bool confirmed_ = false;
};

int showOnUiThread(QWidget* owner, const RecorderMessageDialog::Look& look, std::string_view text,
                   bool withCancel, bool& confirmed) {
    confirmed = false;
    std::string shown(text);
    shown += '\n';
    QWidget* parent = owner && owner->isVisible() ? owner : nullptr;
    MessageDialog dialog(parent, shown, withCancel);
    if (look) look(dialog);
    dialog.raise();
    dialog.activateWindow();
    dialog.exec();
    confirmed = dialog.confirmed();
    return OKAY;
}

void showBox(const std::string& text, const std::string& caption) {
    RecorderMessageBoxHook hook;
    {
        std::lock_guard lock(hookMutex());
        hook = boxHook();
    }
    if (hook) {
        hook(text, caption);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.exec();
}

}  // namespace

int RecorderMessageDialog::show(std::string_view text, bool withCancel, bool& confirmed) {
    confirmed = false;
    if (!onUiThread()) {
        // The reporting thread must not wait for a user: the record thread
        // would drop audio while a box is open.
        QPointer<QWidget> owner = owner_;
        queueToUiThread([owner, look = look_, copy = std::string(text)] {
            bool ignored = false;
            showOnUiThread(owner, look, copy, false, ignored);
        });
        return OKAY;
    }
    return showOnUiThread(owner_, look_, text, withCancel, confirmed);
}

int RecorderMessageDialog::ask(std::string_view text, bool& yes) {
    yes = false;
    if (!onUiThread()) return OKAY;
    QWidget* parent = owner_ && owner_->isVisible() ? owner_.data() : nullptr;
    QMessageBox box(QMessageBox::Question, "Tobrel Message",
                    QString::fromUtf8(text.data(), static_cast<int>(text.size())),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    if (look_) look_(box);
    yes = box.exec() == QMessageBox::Yes;
    return OKAY;
}

int recorderDlgAskYesNo(RecorderApp& app, std::string_view text, bool& yes) {
    yes = false;
    if (!app.dialog) return REPORT_ERR();
    REPORT_CHECK(app.dialog->ask(text, yes));
    return OKAY;
}

int recorderDlgMsgModal(RecorderApp& app, std::string_view text, bool withCancel, bool& confirmed) {
    confirmed = false;
    if (!app.dialog) return REPORT_ERR();
    REPORT_CHECK(app.dialog->show(text, withCancel, confirmed));
    return OKAY;
}

void recorderMessageBox(const std::string& text, const std::string& caption) {
    if (!onUiThread() && QCoreApplication::instance()) {
        queueToUiThread([text, caption] { showBox(text, caption); });
        return;
    }
    showBox(text, caption);
}

RecorderMessageBoxHook recorderSetMessageBoxHook(RecorderMessageBoxHook hook) {
    std::lock_guard lock(hookMutex());
    RecorderMessageBoxHook previous = std::move(boxHook());
    boxHook() = std::move(hook);
    return previous;
}

void recorderInstallInternalErrorBoxes() {
    reportSetSink([](const InternalError& e) { recorderMessageBox(e.module, std::to_string(e.line)); });
}
