// The modal message dialog and the plain message boxes of the application,
// with the hand-over of messages from engine threads to the user-interface
// thread.
#include "recorderDlgMsgModal.h"

#include <QAbstractButton>
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
#include <map>
#include <mutex>
#include <set>
#include <utility>

#include "recorderApp.h"
#include "regWithoutKeyname.h"
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

RecorderMessageLook& messageLook() {
    static RecorderMessageLook look;
    return look;
}

// The program's buttons carry words only; some desktop styles would add an
// icon to a message box's standard buttons.
void dressBox(QWidget& box) {
    if (messageLook()) messageLook()(box);
    for (QAbstractButton* button : box.findChildren<QAbstractButton*>()) button->setIcon(QIcon());
}

int showOnUiThread(QWidget* owner, std::string_view text, bool withCancel, bool& confirmed) {
    confirmed = false;
    std::string shown(text);
    shown += '\n';
    QWidget* parent = owner && owner->isVisible() ? owner : nullptr;
    RecorderMessageWindow dialog(parent, shown, withCancel);
    dialog.setModal(true);
    dressBox(dialog);
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
    dressBox(box);
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
    dressBox(box);
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

namespace {

// Shows the box on the user-interface thread, then runs `done` there.
void showBoxThen(const std::string& text, const std::string& caption, std::function<void()> done) {
    if (!onUiThread() && QCoreApplication::instance()) {
        queueToUiThread([text, caption, done = std::move(done)] {
            showBox(text, caption);
            done();
        });
        return;
    }
    showBox(text, caption);
    done();
}

}  // namespace

void recorderMessageBox(const std::string& text, const std::string& caption) {
    showBoxThen(text, caption, [] {});
}

void recorderSetMessageLook(RecorderMessageLook look) { messageLook() = std::move(look); }

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

// A setting that cannot be read (its default is used): traced once per key
// for as long as the program runs.
void traceUnreadableSetting(std::string_view keyPath, const std::string& why) {
    static std::set<std::string> told;
    std::lock_guard lock(traceMutex());
    CSlout* trace = reportTrace();
    if (!trace || !told.insert(std::string(keyPath)).second) return;
    trace->outputW(1, "Setting " + std::string(keyPath) + " cannot be read, its default is used: " + why);
}

}  // namespace

void recorderReportToTrace(CSlout* trace) {
    {
        std::lock_guard lock(traceMutex());
        reportTrace() = trace;
    }
    regWithoutKeynameSetUnreadableNotice(trace ? RegUnreadableNotice(traceUnreadableSetting) : nullptr);
}

namespace {

// Reports whose box is queued or on screen, by module and line, with how
// often each came again meanwhile. A failure that repeats (every timer tick,
// every step of an engine thread) shows one box, not a box a tick.
std::mutex& openBoxesMutex() {
    static std::mutex m;
    return m;
}

std::map<std::pair<std::string, int>, int>& openBoxes() {
    static std::map<std::pair<std::string, int>, int> open;
    return open;
}

void showReport(const InternalError& e) {
    const std::pair<std::string, int> key(e.module, e.line);
    {
        std::lock_guard lock(openBoxesMutex());
        const auto [it, fresh] = openBoxes().try_emplace(key, 0);
        if (!fresh) {
            ++it->second;
            return;
        }
    }
    traceReport(e);
    showBoxThen(e.module, std::to_string(e.line), [key] {
        int repeats = 0;
        {
            std::lock_guard lock(openBoxesMutex());
            const auto it = openBoxes().find(key);
            if (it == openBoxes().end()) return;
            repeats = it->second;
            openBoxes().erase(it);
        }
        if (repeats > 0)
            traceReport(
                InternalError{key.first, key.second,
                              "came " + std::to_string(repeats) + " more times while its box was open"});
    });
}

}  // namespace

void recorderInstallInternalErrorBoxes() { reportSetSink(showReport); }
