// The About dialog, "Tobrel : About": the program's name and version, a line
// about what it does, and a way to its website.
#pragma once

#include <string>

struct RecorderApp;

inline constexpr const char* kDlgAboutCaption = "Tobrel : About";
// String 1001, the last part of the About text.
inline constexpr const char* kAboutDescription =
    "Tobrel records whatever your computer plays, cuts it into tracks at the silences, and saves the "
    "tracks as MP3 files named and tagged the way you like.";
// Control identifiers (object names).
inline constexpr const char* kAboutText = "5601";
inline constexpr const char* kAboutWebsite = "5602";
inline constexpr const char* kAboutOk = "5603";
inline constexpr const char* kAboutLogo = "aboutLogo";  // the skin's logo above the text
// The layout: the margin around the parts, and the width the text wraps at.
inline constexpr int kAboutMargin = 24;
inline constexpr int kAboutTextWidth = 380;

// "Tobrel - Version 2.005", an empty line, then the description.
std::string recorderDlgAboutText();

// "Website..." opens the logo page and closes the dialog; OK or Escape closes it.
int recorderDlgAbout(RecorderApp& app);
