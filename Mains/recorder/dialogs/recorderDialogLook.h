// The look of the program's dialogs and menus: colours taken from the main
// skin's track list (its item text and background), so that a dialog opened
// over the dark skinned window does not flash a light desktop theme at the
// user. Disabled texts stay readable against the background.
#pragma once

class QWidget;
struct RecorderApp;

// Gives `widget` (a dialog, a menu, a completer's popup) the skin-derived
// palette. Without a main skin the widget keeps the desktop's look.
int recorderDialogLook(RecorderApp& app, QWidget& widget);
