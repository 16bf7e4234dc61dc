// Calls the start-up, the timer, the track list and the window events make
// into parts of the application that are filled in by their own modules: the
// main window's displays and tooltip, its mouse input, the transport, the
// YouTube Wizard and the dialogs. Until a module takes one of
// them over, its function here does nothing and returns OKAY (a flag it
// answers is off, a name it answers is empty).
#pragma once

#include <string>
#include <vector>

struct RecorderApp;

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

// --- YouTube Wizard (its own module)
#include "recorderDlgFindSongs.h"

// --- the save flow
// Saves the tracks of a kind: 1 the selected ones, 2 all, 3 those the YouTube
// Wizard named. Until the save flow lands this does nothing but note the kind
// (recorderSeamsSaveKinds).
int recorderSave(RecorderApp& app, int kind);
// Marks a track as named by the YouTube Wizard (its source becomes 1).
int recorderSaveMarkWizardTrack(RecorderApp& app, long trackId);
// Whether the YouTube Wizard named a track (its source is 1).
int recorderSaveIsWizardTrack(RecorderApp& app, long trackId, bool& isWizard);
// The kinds recorderSave was asked for, oldest first (for the tests, until the
// save flow lands).
std::vector<int>& recorderSeamsSaveKinds();

// --- dialogs
// The clear-list question at exit; runs only when clear_on_exit and remove_after_save are on.
int recorderDlgClearOnExit(RecorderApp& app);
int recorderDlgRename(RecorderApp& app);
// Saves the selected tracks, started from the row menu.
int recorderSaveFromRowMenu(RecorderApp& app);
