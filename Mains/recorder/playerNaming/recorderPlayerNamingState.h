// Media-player naming's part of the application state: the players the
// recorder follows, which of them names the recordings now, and which name
// each recording gets.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "mediaPlayers.h"
#include "recorderNamingQueue.h"

struct RecorderPlayerNamingState {
    bool following = false;  // a session bus was found and its players are followed

    // What each player last reported, and when it last changed what it does
    // (started, paused, stopped or went to another track): the value of
    // `changes` at that moment.
    struct Player {
        MediaPlayerStatus status = MediaPlayerStatus::Stopped;
        MediaPlayerMetadata metadata;
        uint64_t changed = 0;
    };
    std::map<std::string, Player> playerStates;  // by bus name
    uint64_t changes = 0;

    // The song the players play now (the player that changed last among those
    // playing a titled track): its player's bus name and its metadata; an
    // empty player when none plays.
    std::string songPlayer;
    MediaPlayerMetadata song;

    // Which name the recordings get, by the engine's recording serial: each
    // entry names the recordings from its serial up to the next entry's.
    // Oldest first; an empty name leaves recordings unnamed.
    struct From {
        uint32_t serial = 0;
        RecorderSongName name;
    };
    std::vector<From> names;
};
