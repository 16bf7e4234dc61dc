// Tracks cut and named from the desktop's media players. See
// recorderPlayerNaming.h.
//
// A recording is named by the song current when it began; a song that starts
// while a recording runs either cuts it (the song after the cut begins the
// next recording) or, when the recording is the same song or too short to
// keep, renames it. Names are kept by the engine's recording serials, which
// the engine also gives every kept track, so a track gets the name of its own
// recording however recordings end (silence, a cut, the user) and whichever
// of them the engine throws away as too short.
#include "recorderPlayerNaming.h"

#include "CSlout.h"
#include "mediaPlayers.h"
#include "pstr.h"
#include "recCache.h"
#include "recorderApp.h"
#include "recorderDlgFindSongs.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "report.h"
#include "sndDevicesEngine.h"

static constexpr const char* kReportModule = "./playerNaming/recorderPlayerNaming";

namespace {

using State = RecorderPlayerNamingState;

// A tag holds what the Rename dialog's fields hold.
constexpr size_t kTagUnits = kRecCacheTagWidth - 1;

void trace(RecorderApp& app, const std::string& line) {
    if (app.owned.trace) app.owned.trace->messageW(1, "recorderPlayerNaming(): " + line);
}

// The same track: its id, and its title and artist (some players keep one id
// for everything they play, and a stream changes only its title).
bool sameTrack(const MediaPlayerMetadata& a, const MediaPlayerMetadata& b) {
    return a.trackId == b.trackId && a.title == b.title && a.artist == b.artist;
}

bool samePair(const RecorderSongName& a, const RecorderSongName& b) {
    return a.artist == b.artist && a.song == b.song;
}

RecorderSongName songName(const MediaPlayerMetadata& m) {
    return {std::string(pstrCutToUnits(m.artist, kTagUnits)), std::string(pstrCutToUnits(m.title, kTagUnits)),
            std::string(pstrCutToUnits(m.album, kTagUnits))};
}

RecorderSongName nameOf(const State& s, uint32_t serial) {
    const RecorderSongName* name = nullptr;
    for (const State::From& from : s.names) {
        if (from.serial > serial) break;
        name = &from.name;
    }
    return name ? *name : RecorderSongName{};
}

// Names kept at most: recordings too short to keep never reach the list,
// which is what forgets names, so a player changing songs over many short
// sounds could otherwise pile them up.
constexpr size_t kMaxNames = 64;

// From recording `serial` on, the recordings are named `name`.
void nameFrom(State& s, uint32_t serial, const RecorderSongName& name) {
    while (!s.names.empty() && s.names.back().serial >= serial) s.names.pop_back();
    if (nameOf(s, serial) == name) return;
    s.names.push_back({serial, name});
    if (s.names.size() > kMaxNames) s.names.erase(s.names.begin());
}

// The recording with this serial has been taken in: no earlier one will be.
void forgetBefore(State& s, uint32_t serial) {
    size_t keep = 0;  // the entry naming `serial` stays, for the recordings after it
    while (keep + 1 < s.names.size() && s.names[keep + 1].serial <= serial) ++keep;
    s.names.erase(s.names.begin(), s.names.begin() + static_cast<long>(keep));
}

// The players cut recordings now: the setting is on and the wizard is not on
// screen.
int cutting(RecorderApp& app, bool& on) {
    on = false;
    REPORT_CHECK(recorderSessionGetNameFromPlayers(on));
    if (recorderDlgFindSongsOnScreen(app)) on = false;
    return OKAY;
}

// The player that names the recordings: of those playing a titled track, the
// one that changed last.
void choose(const State& s, std::string& player, MediaPlayerMetadata& song) {
    const State::Player* best = nullptr;
    player.clear();
    song = {};
    for (const auto& [name, p] : s.playerStates) {
        if (p.status != MediaPlayerStatus::Playing || p.metadata.title.empty()) continue;
        if (best && p.changed <= best->changed) continue;
        best = &p;
        player = name;
    }
    if (best) song = best->metadata;
}

// Takes the players' song as it is now; `again` takes it even when it did not
// change (what the feature depends on did).
//
// The names follow the players whatever the setting: with the setting off
// they only go unused (no cut, no tag), so that switching it on finds each
// recording under the song it began with. While the wizard is on screen the
// recordings are its own and get no player's name.
int take(RecorderApp& app, bool again) {
    State& s = app.playerNaming;
    std::string player;
    MediaPlayerMetadata song;
    choose(s, player, song);
    if (!again && player == s.songPlayer && song == s.song) return OKAY;
    s.songPlayer = player;
    s.song = song;
    if (!app.owned.engine) return OKAY;

    const RecorderSongName name =
        player.empty() || recorderDlgFindSongsOnScreen(app) ? RecorderSongName{} : songName(song);
    sndDevicesOpenRecording now;
    REPORT_CHECK(sndDevicesGetOpenRecording(*app.owned.engine, now));
    const RecorderSongName before = nameOf(s, now.serial);

    trace(app, name.song.empty() ? std::string("no song")
                                 : "song \"" + name.song + "\" by \"" + name.artist + "\" from " + player);
    if (name.song.empty()) {
        // A pause, a stop, a player gone: the recording in progress keeps its
        // name (the song may go on), the ones after it get none.
        nameFrom(s, now.serial + 1, {});
    } else if (!now.open) {
        nameFrom(s, now.serial + 1, name);
    } else if (samePair(before, name) || !now.keepable) {
        // The same song (its album may have changed), or a recording too
        // short to keep, which becomes this song's rather than a fragment.
        nameFrom(s, now.serial, name);
    } else {
        // Another song: the recording is cut where it starts, when the
        // players may cut. The engine refuses only a recording that has just
        // ended by itself; either way the song names the next recording.
        bool on = false, cut = false;
        REPORT_CHECK(cutting(app, on));
        if (on && app.modes.recordMode)
            REPORT_CHECK(sndDevicesCutRecording(*app.owned.engine, now.serial, cut));
        if (cut) trace(app, "cut at " + std::to_string(now.durationMs) + " ms");
        nameFrom(s, now.serial + 1, name);
    }
    // The recording row shows the recording's name, when it changed or the
    // setting may have.
    const bool renamed = !(nameOf(s, now.serial) == before);
    if ((renamed || again) && now.open && app.owned.listCtrl && app.owned.cacheDb)
        REPORT_CHECK(recorderSongListFill(app));
    return OKAY;
}

}  // namespace

