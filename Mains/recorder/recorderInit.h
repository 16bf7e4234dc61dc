// Start-up and shutdown of the running recorder, the close request and opening
// pages in the user's browser.
#pragma once

#include <string>
#include <string_view>

struct RecorderApp;

inline constexpr const char* kRecorderTitle = "Tobrel";
inline constexpr const char* kMsgAlreadyRunning = "Tobrel is already running.";
inline constexpr const char* kMsgExecutionFailed = "Tobrel execution failed.";
inline constexpr const char* kMsgCaption = "Tobrel Message";
// The engine mode of this program: record, render and MP3 encoding.
inline constexpr int kRecorderEngineMode = 3;

// The start-up sequence, steps 0 to 21, run inside the creation of the main
// window. A failing step runs recorderShutdown and leaves success at 0.
int recorderInit(RecorderApp& app, int& success);

// Starts the audio engine (start-up step 12).
int recorderSndServer(RecorderApp& app);

// The release sequence, in reverse order of creation; safe to run twice.
// Ends by asking the event loop to quit.
int recorderShutdown(RecorderApp& app);

// The close request: asks whether to clear the list when clear_on_exit and
// remove_after_save are both on. NOT_OKAY keeps the window open.
int recorderAskClearOnExit(RecorderApp& app);

// The process start after the single-instance guard: a second copy shows
// "Tobrel is already running." and ends (refused = true); otherwise the main
// window is created, which runs the start-up. The guard is two locks held
// until the process ends: `lock` in the machine-wide lock folder, and
// `cacheLock` in the cache folder, so that two copies never share one cache
// folder even when they see different lock folders (a sandbox with a private
// /tmp). Returns OKAY, or NOT_OKAY when no window came up.
class InstanceLock;
int recorderProcessStart(RecorderApp& app, InstanceLock& lock, InstanceLock& cacheLock, bool& refused);

// The folder that holds the skins: top_folder/Skins (a test's override).
int recorderSkinsFolder(RecorderApp& app, std::string& folder);

// Opens an address in the user's default web browser.
int recorderMainWindowOpenPage(RecorderApp& app, std::string_view address);
