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
// What a hotspot does when pressed at (x, y) (the mouse, or a key on the focused button).
int recorderMainHotspotAction(RecorderApp& app, int hotspot, int x, int y);
// Press of the left button; a double click arrives as two presses.
int recorderMainLButtonDown(RecorderApp& app, int x, int y);
// Release of the left button, wherever the pointer is by then.
int recorderMainLButtonUp(RecorderApp& app, int x);
int recorderMainMouseLeave(RecorderApp& app);
// Whether (x, y) is the skin's bare background: no hotspot, no knob, no
// slider track. A press there moves the window.
bool recorderMainOnBackground(RecorderApp& app, int x, int y);

// The close request, as the desktop's: the clear-list question first, then
// the shutdown. The close button, Ctrl+Q and the menu's Exit all quit here.
int recorderMainQuit(RecorderApp& app);

// The new-track button: the recording in progress ends here and the next one
// starts with the next sound.
int recorderMainNewTrack(RecorderApp& app);

// The product version as text ("2.005"), whatever the user's locale.
std::string recorderProductVersionText();

// Directives of the pages of the web service the program opens.
inline constexpr const char* kRecorderPageLogo = "logo";
inline constexpr const char* kRecorderPageManual = "manual";

// The address of a page of the web service, e.g. for the logo
// <service>/fromPlayer/redirect/?directive=logo&vendor=500&subvendor=0&plus=1&product_version=2.005
std::string recorderMainPageAddress(const std::string& service, const char* directive, int vendor,
                                    int subvendor);

// Opens a page of the web service (by its directive) in the user's browser.
int recorderMainOpenPage(RecorderApp& app, const char* directive);
