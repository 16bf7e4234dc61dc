// Calls the start-up, the timer, the track list and the window events make
// into parts of the application that are filled in by their own modules: the
// main window's displays and tooltip, its mouse input, the transport, the web
// features and the YouTube Wizard. Until a module takes one of them over, its
// function here does nothing and returns OKAY (a flag it answers is off, a
// name it answers is empty).
#pragma once

#include <string>

struct RecorderApp;

// The main window's displays, its mouse input and the transport are their own
// modules; their calls are declared there.
#include "recorderMainDisplay.h"
#include "recorderMainInput.h"
#include "recorderTransport.h"

// --- web features (start-up steps 9 and 17 to 19, shutdown steps 5 to 7)
int recorderInitWeb(RecorderApp& app);
int recorderWebInstallerEmail(RecorderApp& app);
int recorderWebDynamicUpdateCheck(RecorderApp& app);
int recorderWebStartupMessages(RecorderApp& app);
int recorderDlgMsgModelessClose(RecorderApp& app);
int recorderCloseWeb(RecorderApp& app);

// --- YouTube Wizard (its own module)
#include "recorderDlgFindSongs.h"
