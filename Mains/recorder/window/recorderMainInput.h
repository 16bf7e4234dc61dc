// The main window's mouse input: clicks on the skin's hotspots, drags of the
// volume and play-position knobs, and the pointer tracking that feeds the
// hover images. The window procedure forwards the window's mouse events here
// in client coordinates.
#pragma once

#include <string>

struct RecorderApp;

// The product version sent with the requests to the web service.
inline constexpr double kRecorderProductVersion = 2.005;

int recorderMainMouseMove(RecorderApp& app, int x, int y);
// Press of the left button; a double click arrives as two presses.
int recorderMainLButtonDown(RecorderApp& app, int x, int y);
// Release of the left button, wherever the pointer is by then.
int recorderMainLButtonUp(RecorderApp& app, int x);
int recorderMainMouseLeave(RecorderApp& app);

// The new-track button: the recording in progress ends here and the next one
// starts with the next sound.
int recorderMainNewTrack(RecorderApp& app);

// The address the logo opens, e.g.
// <service>/fromPlayer/redirect/?directive=logo&vendor=500&subvendor=0&plus=1&product_version=2.005
std::string recorderMainLogoAddress(const std::string& service, int vendor, int subvendor);
