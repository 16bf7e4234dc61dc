// Calls the start-up, the timer, the track list and the window events make
// into parts of the application that are filled in by their own modules: the
// main window's displays and tooltip, its mouse input, the transport, the web
// features, the YouTube Wizard and the dialogs. Until a module takes one of
// them over, its function here does nothing and returns OKAY (a flag it
// answers is off, a name it answers is empty).
#pragma once

#include <string>

struct RecorderApp;
struct RecorderSongName;

// --- main window displays
int recorderCreateTooltips(RecorderApp& app);
int recorderUpdateMainModeDisplays(RecorderApp& app);
// The two-image mode buttons: record mode (1002/1001), auto segment
// (1004/1003, from the stored value), short-track filter (1006/1005).
int recorderUpdateRecordModeButton(RecorderApp& app);
int recorderUpdateAutoSegmentButton(RecorderApp& app, bool autoSegment);
int recorderUpdateHideShortButton(RecorderApp& app);
// Timer step 3: the recording indicator, the recording time and the new-track button.
int recorderDisplayRecordingFlash(RecorderApp& app);
// Timer step 7: the track list or, with nothing to show, the instructions.
int recorderUpdateMainDisplay(RecorderApp& app);

// --- main window input (client coordinates)
int recorderMainMouseMove(RecorderApp& app, int x, int y);
int recorderMainLButtonDown(RecorderApp& app, int x, int y);
int recorderMainLButtonUp(RecorderApp& app, int x);
int recorderMainMouseLeave(RecorderApp& app);

// --- transport
// Timer step 5: end of track, play time and position slider.
int recorderTransportTimer(RecorderApp& app);
// Stops the loaded track; with restore, record mode comes back when playback took it.
int recorderTransportStop(RecorderApp& app, bool restore);
// Plays the first selected row of the track list.
int recorderTransportPlaySelection(RecorderApp& app);
// Whether the loaded track is playing (the engine plays it and the transport shows playing).
int recorderTransportIsPlaying(RecorderApp& app, bool& playing);

// --- web features (start-up steps 9 and 17 to 19, shutdown steps 5 to 7)
int recorderInitWeb(RecorderApp& app);
int recorderWebInstallerEmail(RecorderApp& app);
int recorderWebDynamicUpdateCheck(RecorderApp& app);
int recorderWebStartupMessages(RecorderApp& app);
int recorderDlgMsgModelessClose(RecorderApp& app);
int recorderCloseWeb(RecorderApp& app);

// --- YouTube Wizard
// Timer step 8: the wizard's page loading time-out.
int recorderDlgFindSongsCheckTimeout(RecorderApp& app);
int recorderDlgFindSongsClose(RecorderApp& app);
// The newest pair of the naming queue (empty texts when the queue is empty),
// and removing it once a track carries it.
int recorderDlgFindSongsNewestName(RecorderApp& app, RecorderSongName& name);
int recorderDlgFindSongsPopName(RecorderApp& app);

// --- dialogs
// The clear-list question at exit; runs only when clear_on_exit and remove_after_save are on.
int recorderDlgClearOnExit(RecorderApp& app);
int recorderDlgRename(RecorderApp& app);
// Saves the selected tracks, started from the row menu.
int recorderSaveFromRowMenu(RecorderApp& app);
