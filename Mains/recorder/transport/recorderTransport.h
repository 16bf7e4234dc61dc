// The transport of the main window: play/pause, previous, next and stop act
// on the track list and drive the file playback engine.
//
// The recorder records whatever the default output plays, so playing a track
// in record mode would record it again: playing suspends record mode and
// pause, stop with restore and the end of the track give it back.
#pragma once

struct RecorderApp;

// String 1030, asked as a Yes/No question when play would interrupt a recording.
inline constexpr const char* kMsgStopRecordingToPlay =
    "A recording is currently in progress.\n\nWould you like to stop recording and enter playback mode?";
// String 1042.
inline constexpr const char* kMsgCannotPlayRecording = "You may not play the currently recording track.";
// Our text, for a track whose audio file has gone from the cache folder.
inline constexpr const char* kMsgTrackAudioMissing = "The track's audio file is missing.";

// The play button: pause while playing, else play the selection.
int recorderTransportPlayPause(RecorderApp& app);
// Plays the first selected row (the first row when none is selected).
int recorderTransportPlaySelection(RecorderApp& app);
int recorderTransportPause(RecorderApp& app);
// Back to the start of the first row, else one row up; then plays.
int recorderTransportPrevious(RecorderApp& app);
// One row down (it stays on the last row); then plays.
int recorderTransportNext(RecorderApp& app);
// Stops and unloads the loaded track; with restore, record mode comes back
// when playback took it.
int recorderTransportStop(RecorderApp& app, bool restore);
// Per timer tick: a track that ended is stopped (with restore), then the play
// time and the position slider follow.
int recorderTransportTimer(RecorderApp& app);
// Whether the loaded track plays: the engine plays it and the transport shows playing.
int recorderTransportIsPlaying(RecorderApp& app, bool& playing);
