// The look of the program's dialogs, menus and message boxes: the main skin's
// look (recorderSkinLook.h, the one home of the skin-derived colours), so that
// a dialog opened over the dark skinned window does not flash a light desktop
// theme at the user.
#pragma once

class QWidget;
struct RecorderApp;

// Gives `widget` (a dialog, a menu, a completer's popup, a message box) the
// main skin's look. Without a main skin the widget keeps the desktop's look.
int recorderDialogLook(RecorderApp& app, QWidget& widget);
