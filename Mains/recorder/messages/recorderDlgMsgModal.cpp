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
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
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

int showOnUiThread(QWidget* owner, std::string_view text, bool withCancel, bool& confirmed) {
    confirmed = false;
    std::string shown(text);
    shown += '\n';
    QWidget* parent = owner && owner->isVisible() ? owner : nullptr;
    RecorderMessageWindow dialog(parent, shown, withCancel);
    dialog.setModal(true);
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

RecorderMessageWindow::RecorderMessageWindow(QWidget* owner, const std::string& text, bool withCancel)
    : QDialog(owner), withCancel_(withCancel) {
    setWindowTitle(kMsgDlgCaption);
    auto* layout = new QVBoxLayout(this);
    // A long text (an announcement, or stacked ones) scrolls instead of
    // growing the window past the screen.
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    label_ = new QLabel(this);
    label_->setObjectName(kMsgDlgText);
    label_->setWordWrap(true);
    label_->setTextInteractionFlags(Qt::NoTextInteraction);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll_->setWidget(label_);
    scroll_->viewport()->setAutoFillBackground(false);
    label_->setAutoFillBackground(false);
    layout->addWidget(scroll_);

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
    setText(QString::fromStdString(text));
}

QString RecorderMessageWindow::text() const { return label_->text(); }

void RecorderMessageWindow::setText(const QString& text) {
    label_->setText(text);
    // The text's width is fixed; its height is what the words need, up to
    // three fifths of the screen.
    constexpr int kTextWidth = 320;
    const QScreen* screen = this->screen();
    const int room = screen ? screen->availableGeometry().height() * 3 / 5 : 400;
    const int height = label_->heightForWidth(kTextWidth);
    const int bar = height > room ? scroll_->verticalScrollBar()->sizeHint().width() : 0;
    scroll_->setFixedSize(kTextWidth + bar, std::min(height, room));
    adjustSize();
}

void RecorderMessageWindow::reject() {
    if (withCancel_)
        QDialog::reject();
    else
        confirm();
}

void RecorderMessageWindow::confirm() {
    confirmed_ = true;
    accept();
}

int RecorderMessageDialog::show(std::string_view text, bool withCancel, bool& confirmed) {
    confirmed = false;
    if (!onUiThread()) {
        // The reporting thread must not wait for a user: the record thread
        // would drop audio while a box is open.
        QPointer<QWidget> owner = owner_;
        queueToUiThread([owner, copy = std::string(text)] {
            bool ignored = false;
            showOnUiThread(owner, copy, false, ignored);
        });
        return OKAY;
    }
    return showOnUiThread(owner_, text, withCancel, confirmed);
}

int RecorderMessageDialog::ask(std::string_view text, bool& yes) {
    yes = false;
    if (!onUiThread()) return OKAY;
    QWidget* parent = owner_ && owner_->isVisible() ? owner_.data() : nullptr;
    QMessageBox box(QMessageBox::Question, "Tobrel Message",
                    QString::fromUtf8(text.data(), static_cast<int>(text.size())),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    yes = box.exec() == QMessageBox::Yes;
    return OKAY;
}

int recorderDlgAskYesNo(RecorderApp& app, std::string_view text, bool& yes) {
    yes = false;
    if (!app.services.dialog) return REPORT_ERR();
    REPORT_CHECK(app.services.dialog->ask(text, yes));
    return OKAY;
}

int recorderDlgMsgModal(RecorderApp& app, std::string_view text, bool withCancel, bool& confirmed) {
    confirmed = false;
    if (!app.services.dialog) return REPORT_ERR();
    REPORT_CHECK(app.services.dialog->show(text, withCancel, confirmed));
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

namespace {

std::mutex& traceMutex() {
    static std::mutex m;
    return m;
}

CSlout*& reportTrace() {
    static CSlout* trace = nullptr;
    return trace;
}

// The report's line in the trace, with why when the report says.
void traceReport(const InternalError& e) {
    // A trace that fails reports an internal error of its own: that one is shown, not traced.
    thread_local bool tracing = false;
    if (tracing) return;
    tracing = true;
    {
        std::lock_guard lock(traceMutex());
        if (CSlout* trace = reportTrace()) {
            std::string line = "Internal error: " + e.module + " line " + std::to_string(e.line);
            if (!e.detail.empty()) line += ": " + e.detail;
            trace->outputW(1, line);
        }
    }
    tracing = false;
}

}  // namespace

void recorderReportToTrace(CSlout* trace) {
    std::lock_guard lock(traceMutex());
    reportTrace() = trace;
}

void recorderInstallInternalErrorBoxes() {
    reportSetSink([](const InternalError& e) {
        traceReport(e);
        recorderMessageBox(e.module, std::to_string(e.line));
    });
}
