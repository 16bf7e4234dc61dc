// The main window and its window procedure.
//
// The widget forwards every event to recorderMainWndProc first; whatever that
// does not handle goes to Qt's default handling. The window has no caption:
// a left-button drag that starts on the skin's background (no hotspot, no
// slider knob) moves it, through the window manager when there is one.
#include "recorderMainWndProc.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTimerEvent>
#include <QTreeWidget>
#include <QWindow>

#include "recorderApp.h"
#include "recorderDialogLook.h"
#include "recorderDlgMsgModal.h"
#include "recorderInit.h"
#include "recorderMainFocus.h"
#include "recorderMainKeys.h"
#include "recorderMainWindow.h"
#include "recorderSeams.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "recorderTimer.h"
#include "report.h"
#include "sdkWebBrowser.h"
#include "skin.h"

static constexpr const char* kReportModule = "./recorderMainWndProc";

RecorderMainWindow::RecorderMainWindow(RecorderApp& app, bool alwaysOnTop) : app_(app) {
    Qt::WindowFlags flags =
        Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint | Qt::WindowSystemMenuHint;
    if (alwaysOnTop) flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
    setWindowTitle(kRecorderTitle);
    // The skin paints every pixel: nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    move(0, 0);
}

void RecorderMainWindow::clientSize(int& width, int& height) const {
    width = this->width();
    height = this->height();
}

void RecorderMainWindow::invalidate(const hwndRect& rect, bool) {
    update(QRect(rect.left, rect.top, rect.width(), rect.height()));
}

QPaintDevice* RecorderMainWindow::paintDevice() { return painting_ ? this : nullptr; }

bool RecorderMainWindow::paintRect(hwndRect& rect) const {
    if (!painting_ || paintArea_.isEmpty()) return false;
    rect = {paintArea_.left(), paintArea_.top(), paintArea_.left() + paintArea_.width(),
            paintArea_.top() + paintArea_.height()};
    return true;
}

bool RecorderMainWindow::event(QEvent* e) {
    bool handled = false;
    recorderMainWndProc(app_, e, handled);
    if (handled) return true;
    return QWidget::event(e);
}

bool RecorderMainWindow::focusNextPrevChild(bool next) {
    bool handled = false;
    if (recorderMainFocusNext(app_, next, handled) != OKAY) REPORT_ERR();
    return handled || QWidget::focusNextPrevChild(next);
}

int recorderCreateMainWindow(RecorderApp& app) {
    bool alwaysOnTop = false;
    REPORT_CHECK(recorderSessionGetAlwaysOnTop(alwaysOnTop));
    auto window = std::make_unique<RecorderMainWindow>(app, alwaysOnTop);
    app.window.mainWindow = window.get();
    app.windowOwner = std::move(window);
    REPORT_CHECK(recorderMainKeysInstall(app));
    REPORT_CHECK(recorderMainFocusInstall(app));
    // Messages are shown over the main window from now on.
    if (auto* dialog = dynamic_cast<RecorderMessageDialog*>(app.services.dialog)) {
        dialog->setOwner(app.window.mainWindow);
    }
    // ... in the program's dialog look, while the window is there.
    std::string skins;
    REPORT_CHECK(recorderSkinsFolder(app, skins));
    recorderDialogLookStart(skins);
    QPointer<RecorderMainWindow> owner = app.window.mainWindow;
    recorderSetMessageLook([owner](QWidget& box) {
        if (owner)
            recorderDialogLook(owner->app(), box);
        else
            recorderDialogLookWithoutSkin(box);
    });
    QEvent create(static_cast<QEvent::Type>(kRecorderEventCreate));
    QCoreApplication::sendEvent(app.window.mainWindow, &create);
    return OKAY;
}

namespace {

void startWindowMove(RecorderApp& app, const QMouseEvent& press) {
    RecorderMainWindow* w = app.window.mainWindow;
    // With a window manager, it moves the window (snapping, screen edges).
    if (w->windowHandle() && w->windowHandle()->startSystemMove()) return;
    app.window.movingWindow = true;
    app.window.moveAnchor = press.globalPosition().toPoint();
    app.window.moveOrigin = w->pos();
}

int listNotification(RecorderApp& app, const RecorderListEvent& e, bool& handled) {
    switch (e.code) {
        case RecorderListCode::ColumnClick:
            return 0;  // the list is not re-sorted by the user
        case RecorderListCode::Click:
            handled = e.row >= 0;
            return 0;
        case RecorderListCode::DoubleClick:
            handled = e.row >= 0;
            if (handled && recorderSongListDoubleClick(app) != OKAY) {
                REPORT_ERR();
                return 1;
            }
            return 0;
        case RecorderListCode::RightClick:
            handled = e.row >= 0;
            if (handled && recorderSongListRowMenu(app, e.globalPos) != OKAY) {
                REPORT_ERR();
                return 1;
            }
            return 0;
    }
    handled = false;
    return 0;
}

}  // namespace

