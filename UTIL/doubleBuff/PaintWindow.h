// The window as the skin engine sees it.
//
// The skin paints a window, asks it to repaint parts of itself, and sizes its
// back buffer from it, but never needs to know what kind of window it is. The
// window layer implements this on its widget; tests implement it on a QImage
// and keep the invalidated rectangles to look at.
#pragma once

#include "hwnd.h"

class QPaintDevice;

class PaintWindow {
  public:
    virtual ~PaintWindow() = default;
    // Size of the client area in pixels.
    virtual void clientSize(int& width, int& height) const = 0;
    // Marks a part of the client area (client coordinates) as needing a
    // paint; `erase` asks for the background to be cleared first.
    virtual void invalidate(const hwndRect& rect, bool erase) = 0;
    // What a paint draws on; valid while the window is answering a paint
    // (a widget returns itself from inside its paint event).
    virtual QPaintDevice* paintDevice() = 0;
    // The part a paint in progress must cover (client coordinates, right and
    // bottom exclusive), so that the rest is not drawn again; false when the
    // window does not say, and the whole client area is painted.
    virtual bool paintRect(hwndRect& rect) const {
        (void)rect;
        return false;
    }
};
