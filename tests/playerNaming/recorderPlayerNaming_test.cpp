// Media-player naming in the running recorder, on a scripted computer (sound
// or silence as the test feeds it) with scripted media players: which
// reports cut the recording, which name each kept track takes (album
// included, source 2), the recording row, several players at once, players
// without a title, a silence cut and a pause meeting the song events, the
// setting and the wizard switching the feature off, and a machine without a
// session bus.
#include <gtest/gtest.h>

#include <QTreeWidget>

#include "mediaPlayers.h"
#include "recCache.h"
#include "recorderPlayerNaming.h"
#include "recorderSession.h"
#include "report.h"
#include "sndDevicesEngine.h"
#include "windowHarness.h"

namespace {

struct Track {
    std::string song, artist, album;
    int source = -1;
    long durationMs = 0;
    bool operator==(const Track&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Track& t) {
    return os << "{" << t.song << "|" << t.artist << "|" << t.album << "|" << t.source << "|" << t.durationMs
              << "}";
}

MediaPlayerReport report(const std::string& player, MediaPlayerStatus status, const std::string& title,
                         const std::string& artist = "", const std::string& album = "",
                         const std::string& trackId = "") {
    MediaPlayerReport r;
    r.player = "org.mpris.MediaPlayer2." + player;
    r.status = status;
    r.metadata = {title, artist, album, trackId.empty() ? "/t/" + title : trackId, 180000000};
    return r;
}
constexpr auto kPlaying = MediaPlayerStatus::Playing;
constexpr auto kPaused = MediaPlayerStatus::Paused;
constexpr auto kStopped = MediaPlayerStatus::Stopped;

// The recorder with scripted players; its computer plays what the test feeds it.
struct Rig {
    WindowHarness w;
    ScriptedMediaPlayers players;
    ReportRecorder reports;

    explicit Rig(bool bus = true) {
        players.busAvailable = bus;
        w.app().services.mediaPlayers = &players;
    }
    RecorderApp& app() { return w.app(); }
    int start() { return w.start(); }
    void tell(const MediaPlayerReport& r) { EXPECT_TRUE(players.report(r)); }

    // Ten-millisecond packets of sound or of digital silence, queued for the
    // engine after what is queued already.
    void feed(float level, int ms) {
        for (int i = 0; i < ms / 10; ++i)
            w.devices.lastCapture()->append({ScriptedPacket::constant(2, 480, level)});
    }
    void sound(int ms) { feed(0.5f, ms); }
    void silence(int ms) { feed(0.0f, ms); }
    // While set, the computer plays without end: the waits below keep a
    // little sound queued ahead of the engine.
    bool sounding = false;

