// The application state of saving and of the track dialogs: one member of
// RecorderApp (`save`). Owned by the user-interface thread.
#pragma once

#include <QDialog>
#include <QPointer>

struct RecorderSaveState {
    // The single-track dialog while it is open, so that other parts of the
    // program can tell that a save dialog is up.
    QPointer<QDialog> singleTrackDialog;
    bool singleTrackOpen = false;
};
