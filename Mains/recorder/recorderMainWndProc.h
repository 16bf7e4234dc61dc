// The window procedure of the main window: the one place where the window's
// events become the program's handlings (paint, close, focus, timer, mouse,
// the track list's notifications).
#pragma once

class QEvent;
struct RecorderApp;

// Handles one event of the main window. handled is false for events left to
// the default handling; the result is what the handling answers (0, or 1 when
// a list action failed).
int recorderMainWndProc(RecorderApp& app, QEvent* event, bool& handled);
