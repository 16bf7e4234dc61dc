// The play position: the play time read-out (1801) and the position slider
// (1701) kept in step with the loaded track, and the seek when the user lets
// go of the slider's knob.
#pragma once

#include <string>

struct RecorderApp;

// The play time read-out of a loaded track: "position / length", e.g. "0:24 / 3:00".
std::string recorderPlayTimeText(long positionMs, long lengthMs);

// The user let go of the position knob at relative value x (0..1): with a
// track loaded, playback moves to x times its length (whole ms, truncated).
int recorderPlayPositionSliderMoved(RecorderApp& app, float x);

// Per timer tick, after the transport's end-of-track check: the play time
// and the slider. The slider is disabled while nothing is loaded and left
// alone while the user drags it.
int recorderPlayPositionUpdate(RecorderApp& app);