int recorderMainWndProc(RecorderApp& app, QEvent* event, bool& handled) {
    handled = true;
    RecorderMainWindow* window = app.window.mainWindow;
    switch (static_cast<int>(event->type())) {
        case kRecorderEventCreate: {
            int success = 0;
            if (recorderInit(app, success) != OKAY || success == 0) {
                recorderMessageBox(kMsgExecutionFailed, kMsgCaption);
                recorderShutdown(app);
            }
            return 0;
        }
        case QEvent::Paint:
            if (!window) return 0;
            window->setPaintArea(static_cast<QPaintEvent*>(event)->rect());
            window->setPainting(true);
            skinPaint(app.owned.skin.get(), window);
            window->setPainting(false);
            if (window->firstPaint() && app.owned.trace)
                app.owned.trace->messageW(1, "recorderMainWndProc: First paint");
            return 0;
        case QEvent::Close:
            // The window closes through the shutdown, never by itself; a
            // failure on the way (reported) does not keep it open.
            event->ignore();
            recorderAskClearOnExit(app);
            recorderShutdown(app);
            return 0;
        case QEvent::FocusIn:
            // The window keeps the keyboard for a focused skin button or knob.
            if (!recorderMainFocusOnSkin(app) && app.owned.listView && app.owned.listView->isVisible())
                app.owned.listView->setFocus(Qt::OtherFocusReason);
            return 0;
        case QEvent::KeyPress: {
            bool used = false;
            if (recorderMainFocusKey(app, static_cast<QKeyEvent*>(event)->key(), used) != OKAY) REPORT_ERR();
            handled = used;
            return 0;
        }
        case QEvent::Timer:
            if (static_cast<QTimerEvent*>(event)->timerId() != app.window.timerId ||
                app.window.timerId == 0) {
                handled = false;
                return 0;
            }
            recorderTimer(app);
            return 0;
        case QEvent::MouseMove: {
            auto* e = static_cast<QMouseEvent*>(event);
            app.window.trackingMouse = true;  // Qt reports the pointer leaving without being asked
            if (app.window.movingWindow && window) {
                if (e->buttons() & Qt::LeftButton)
                    window->move(app.window.moveOrigin +
                                 (e->globalPosition().toPoint() - app.window.moveAnchor));
                else
                    app.window.movingWindow = false;
            }
            const QPoint p = e->position().toPoint();
            recorderMainMouseMove(app, p.x(), p.y());
            return 0;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            // No double clicks: the second press of one is a press like the first.
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton) {
                handled = false;
                return 0;
            }
            const QPoint p = e->position().toPoint();
            recorderMainFocusClear(app);  // the ring is for the keyboard
            const bool background = recorderMainOnBackground(app, p.x(), p.y());
            recorderMainLButtonDown(app, p.x(), p.y());
            if (background && window && window->isVisible()) startWindowMove(app, *e);
            return 0;
        }
        case QEvent::MouseButtonRelease: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton) {
                handled = false;
                return 0;
            }
            app.window.movingWindow = false;
            recorderMainLButtonUp(app, e->position().toPoint().x());
            return 0;
        }
        case QEvent::Leave:
            app.window.trackingMouse = false;
            recorderMainMouseLeave(app);
            return 0;
        case kRecorderEventList:
            handled = false;
            return listNotification(app, *static_cast<RecorderListEvent*>(event), handled);
        default:
            // The browser host's data message: the wizard's page speaks.
            // Its page-size and element-clicked messages are left alone.
            if (event->type() == sdkWebBrowserDataMessage()) {
                if (!app.findSongs.wizardOpen || !app.findSongs.wizard) return 0;
                const auto* data = static_cast<sdkWebBrowserDataEvent*>(event);
                if (recorderDlgFindSongsHandleBrowserMessage(app, data->dataId, data->text) != OKAY) {
                    REPORT_ERR();
                    return 1;
                }
                return 0;
            }
            handled = false;
            return 0;
    }
}
