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
    // Marks and rings: a checked radio button or check box, the focus ring.
    // At least 3:1 against the surface and the fields, so that a state and
    // the focus show whatever the skin's colours.
    QColor accent;
    QColor onAccent;  // a check mark or selected text on the accent
};

// The look of the main skin; a skin without list colours is an internal error.
int recorderSkinLookFromSkin(Skin* skin, RecorderSkinLook& look);
// The look of the list's item text and background colours.
RecorderSkinLook recorderSkinLookFromColours(const QColor& text, const QColor& back);
// The fill of edit fields, check boxes and radio buttons in that look.
QColor recorderSkinLookField(const RecorderSkinLook& look);
// The contrast ratio of two colours (1 to 21), by their relative luminance.
double recorderSkinLookContrast(const QColor& a, const QColor& b);
// Makes every widget draw its check boxes, radio buttons and focus frames in
// the palette's accent (Highlight) at 3:1 or better, over the desktop's style
// (once; later calls do nothing). The skin-derived palette puts the accent there.
void recorderSkinLookInstallStyle();
// The palette of dialogs, message boxes and menus in that look.
QPalette recorderSkinLookPalette(const RecorderSkinLook& look);
// The track list's style sheet in that look: a slim scroll bar without arrow
// buttons, the header's sections and the list's border, in the accent while
// the list has the focus the keyboard gave it (its property kSkinLookKeyboardFocus).
inline constexpr const char* kSkinLookKeyboardFocus = "keyboardFocus";
QString recorderSkinLookListStyle(const RecorderSkinLook& look);
// Gives a dialog, message box or menu the look (its palette, an edge of its own
// on a dialog, and no icons on its buttons: the skin's buttons carry none).
// Dialogs reach it through recorderDialogLook.
void recorderSkinLookApply(const RecorderSkinLook& look, QWidget& widget);
