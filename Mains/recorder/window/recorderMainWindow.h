// The main window: a caption-less, fixed-size top-level widget whose surface
// the main skin paints. The widget itself only hands its events to
// recorderMainWndProc, which turns them into the program's handlings; it also
// serves the skin engine as its paint window.
#pragma once

#include <QEvent>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <utility>

#include "PaintWindow.h"

struct RecorderApp;

// Events of our own, sent to the main window.
enum RecorderEventType {
    // The window was just created: runs the start-up sequence.
    kRecorderEventCreate = QEvent::User + 901,
    // A notification of the track list (RecorderListEvent).
    kRecorderEventList = QEvent::User + 902,
};

// Notifications of the track list, as the list control sends them to its parent.
enum class RecorderListCode { ColumnClick, Click, DoubleClick, RightClick };

struct RecorderListEvent : QEvent {
    RecorderListEvent(RecorderListCode c, int r, QPoint p)
        : QEvent(static_cast<QEvent::Type>(kRecorderEventList)), code(c), row(r), globalPos(p) {}
    RecorderListCode code;
    int row;           // the row under the pointer, -1 on empty space
    QPoint globalPos;  // where the pointer was (screen coordinates)
};

class RecorderMainWindow : public QWidget, public PaintWindow {
  public:
    RecorderMainWindow(RecorderApp& app, bool alwaysOnTop);

    // PaintWindow
    void clientSize(int& width, int& height) const override;
    void invalidate(const hwndRect& rect, bool erase) override;
    QPaintDevice* paintDevice() override;
    bool paintRect(hwndRect& rect) const override;

    RecorderApp& app() { return app_; }
    // Whether a paint event is being answered (the skin may paint only then).
    bool painting() const { return painting_; }
    void setPainting(bool on) { painting_ = on; }
    // What the paint being answered covers.
    void setPaintArea(const QRect& area) { paintArea_ = area; }
    // True for the window's first paint only (traced: how long a start takes
    // until the user sees the window).
    bool firstPaint() { return !std::exchange(painted_, true); }

  protected:
    bool event(QEvent* event) override;
    // Tab and Shift+Tab, from the window or the list: the skin's controls
    // are in the chain too (recorderMainFocus.h).
    bool focusNextPrevChild(bool next) override;

  private:
    RecorderApp& app_;
    bool painting_ = false;
    QRect paintArea_;
    bool painted_ = false;
};

// Creates the main window and runs the start-up sequence inside its creation,
// as the window system would with its creation message. Reads always_on_top
// first; a failed read fails the creation (NOT_OKAY).
int recorderCreateMainWindow(RecorderApp& app);
