// Calls the start-up, the timer, the track list and the window events make
// into parts of the application that are filled in by their own modules: the
// main window's displays and tooltip, its mouse input, the transport, the
// YouTube Wizard and the dialogs. Until a module takes one of
// them over, its function here does nothing and returns OKAY (a flag it
// answers is off, a name it answers is empty).
#pragma once

#include <string>

struct RecorderApp;
struct RecorderSongName;

// The main window's displays, its mouse input and the transport are their own
// modules; their calls are declared there.
#include "recorderMainDisplay.h"
#include "recorderMainInput.h"
#include "recorderTransport.h"

// --- main window actions of dialogs that come later
// The main menu, opened by the menu button at (x, y).
int recorderMainMenu(RecorderApp& app, int x, int y);
// Saves the selected tracks, started from the save button at (x, y).
int recorderSaveFromButton(RecorderApp& app, int x, int y);

// --- YouTube Wizard
// Timer step 8: the wizard's page loading time-out.
int recorderDlgFindSongsCheckTimeout(RecorderApp& app);
int recorderDlgFindSongsClose(RecorderApp& app);
// The newest pair of the naming queue (empty texts when the queue is empty),
// and removing it once a track carries it.
int recorderDlgFindSongsNewestName(RecorderApp& app, RecorderSongName& name);
int recorderDlgFindSongsPopName(RecorderApp& app);
// Opens the YouTube Wizard (the find-songs button).
int recorderDlgFindSongsOpen(RecorderApp& app);
// Playback of a track starts: the wizard's page stops its own player and
// hides its final step.
int recorderDlgFindSongsStopPlayback(RecorderApp& app);

// --- dialogs
// The clear-list question at exit; runs only when clear_on_exit and remove_after_save are on.
int recorderDlgClearOnExit(RecorderApp& app);
int recorderDlgRename(RecorderApp& app);
// Saves the selected tracks, started from the row menu.
int recorderSaveFromRowMenu(RecorderApp& app);
