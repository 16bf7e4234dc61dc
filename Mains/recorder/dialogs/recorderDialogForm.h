// The frame every dialog of the program is built in: its caption, a column
// that sizes the dialog to its contents (dialogs are not resized), and the
// row of OK and Cancel at the foot, OK answering Enter and Cancel closing the
// dialog as Escape and the close box do.
#pragma once

class QBoxLayout;
class QDialog;
class QPushButton;
class QVBoxLayout;

// Gives the dialog its caption and its column of contents.
QVBoxLayout* recorderDialogFormStart(QDialog& dialog, const char* caption);

struct RecorderDialogButtons {
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
};
// Adds OK and Cancel (with these object names) at the right of a new row.
RecorderDialogButtons recorderDialogFormButtons(QDialog& dialog, QBoxLayout& layout, const char* okId,
                                                const char* cancelId);
