// The look of the program's dialogs, menus and message boxes: the main skin's
// look (recorderSkinLook.h, the one home of the skin-derived colours), so that
// a dialog opened over the dark skinned window does not flash a light desktop
// theme at the user.
#pragma once

#include <string>

class QWidget;
struct RecorderApp;

// Before the main window exists: the boxes shown from now on (the "already
// running" box among them) take the look of the main skin in skinsFolder,
// its colours read from its definition file the first time a box needs them,
// and the program's style draws marks and focus rings in that look's accent.
// A skin that cannot be read leaves the desktop's look.
void recorderDialogLookStart(const std::string& skinsFolder);
// The look recorderDialogLookStart found, for a widget shown without a main skin.
void recorderDialogLookWithoutSkin(QWidget& widget);

// Gives `widget` (a dialog, a menu, a completer's popup, a message box) the
// main skin's look; without a main skin, the look recorderDialogLookStart
// found (or the desktop's).
int recorderDialogLook(RecorderApp& app, QWidget& widget);
