// Calls the start-up, the timer, the track list and the window events make
// into parts of the application that are filled in by their own modules: the
// main window's displays and tooltip, its mouse input, the transport and the
// YouTube Wizard. A module that takes over a call declares it in its own
// header; this file gathers them for the callers.
#pragma once

#include <string>

struct RecorderApp;

// The main window's displays, its mouse input and the transport are their own
// modules; their calls are declared there.
#include "recorderMainDisplay.h"
#include "recorderMainInput.h"
#include "recorderTransport.h"

// --- YouTube Wizard (its own module)
#include "recorderDlgFindSongs.h"
