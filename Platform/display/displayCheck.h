// Whether an X11 display can be opened, asked before the window toolkit
// starts: the toolkit ends the process on a display it cannot open, and the
// user deserves a sentence instead.
#pragma once

#include <string>

// True when a connection to `display` (a DISPLAY value such as ":0") can be
// made and is closed again at once; otherwise false with the reason in `why`.
bool displayCanOpen(const std::string& display, std::string& why);
