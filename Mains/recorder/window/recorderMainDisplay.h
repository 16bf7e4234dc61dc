// What the main window shows, recomputed from the application's state: the
// two-image mode buttons, the play/pause image, the new-track button, the
// recording indicator and the recording time (or, during playback, the track
// that plays), the level bar, the track list or the recording instructions in
// its place, the hover images and the tooltips of the find-songs and new-track
// buttons.
//
// Every update sets component values through the skin engine, which repaints
// only what changed, so an update may run any number of times. Without a main
// skin the updates do nothing; the hover routine needs one.
#pragma once

#include <QRect>
#include <functional>
#include <string>

struct RecorderApp;

// String 1302, the tooltip of the find-songs button.
inline constexpr const char* kFindSongsTooltip = "Find and Record Songs from your Favorite Bands.";
// The new-track button's tooltip: what it does, or why it is not available.
inline constexpr const char* kNewTrackTooltip = "End the track here; the next sound starts a new one.";
inline constexpr const char* kNewTrackTooltipAutoSplit =
    "Not available while Auto-split cuts the tracks at silences. Turn Auto-split off to cut them yourself.";
inline constexpr const char* kNewTrackTooltipNoRecording =
    "Available while a recording runs: it ends the track there and starts a new one.";
// The time read-outs while nothing runs (kept, not drawn, while hidden).
inline constexpr const char* kRecorderTimeStopped = "stopped";
// Object name of the tooltip window (the window tests look it up).
inline constexpr const char* kRecorderTooltipName = "tooltips_class32";

// One tool of the tooltip window: a hotspot's rectangle and its text as it is now.
struct RecorderTooltipTool {
    int key = 0;
    QRect rect;
    std::function<std::string()> text;
};

// Start-up, after the main skin: a fresh tooltip window with a tool over the
// find-songs and new-track hotspots.
int recorderCreateTooltips(RecorderApp& app);
// The tool over `hotspot`: its rectangle (bounds inclusive) and its text now;
// none when the hotspot was disabled when the tooltip was made.
int recorderTooltipTool(RecorderApp& app, int hotspot, bool& present, int& left, int& top, int& right,
                        int& bottom, std::string& text);
// The new-track button's tooltip as things stand (auto split on, no recording, or available).
std::string recorderNewTrackTooltip(RecorderApp& app);

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
// new-track button follow the engine's record status. While a track is
// loaded and nothing records, the display shows the track instead: the
// indicator's playback face, where the track is in the time read-out, and its
// name in the spare text field. The level bar follows the loudest sample of
// the tick (played during playback, captured in record mode).
int recorderDisplayRecordingFlash(RecorderApp& app);

// The level bar's reach for a peak (0.0 to 1.0 of full scale): decibels
// from -kRecorderMeterRangeDb (empty) to 0 (full). It falls back at most
// kRecorderMeterFallPerTick of its length a tick.
inline constexpr float kRecorderMeterRangeDb = 48.0f;
inline constexpr float kRecorderMeterFallPerTick = 0.08f;
float recorderLevelMeterFraction(float peak);
// Per timer tick: the instructions (1014) stand in for the track list while
// there is nothing to list, no recording runs and the wizard is off screen.
int recorderUpdateMainDisplay(RecorderApp& app);

// The hover images at pointer position (x, y); (0, 0) when the pointer left.
int recorderMainHover(RecorderApp& app, int x, int y);

// A duration as the read-outs show it: "m:ss" below an hour, "h:mm:ss" from one on.
std::string recorderTimeText(long durationMs);
