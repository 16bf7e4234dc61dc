// Telling the user about the faults the engine rides out: no sound output
// (the record thread keeps reconnecting) and a cache folder that cannot be
// written (a full disk; a folder that cannot be re-created). The timer tick
// polls the engine's fault words; each fault is told once per episode, and
// an episode ends when the engine clears its word. The message is queued, so
// the tick that found the fault is not held up by the dialog.
#pragma once

#include <string>

struct RecorderApp;

// Our texts.
inline constexpr const char* kMsgNoSoundOutput =
    "No sound output is available, so nothing can be recorded now. Tobrel records again by itself as soon "
    "as one is back.";
inline constexpr const char* kMsgCacheFaultLead = "Tobrel cannot write recordings to its cache folder (";
inline constexpr const char* kMsgCacheFaultTail =
    "). What was recorded so far is kept; recording goes on as soon as writing works again.";
// The recording-time read-out while no output is there.
inline constexpr const char* kRecorderTimeNoOutput = "no sound output";

// The faults' state in RecorderApp.
struct RecorderFaultsState {
    bool noOutputTold = false;    // the present outage has been told
    bool cacheFaultTold = false;  // the present cache-file fault has been told
    bool noOutputShown = false;   // the record button shows the outage
    bool listFault = false;       // a finished track could not be entered in cache.db yet
};

// Timer step: tells a new fault once and keeps the record button true to
// what the engine can do.
int recorderFaultsTimer(RecorderApp& app);

// Whether the engine has no output to record from now.
bool recorderFaultsNoOutput(const RecorderApp& app);
// What the record button shows: record mode on and an output to record from.
bool recorderFaultsRecordShown(const RecorderApp& app);

// Shows `text` in the message dialog once the current event is done.
void recorderFaultsTell(RecorderApp& app, const std::string& text);
