// The main window's keys, its accelerator table: each key runs the action of
// the button or list gesture it stands for, whichever of the window's
// controls has the focus. Keys are not offered while a dialog or menu is open
// over the window.
#pragma once

#include <QKeySequence>

struct RecorderApp;

enum class RecorderKeyCommand { Quit, PlayPause, Delete, PlaySelected, Rename, Undo };

struct RecorderKey {
    QKeyCombination key;
    RecorderKeyCommand command;
};

// Ctrl+Q quits through the close request (the clear-list question first),
// Space plays or pauses, Delete deletes the selected tracks, Enter plays the
// selected track, F2 renames it, Ctrl+Z undoes the last delete. Space and
// Enter press a skin button that has the keyboard focus instead.
inline constexpr RecorderKey kRecorderKeys[] = {
    // Spelled out: not every desktop theme binds the standard Quit key.
    {Qt::CTRL | Qt::Key_Q, RecorderKeyCommand::Quit},
    {QKeyCombination(Qt::Key_Space), RecorderKeyCommand::PlayPause},
    {QKeyCombination(Qt::Key_Delete), RecorderKeyCommand::Delete},
    {QKeyCombination(Qt::Key_Return), RecorderKeyCommand::PlaySelected},
    {QKeyCombination(Qt::KeypadModifier, Qt::Key_Enter), RecorderKeyCommand::PlaySelected},
    {QKeyCombination(Qt::Key_F2), RecorderKeyCommand::Rename},
    {Qt::CTRL | Qt::Key_Z, RecorderKeyCommand::Undo},
};

// Binds the keys to the main window (once, when the window is created).
int recorderMainKeysInstall(RecorderApp& app);
// Runs one command as its key does.
int recorderMainKeyCommand(RecorderApp& app, RecorderKeyCommand command);
