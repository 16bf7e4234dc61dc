// The modeless message window "Tobrel : Message": announcements and other
// news, shown without blocking the program.
//
// While one is open, a new message goes above the old text (new text, a line
// feed, the old text) and the window comes to the front; the open window
// keeps its link and its buttons. When both texts together would reach
// kModelessMsgRoom characters (UTF-16 units), the new message replaces the
// old text instead, and a message that alone would reach it is cut at a
// character boundary to fit. OK opens the link, when one was given, and
// closes; Cancel closes; Escape is OK without Cancel and Cancel with it.
#pragma once

#include <cstddef>
#include <string_view>

struct RecorderApp;

inline constexpr size_t kModelessMsgRoom = 2048;

int recorderDlgMsgModeless(RecorderApp& app, std::string_view text, std::string_view link, bool withCancel);

// Closes the window if it is open (shutdown step 5).
int recorderDlgMsgModelessClose(RecorderApp& app);
