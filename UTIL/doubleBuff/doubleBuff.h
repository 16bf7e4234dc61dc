// The off-screen back buffer of a double-buffered skin.
//
// Everything a paint draws goes into this image first; the finished image is
// then copied onto the window in one piece, so the skinned window never shows
// a half-drawn state. The buffer takes the window's client size when it is
// created and keeps it; the main window has its final size before its first
// paint.
#pragma once

#include <memory>

#include <QImage>

#include "PaintWindow.h"

class CSlout;

struct DoubleBuff {
    PaintWindow* window = nullptr;
    int width = 0;
    int height = 0;
    QImage image;  // client size, everything is drawn here
};

// Creates a buffer of the window's client size. An empty client area or an
// image that cannot be allocated is an internal error.
int doubleBuffInit(std::unique_ptr<DoubleBuff>& out, PaintWindow* window, CSlout* trace);
// Frees the buffer and clears the caller's pointer; a second call does nothing.
void doubleBuffFree(std::unique_ptr<DoubleBuff>& buffer);
// The image everything is drawn into.
int doubleBuffGet(DoubleBuff* buffer, QImage*& target);
// Copies the buffer to the window's top-left corner: the whole of it, or only
// `part` (client coordinates) when given.
int doubleBuffPaint(DoubleBuff* buffer, const hwndRect* part = nullptr);
