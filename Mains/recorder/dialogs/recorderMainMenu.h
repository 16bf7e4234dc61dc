// The main menu behind the skin's menu button: the YouTube Wizard, the
// website, the options, a submenu with the manual and the About dialog, and
// Exit (the close request: the clear-list question first); above them "Undo
// Delete" while the last delete can be undone.
#pragma once

struct RecorderApp;

inline constexpr const char* kMainMenuUndo = "Undo Delete";  // Ctrl+Z; only while a delete can be undone
inline constexpr const char* kMainMenuWizard = "YouTube Wizard...";  // 1107, command 3006
inline constexpr const char* kMainMenuWebsite = "Website...";        // 1106, command 3005
inline constexpr const char* kMainMenuOptions = "Options...";        // 1102, command 3002
inline constexpr const char* kMainMenuHelp = "Help";                 // 1103, the submenu
inline constexpr const char* kMainMenuManual = "Manual...";          // 1104, command 3003
inline constexpr const char* kMainMenuAbout = "About...";            // 1105, command 3004
inline constexpr const char* kMainMenuExit = "Exit";
inline constexpr const char* kMainMenuName = "mainMenu";  // the menu's object name

// Opens the menu under the menu button and runs the chosen entry.
int recorderMainMenu(RecorderApp& app);