    template <class F>
    bool waitFor(F done, int ms = 20000) {
        return w.h.pumpUntil(
            [&] {
                if (sounding && w.devices.lastCapture()->pendingPolls() < 20) sound(200);
                return done();
            },
            ms);
    }
    // Waits until the recording in progress is longer than `ms`.
    bool recordingLonger(uint32_t ms) {
        return waitFor([&] {
            sndDevicesOpenRecording now;
            sndDevicesGetOpenRecording(*app().owned.engine, now);
            return now.open && now.durationMs > ms;
        });
    }
    // Runs ticks until the list holds `count` kept tracks.
    bool kept(size_t count) {
        return waitFor([&] {
            w.tick();
            return tracks().size() >= count;
        });
    }
    std::vector<Track> tracks() {
        std::vector<int> ids;
        recCacheGetIds(app().owned.cacheDb.get(), kRecCacheMaxIds, ids);
        std::vector<Track> out;
        for (int id : ids) {
            recCacheTags tags;
            recCacheTrack track;
            Track t;
            recCacheGetTags(app().owned.cacheDb.get(), id, tags);
            recCacheGetTrack(app().owned.cacheDb.get(), id, track);
            recCacheGetSource(app().owned.cacheDb.get(), id, t.source);
            t.song = tags.song;
            t.artist = tags.artist;
            t.album = tags.album;
            t.durationMs = track.durationMs;
            out.push_back(t);
        }
        return out;
    }
    std::string recordingRow() {
        QTreeWidget* list = app().owned.listView;
        for (int i = 0; list && i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(1) == "...") return list->topLevelItem(i)->text(0).toStdString();
        return "<none>";
    }
    // The kept tracks without their lengths, to compare names.
    std::vector<Track> names() {
        std::vector<Track> out = tracks();
        for (Track& t : out) t.durationMs = 0;
        return out;
    }
};

TEST(recorderPlayerNaming, EachSongStartCutsTheRecordingAndNamesItsTrack) {
    Rig rig;
    ASSERT_EQ(rig.start(), OKAY);
    ASSERT_TRUE(rig.app().playerNaming.following);
    ASSERT_TRUE(rig.app().modes.recordMode);
    // Auto-segment stays as the user set it: on.
    bool autoSegment = false;
    ASSERT_EQ(recorderSessionGetAutoSegment(autoSegment), OKAY);
    ASSERT_TRUE(autoSegment);

    // The first song is announced as its sound begins; the recording is
    // still too short to cut and takes its name.
    rig.sounding = true;
    ASSERT_TRUE(rig.recordingLonger(50));
    rig.tell(report("one", kPlaying, "Song One", "Artist A", "Album A"));
    ASSERT_TRUE(rig.recordingLonger(2500));
    EXPECT_EQ(rig.recordingRow(), "Song One - Artist A");

    // The same song again (another track id, its album corrected, a pause and
    // a resume): no cut.
    rig.tell(report("one", kPlaying, "Song One", "Artist A", "Album A'", "/t/again"));
    rig.tell(report("one", kPaused, "Song One", "Artist A", "Album A'", "/t/again"));
    rig.tell(report("one", kPlaying, "Song One", "Artist A", "Album A'", "/t/again"));
    ASSERT_TRUE(rig.recordingLonger(3000));
    ASSERT_EQ(rig.w.tick(), OKAY);
    EXPECT_TRUE(rig.tracks().empty());

    // The next song cuts with no silence between them: the track of the
    // first is kept, named with title, artist and album, marked as named by a player.
    rig.tell(report("one", kPlaying, "Song Two", "Artist B", "Album B"));
    ASSERT_TRUE(rig.kept(1));
    EXPECT_EQ(rig.names(), (std::vector<Track>{{"Song One", "Artist A", "Album A'", 2}}));
    EXPECT_GE(rig.tracks()[0].durationMs, 3000);
    EXPECT_EQ(rig.recordingRow(), "Song Two - Artist B");
    ASSERT_TRUE(rig.recordingLonger(2200));

    // The player stops: the recording goes on under its song until the
    // silence ends it; what is recorded after that is nobody's.
    rig.tell(report("one", kStopped, "Song Two", "Artist B", "Album B"));
    EXPECT_EQ(rig.recordingRow(), "Song Two - Artist B");
    ASSERT_EQ(rig.w.tick(), OKAY);
    EXPECT_EQ(rig.tracks().size(), 1u);  // stopping does not cut
    rig.sounding = false;
    rig.silence(200);
    ASSERT_TRUE(rig.kept(2));
    rig.sound(2500);
    rig.silence(200);
    ASSERT_TRUE(rig.kept(3));
    EXPECT_EQ(rig.names(), (std::vector<Track>{{"Song One", "Artist A", "Album A'", 2},
                                               {"Song Two", "Artist B", "Album B", 2},
                                               {"", "", "", 0}}));
    // Every track is whole: no fragment was cut off and thrown away.
    for (const Track& t : rig.tracks()) EXPECT_GE(t.durationMs, 2000) << t;
    EXPECT_EQ(rig.reports.count(), 0u);
}

TEST(recorderPlayerNaming, TheLastPlayerToChangeWinsAndUntitledOnesAreIgnored) {
    Rig rig;
    ASSERT_EQ(rig.start(), OKAY);
    rig.sounding = true;
    ASSERT_TRUE(rig.recordingLonger(50));
    rig.tell(report("first", kPlaying, "First Song", "First Artist"));
    // A player with no title, and players that do not play, change nothing.
    rig.tell(report("untitled", kPlaying, "", "Somebody", "Something"));
    rig.tell(report("paused", kPaused, "Paused Song", "Paused Artist"));
    rig.tell(report("stopped", kStopped, "Stopped Song", "Stopped Artist"));
    ASSERT_TRUE(rig.recordingLonger(2300));
    ASSERT_EQ(rig.w.tick(), OKAY);
    EXPECT_TRUE(rig.tracks().empty());
    EXPECT_EQ(rig.recordingRow(), "First Song - First Artist");

    // A second player starts while the first plays: it takes over.
    rig.tell(report("second", kPlaying, "Second Song", "Second Artist"));
    ASSERT_TRUE(rig.kept(1));
    EXPECT_EQ(rig.recordingRow(), "Second Song - Second Artist");
    ASSERT_TRUE(rig.recordingLonger(2300));
    // It quits mid-song: the first player, still playing its song, takes over again.
    MediaPlayerReport gone;
    gone.player = "org.mpris.MediaPlayer2.second";
    gone.present = false;
    rig.tell(gone);
    ASSERT_TRUE(rig.kept(2));
    EXPECT_EQ(rig.recordingRow(), "First Song - First Artist");
    ASSERT_TRUE(rig.recordingLonger(2300));
    // The first quits too, mid-song: the track goes on, and keeps its name.
    gone.player = "org.mpris.MediaPlayer2.first";
    rig.tell(gone);
    ASSERT_EQ(rig.w.tick(), OKAY);
    EXPECT_EQ(rig.tracks().size(), 2u);
    EXPECT_EQ(rig.recordingRow(), "First Song - First Artist");
    rig.sounding = false;
    rig.silence(300);
    ASSERT_TRUE(rig.kept(3));
    EXPECT_EQ(rig.names(), (std::vector<Track>{{"First Song", "First Artist", "", 2},
                                               {"Second Song", "Second Artist", "", 2},
                                               {"First Song", "First Artist", "", 2}}));
    EXPECT_EQ(rig.reports.count(), 0u);
}

TEST(recorderPlayerNaming, ASilenceCutOrAPauseThenASongLeaveNoFragment) {
    Rig rig;
    ASSERT_EQ(rig.start(), OKAY);
    // Song A, then a gap of silence (auto-segment cuts), then song B, whose
    // start is told a little after its sound began.
    rig.tell(report("p", kPlaying, "A", "Artist"));
    rig.sound(2500);
    rig.silence(300);
    ASSERT_TRUE(rig.kept(1));
    rig.sound(3000);
    ASSERT_TRUE(rig.recordingLonger(300));
    rig.tell(report("p", kPlaying, "B", "Artist"));
    ASSERT_TRUE(rig.recordingLonger(2900));
    // Song C is told before its sound, in the gap after B.
    rig.silence(300);
    ASSERT_TRUE(rig.kept(2));
    rig.tell(report("p", kPlaying, "C", "Artist"));
    rig.sound(2500);
    // C pauses mid-song: the silence ends the track; the song goes on after the pause.
    ASSERT_TRUE(rig.recordingLonger(2400));
    rig.tell(report("p", kPaused, "C", "Artist"));
    rig.silence(1500);
    ASSERT_TRUE(rig.kept(3));
    rig.tell(report("p", kPlaying, "C", "Artist"));
    rig.sound(2500);
    rig.silence(300);
    ASSERT_TRUE(rig.kept(4));
    EXPECT_EQ(
        rig.names(),
        (std::vector<Track>{
            {"A", "Artist", "", 2}, {"B", "Artist", "", 2}, {"C", "Artist", "", 2}, {"C", "Artist", "", 2}}));
    for (const Track& t : rig.tracks()) EXPECT_GE(t.durationMs, 2400) << t;
    EXPECT_EQ(rig.reports.count(), 0u);
}

TEST(recorderPlayerNaming, OffBySettingOrWhileTheWizardIsOnScreen) {
    Rig rig;
    ASSERT_EQ(rig.start(), OKAY);
    ASSERT_EQ(recorderSessionSetNameFromPlayers(false), OKAY);
    rig.sounding = true;
    rig.tell(report("p", kPlaying, "One", "Artist"));
    ASSERT_TRUE(rig.recordingLonger(2300));
    rig.tell(report("p", kPlaying, "Two", "Artist"));
    ASSERT_TRUE(rig.recordingLonger(2600));
    ASSERT_EQ(rig.w.tick(), OKAY);
    EXPECT_TRUE(rig.tracks().empty());  // no cut
    EXPECT_EQ(rig.recordingRow(), "Recording in Progress");

    // Switched on (the Options dialog): the recording began under One, and
    // Two plays now: it is cut there, and the rest is Two's.
    ASSERT_EQ(recorderSessionSetNameFromPlayers(true), OKAY);
    ASSERT_EQ(recorderPlayerNamingRetake(rig.app()), OKAY);
    ASSERT_TRUE(rig.kept(1));
    EXPECT_EQ(rig.names(), (std::vector<Track>{{"One", "Artist", "", 2}}));
    EXPECT_EQ(rig.recordingRow(), "Two - Artist");
    ASSERT_TRUE(rig.recordingLonger(2300));

    // The wizard on screen names its own tracks: the players neither cut nor name.
    QWidget wizard;
    rig.app().findSongs.wizard = &wizard;
    ASSERT_EQ(recorderPlayerNamingRetake(rig.app()), OKAY);
    rig.tell(report("p", kPlaying, "Three", "Artist"));
    ASSERT_TRUE(rig.recordingLonger(2600));
    ASSERT_EQ(rig.w.tick(), OKAY);
    EXPECT_EQ(rig.tracks().size(), 1u);
    // The wizard gone, Three is what plays: it cuts.
    rig.app().findSongs.wizard = nullptr;
    ASSERT_EQ(recorderPlayerNamingRetake(rig.app()), OKAY);
    ASSERT_TRUE(rig.kept(2));
    EXPECT_EQ(rig.names()[1], (Track{"Two", "Artist", "", 2}));
    EXPECT_EQ(rig.recordingRow(), "Three - Artist");

    // Switched off while a named recording runs: its track is not named.
    ASSERT_EQ(recorderSessionSetNameFromPlayers(false), OKAY);
    ASSERT_EQ(recorderPlayerNamingRetake(rig.app()), OKAY);
    EXPECT_EQ(rig.recordingRow(), "Recording in Progress");
    ASSERT_TRUE(rig.recordingLonger(2100));
    rig.sounding = false;
    rig.silence(300);
    ASSERT_TRUE(rig.kept(3));
    EXPECT_EQ(rig.names()[2], (Track{"", "", "", 0}));
    EXPECT_EQ(rig.reports.count(), 0u);
}

TEST(recorderPlayerNaming, LongTextsAreCutToATagAndNoSessionBusLeavesTheRecorderAsItWas) {
    {
        Rig rig;
        ASSERT_EQ(rig.start(), OKAY);
        // 600 emoji are 1 200 UTF-16 units; a tag holds 511, never half a character.
        std::string title;
        for (int i = 0; i < 600; ++i) title += "🎵";
        const std::string artist(700, 'a');
        rig.tell(report("p", kPlaying, title, artist, "Album"));
        rig.sound(2500);
        rig.silence(300);
        ASSERT_TRUE(rig.kept(1));
        const Track t = rig.names()[0];
        EXPECT_EQ(t.song.size(), 255u * 4u);  // 255 emoji: 510 units
        EXPECT_EQ(t.artist, std::string(511, 'a'));
        EXPECT_EQ(t.album, "Album");
    }
    Rig rig(false);
    ASSERT_EQ(rig.start(), OKAY);
    EXPECT_EQ(rig.players.follows, 1);
    EXPECT_FALSE(rig.app().playerNaming.following);
    EXPECT_TRUE(rig.app().modes.recordMode);
    EXPECT_TRUE(rig.w.h.boxes.empty());
    rig.sound(2500);
    rig.silence(300);
    ASSERT_TRUE(rig.kept(1));
    EXPECT_EQ(rig.names(), (std::vector<Track>{{"", "", "", 0}}));
    EXPECT_EQ(rig.reports.count(), 0u);
}

}  // namespace