int recorderPlayerNamingStart(RecorderApp& app) {
    State& s = app.playerNaming;
    MediaPlayers* players = app.services.mediaPlayers;
    if (!players || !app.owned.engine || s.following) return OKAY;
    RecorderApp* a = &app;
    s.following = players->follow([a](const MediaPlayerReport& report) {
        if (recorderPlayerNamingReport(*a, report) != OKAY) REPORT_ERR();
    });
    trace(app,
          s.following ? "following the media players" : "no session bus: media players are not followed");
    return OKAY;
}

int recorderPlayerNamingStop(RecorderApp& app) {
    State& s = app.playerNaming;
    if (app.services.mediaPlayers) app.services.mediaPlayers->stop();
    s.following = false;
    return OKAY;
}

int recorderPlayerNamingReport(RecorderApp& app, const MediaPlayerReport& report) {
    State& s = app.playerNaming;
    if (!s.following) return OKAY;
    if (!report.present) {
        s.playerStates.erase(report.player);
    } else {
        auto [it, added] = s.playerStates.try_emplace(report.player);
        State::Player& p = it->second;
        if (added || p.status != report.status || !sameTrack(p.metadata, report.metadata))
            p.changed = ++s.changes;
        p.status = report.status;
        p.metadata = report.metadata;
    }
    REPORT_CHECK(take(app, false));
    return OKAY;
}

int recorderPlayerNamingRetake(RecorderApp& app) {
    if (!app.playerNaming.following) return OKAY;
    REPORT_CHECK(take(app, true));
    return OKAY;
}

int recorderPlayerNamingNameOf(RecorderApp& app, uint32_t serial, RecorderSongName& name) {
    name = nameOf(app.playerNaming, serial);
    return OKAY;
}

int recorderPlayerNamingNameTrack(RecorderApp& app, int id, uint32_t serial, bool& named) {
    named = false;
    State& s = app.playerNaming;
    const RecorderSongName name = nameOf(s, serial);
    forgetBefore(s, serial);
    if (name.song.empty()) return OKAY;
    if (!app.owned.cacheDb) return REPORT_ERR();
    bool on = false;
    REPORT_CHECK(recorderSessionGetNameFromPlayers(on));
    if (!on) return OKAY;
    recCacheTags tags;
    tags.artist = name.artist;
    tags.song = name.song;
    tags.album = name.album;
    REPORT_CHECK(recCacheSetTags(app.owned.cacheDb.get(), id, tags));
    REPORT_CHECK(recCacheSetSource(app.owned.cacheDb.get(), id, kRecCacheSourcePlayers));
    named = true;
    trace(app, "track " + std::to_string(id) + " named \"" + name.song + "\"");
    return OKAY;
}

int recorderPlayerNamingRecordingLabel(RecorderApp& app, std::string& label) {
    label.clear();
    const State& s = app.playerNaming;
    if (!app.owned.engine || s.names.empty()) return OKAY;
    sndDevicesOpenRecording now;
    REPORT_CHECK(sndDevicesGetOpenRecording(*app.owned.engine, now));
    if (!now.open) return OKAY;
    const RecorderSongName name = nameOf(s, now.serial);
    if (name.song.empty()) return OKAY;
    bool on = false;
    REPORT_CHECK(recorderSessionGetNameFromPlayers(on));
    if (!on) return OKAY;
    label = name.artist.empty() ? name.song : name.song + " - " + name.artist;
    return OKAY;
}
