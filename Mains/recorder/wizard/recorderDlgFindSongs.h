// recorderDlgFindSongs: the YouTube Wizard. A modeless window beside the main
// window shows the web service's page "/services/mrd" in the embedded
// browser. The page plays a band's songs and reports which one is playing;
// each song start cuts the recording and queues the (artist, song) pair that
// names the finished tracks. While the wizard is on screen, auto-segment is
// off and the page's song starts cut the tracks instead of silences.
//
// Its state is app.findSongs (recorderFindSongsState.h).
#pragma once

#include <string>

#include "recorderNamingQueue.h"

struct RecorderApp;

inline constexpr const char* kFindSongsTitle = "Tobrel : YouTube Wizard";
inline constexpr int kFindSongsWidth = 341;  // client area
inline constexpr int kFindSongsHeight = 565;
inline constexpr const char* kFindSongsPagePath = "/services/mrd";
inline constexpr int kFindSongsHostValue = 1;
inline constexpr long kFindSongsLoadTimeoutSeconds = 30;

// The page's messages (data ids).
inline constexpr long kBrowserMessageSongStart = 1;
inline constexpr long kBrowserMessageSongEnd = 2;
inline constexpr long kBrowserMessageNoArtistFound = 3;
inline constexpr long kBrowserMessageSongPaused = 4;
inline constexpr long kBrowserMessageStartButtonClicked = 5;
inline constexpr long kBrowserMessageSaveButtonClicked = 6;
inline constexpr long kBrowserMessageWebPageLoaded = 7;

inline constexpr const char* kMsgArtistNotFound = "Artist not found";  // string 1043
inline constexpr const char* kMsgWizardTimedOut =
    "Loading the YouTube Wizard has timed out.\n\nPlease retry.";  // string 1044
inline constexpr const char* kMsgWizardUnreachable =
    "Unable to Naviate to YouTube Wizard Page.";  // string 1058

// Opens the wizard (the find-songs button, the menu): creates it, or shows a
// hidden one again; one already on screen comes to the front.
int recorderDlgFindSongsOpen(RecorderApp& app);
// Removes the wizard if there is one (shutdown).
int recorderDlgFindSongsClose(RecorderApp& app);
// Whether the wizard exists and is not hidden.
bool recorderDlgFindSongsOnScreen(const RecorderApp& app);

// A data message of the wizard's page: its id and text.
int recorderDlgFindSongsHandleBrowserMessage(RecorderApp& app, long id, const std::string& text);
// A song starts ("artist^song"): cuts the recording when it is another song,
// queues the pair and arms recording with auto-segment off. started is false
// when the text is ignored.
int recorderDlgFindSongsBrowserSongStarted(RecorderApp& app, const std::string& text, bool& started);
// Per timer tick: removes a wizard whose page has not loaded for 30 seconds.
int recorderDlgFindSongsCheckTimeout(RecorderApp& app);
// A track starts playing: the page stops its own player and hides its final step.
int recorderDlgFindSongsStopPlayback(RecorderApp& app);

// The naming queue, as the track list uses it: the newest pair labels the
// recording in progress, the oldest names the track that just finished, and
// pop removes the oldest once that track carries it.
int recorderDlgFindSongsNewestName(RecorderApp& app, RecorderSongName& name);
int recorderDlgFindSongsOldestName(RecorderApp& app, RecorderSongName& name);
int recorderDlgFindSongsPopName(RecorderApp& app);
