// The main timer and the mode switches.
//
// The user-interface thread learns everything about the engine by polling: a
// 100 ms timer asks the engine for its recording indicator and then lets each
// interested part update itself in a fixed order. The switches here change the
// application's modes: record mode (the engine armed) or playback mode, the
// auto-segment switch and the short-track filter.
#pragma once

struct RecorderApp;

inline constexpr int kRecorderTimerPeriodMs = 100;
// The wait before arming, so that the sound of a click is not recorded.
inline constexpr int kRecorderArmDelayMs = 250;

// Starts and stops the 100 ms main timer of the main window.
int recorderInitTimer(RecorderApp& app);
void recorderKillTimer(RecorderApp& app);

// One tick, in eight steps; a failing step reports and ends the tick.
int recorderTimer(RecorderApp& app);

// Record mode on (armed after 250 ms) or off (disarmed); without a capture
// device (result 207) the window stays in playback mode.
int recorderSetRecordMode(RecorderApp& app, bool on);
// Stores auto_segment, hands it to the engine and updates its button.
int recorderSetAutoSegment(RecorderApp& app, bool on);
// Sets the short-track filter and its button; the caller rebuilds the list.
int recorderSetHideShort(RecorderApp& app, bool on);
