// The play position: the play time read-out (1801) and the position slider
// (1701) kept in step with the loaded track, and the seek when the user lets
// go of the slider's knob.
#pragma once

struct RecorderApp;

// The user let go of the position knob at relative value x (0..1): with a
// track loaded, playback moves to x times its length (whole ms, truncated).
int recorderPlayPositionSliderMoved(RecorderApp& app, float x);

// Per timer tick, after the transport's end-of-track check: the play time
// and the slider. The slider is disabled while nothing is loaded and left
// alone while the user drags it.
int recorderPlayPositionUpdate(RecorderApp& app);
