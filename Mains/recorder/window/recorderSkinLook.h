// The skin-derived look of everything in the program that is not painted by
// the skin itself: the track list, its header and scroll bar, the message
// boxes, menus and dialogs. One home for these colours: they all come from the
// two colours the main skin gives its list (item text and item background),
// so a lighter or darker skin carries its look into every window.
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

class QWidget;
struct Skin;

struct RecorderSkinLook {
    QColor text;     // the list's item text
    QColor back;     // the list's item background, the surface of dialogs
    QColor selText;  // a selected row while the list has the focus
    QColor selBack;
    QColor selTextNoFocus;  // a selected row while it has not
    QColor selBackNoFocus;
    QColor muted;   // disabled texts (still about 4:1 against the background)
    QColor line;    // quiet lines: borders, the header's edge
    QColor header;  // the list header's background
    QColor headerText;
    QColor handle;  // the scroll bar's handle, and under the pointer
    QColor handleHover;
};

// The look of the main skin; a skin without list colours is an internal error.
int recorderSkinLookFromSkin(Skin* skin, RecorderSkinLook& look);
// The palette of dialogs, message boxes and menus in that look.
QPalette recorderSkinLookPalette(const RecorderSkinLook& look);
// The track list's style sheet in that look: a slim scroll bar without arrow
// buttons, the header's sections and the list's border.
QString recorderSkinLookListStyle(const RecorderSkinLook& look);
// Gives a dialog, message box or menu the look (its palette, an edge of its own
// on a dialog, and no icons on its buttons: the skin's buttons carry none).
// Dialogs reach it through recorderDialogLook.
void recorderSkinLookApply(const RecorderSkinLook& look, QWidget& widget);
