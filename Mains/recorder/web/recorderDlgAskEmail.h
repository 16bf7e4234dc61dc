// The e-mail dialog "Keep Informed of Tobrel Updates": asks once for an
// address to send news of new features and free upgrades to.
#pragma once

#include <string>

struct RecorderApp;

// Object names of the dialog's controls (for the window tests).
inline constexpr const char* kAskEmailCaption = "Keep Informed of Tobrel Updates";
inline constexpr const char* kAskEmailText = "askEmailText";
inline constexpr const char* kAskEmailAddress = "askEmailAddress";
inline constexpr const char* kAskEmailOk = "askEmailOk";
inline constexpr const char* kAskEmailNoThanks = "askEmailNoThanks";
inline constexpr const char* kAskEmailNoThanksText = "No thanks";
// The longest address the field takes (the longest an e-mail address can be).
inline constexpr int kAskEmailMaxLength = 254;

// Shows the dialog modally over the main window. OK and the close box both
// give the address typed, blanks around it removed (empty if none); "No
// thanks" gives an empty address whatever was typed, so it is stored and the
// question is not asked again, as after OK on an empty field.
int recorderDlgAskEmail(RecorderApp& app, std::string& address);
