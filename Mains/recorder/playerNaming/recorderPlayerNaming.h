// recorderPlayerNaming: tracks cut and named from the desktop's media players.
// Whatever plays in a player that announces itself on the session bus, each
// song becomes one track, cut where the player goes to the next song and named
// with its title, artist and album, with no wizard and no silence needed
// between songs.
//
// The players' reports become song events like the YouTube Wizard's page
// sends: a player playing another track is a song start, Paused or Stopped a
// pause. A song start while record mode records cuts the recording at that
// moment (the engine ends it between two capture blocks, losing no audio),
// unless the recording already has that song (title and artist) or is still
// shorter than the engine's minimum length (it then takes the new song's name
// instead of becoming a fragment the engine would throw away). Each kept
// track is named from the song it was recorded under and marked as named by a
// player (source 2). Record mode, auto-segment and the silence rules stay as
// the user set them: with auto-segment on, silences still cut.
//
// The players cut and name when the setting name_from_players is on, a
// session bus is there, and the YouTube Wizard is not on screen (the wizard
// names its own tracks). With the setting off the names are still followed,
// unused, so that switching it on finds each recording under its song. Its
// state is app.playerNaming (recorderPlayerNamingState.h).
#pragma once

#include <cstdint>
#include <string>

#include "recorderNamingQueue.h"

struct RecorderApp;
struct MediaPlayerReport;

// The label of the check box of the Options dialog that switches the feature.
inline constexpr const char* kPlayerNamingOptionLabel = "Name and cut tracks from media players";

// Start-up: follows the players when there are players to follow and a
// session bus; without one the feature is off and nothing else changes.
int recorderPlayerNamingStart(RecorderApp& app);
// Shutdown: no report is handled after this.
int recorderPlayerNamingStop(RecorderApp& app);

// One player's report (the platform's listener).
int recorderPlayerNamingReport(RecorderApp& app, const MediaPlayerReport& report);
// What the feature depends on changed (the setting in the Options dialog, the
// YouTube Wizard coming on screen or going): the players' song is taken again
// as it is now.
int recorderPlayerNamingRetake(RecorderApp& app);

// The name the players gave the recording with this engine serial; empty
// when they gave none.
int recorderPlayerNamingNameOf(RecorderApp& app, uint32_t serial, RecorderSongName& name);
// A track the engine just kept (its row id and recording serial): named with
// the song it was recorded under, when the feature is on and it had one
// (tags and source 2). named tells whether it was.
int recorderPlayerNamingNameTrack(RecorderApp& app, int id, uint32_t serial, bool& named);
// The recording row's label while the players name the recording in progress:
// "Title - Artist" (or the title alone); empty otherwise.
int recorderPlayerNamingRecordingLabel(RecorderApp& app, std::string& label);
