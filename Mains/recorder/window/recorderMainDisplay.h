// What the main window shows, recomputed from the application's state: the
// two-image mode buttons, the play/pause image, the new-track button, the
// recording indicator and the recording time, the track list or the recording
// instructions in its place, the hover images and the tooltip of the
// find-songs button.
//
// Every update sets component values through the skin engine, which repaints
// only what changed, so an update may run any number of times. Without a main
// skin the updates do nothing; the hover routine needs one.
#pragma once

#include <string>

struct RecorderApp;

// String 1302, the tooltip of the find-songs button.
inline constexpr const char* kFindSongsTooltip = "Find and Record Songs from your Favorite Bands.";
// The time read-outs while nothing runs (kept, not drawn, while hidden).
inline constexpr const char* kRecorderTimeStopped = "stopped";
// Object name of the tooltip window (the window tests look it up).
inline constexpr const char* kRecorderTooltipName = "tooltips_class32";

// Start-up, after the main skin: a fresh tooltip over the find-songs hotspot.
int recorderCreateTooltips(RecorderApp& app);
// The tooltip's tool: its rectangle (bounds inclusive) and text; none when the
// find-songs hotspot was disabled when the tooltip was made.
int recorderTooltipTool(RecorderApp& app, bool& present, int& left, int& top, int& right, int& bottom,
                        std::string& text);

// Record mode, short-track filter, auto segment, indicator and time, play
// button and new-track button, in that order.
int recorderUpdateMainModeDisplays(RecorderApp& app);

// The single updates.
int recorderUpdateRecordModeButton(RecorderApp& app);                     // 1002 / 1001
int recorderUpdateAutoSegmentButton(RecorderApp& app, bool autoSegment);  // 1004 / 1003
int recorderUpdateHideShortButton(RecorderApp& app);                      // 1006 / 1005
int recorderUpdatePlayButton(RecorderApp& app);                           // 1007 / 1008
// 1013: shown while a recording runs with auto segment off.
int recorderUpdateNewTrackButton(RecorderApp& app, bool autoSegment, long durationMs);

// Per timer tick: the indicator steps one frame, the recording time and the
// new-track button follow the engine's record status.
int recorderDisplayRecordingFlash(RecorderApp& app);
// Per timer tick: the instructions (1014) stand in for the track list while
// there is nothing to list, no recording runs and the wizard is off screen.
int recorderUpdateMainDisplay(RecorderApp& app);

// The hover images at pointer position (x, y); (0, 0) when the pointer left.
int recorderMainHover(RecorderApp& app, int x, int y);

// A duration as the read-outs show it: "m:ss" below an hour, "h:mm:ss" from one on.
std::string recorderTimeText(long durationMs);
