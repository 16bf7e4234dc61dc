// Media-player naming for real: the recorder with its real engine on a
// private sound server, following the players of a private session bus, and
// the test player playing its songs through that server while it tells the
// bus what it plays. Songs played back to back with no silence become one
// track each, cut within 100 ms of where one song's audio gives way to the
// next and named with title, artist and album as the player gave them; a
// second player takes over; a player quitting or pausing mid-song; an empty
// bus, a player without a title, and no bus at all.
//
// The songs are sines of their own pitch, so each 10 ms of a track tells
// which song it belongs to. The test also follows the bus itself, to time the
// player's announcements against the moments the player says its audio was
// heard; the figures are printed.
#include <gtest/gtest.h>

#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "CsndDevicesWaveFile.h"
#include "dbusMediaPlayers.h"
#include "privateBus.h"
#include "pstr.h"
#include "pulseDevices.h"
#include "pulseFixture.h"
#include "recCache.h"
#include "recorderPaths.h"
#include "recorderTestApp.h"
#include "report.h"
#include "sndDevicesEngine.h"
#include "sndDevicesScramble.h"

namespace {

constexpr int kRate = 48000;
constexpr int kWindowMs = 10;

// Energy of one frequency in a stretch of samples (Goertzel).
double energy(const std::vector<int16_t>& s, size_t from, size_t count, double hz) {
    const double w = 2 * M_PI * hz / kRate, c = 2 * std::cos(w);
    double a = 0, b = 0;
    for (size_t i = from; i < from + count; ++i) {
        const double x = s[i] + c * a - b;
        b = a;
        a = x;
    }
    return a * a + b * b - c * a * b;
}

struct Row {
    int id = 0;
    std::string baseName, song, artist, album;
    int source = 0;
    long durationMs = 0;
};

// The recorder with the real engine and the session bus's players, in a scratch profile.
struct Recorder {
    std::unique_ptr<AudioDevices> devices = pulseDevicesCreate("tobrel-test");
    std::unique_ptr<MediaPlayers> players = dbusMediaPlayersCreate();
    RecorderHarness h;
    ReportRecorder reports;

    Recorder() {
        h.app.services.audioDevices = devices.get();
        h.app.services.mediaPlayers = players.get();
    }
    int start() { return h.start(); }
    template <class F>
    bool waitFor(F done, int ms = 30000) {
        return h.pumpUntil(done, ms);
    }
    std::vector<Row> rows() {
        std::vector<Row> out;
        std::vector<int> ids;
        if (!h.app.owned.cacheDb || recCacheGetIds(h.app.owned.cacheDb.get(), kRecCacheMaxIds, ids) != OKAY)
            return out;
        for (int id : ids) {
            Row r;
            r.id = id;
            recCacheTrack track;
            recCacheTags tags;
            recCacheGetTrack(h.app.owned.cacheDb.get(), id, track);
            recCacheGetTags(h.app.owned.cacheDb.get(), id, tags);
            recCacheGetSource(h.app.owned.cacheDb.get(), id, r.source);
            r.baseName = track.baseName;
            r.durationMs = track.durationMs;
            r.song = tags.song;
            r.artist = tags.artist;
            r.album = tags.album;
            out.push_back(r);
        }
        return out;
    }
    bool kept(size_t count) {
        return waitFor([&] { return rows().size() >= count; });
    }
    // The left channel of a kept track, unscrambled.
    std::vector<int16_t> samples(const Row& row) {
        std::string cache;
        recorderPaths(RECORDER_PATH_CACHE, cache);
        CsndDevicesWaveFile file;
        std::vector<int16_t> left;
        if (file.open(cache + "/" + row.baseName + ".tmp", nullptr, kWaveModeRead) != kWaveSOk) return left;
        std::vector<unsigned char> bytes(file.dataSize());
        uint32_t got = 0;
        file.read(bytes.data(), static_cast<uint32_t>(bytes.size()), &got);
        bytes.resize(got);
        sndDevicesUnscrambleBytes(bytes.data(), bytes.size(), kSndScrambleKey);
        for (size_t i = 0; i + 3 < bytes.size(); i += 4)
            left.push_back(static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8)));
        return left;
    }
    // Which of `pitches` each 10 ms of a track is (-1: silence).
    std::vector<int> songsOf(const Row& row, const std::vector<double>& pitches) {
        const std::vector<int16_t> s = samples(row);
        const size_t n = kRate * kWindowMs / 1000;
        std::vector<int> out;
        for (size_t from = 0; from + n <= s.size(); from += n) {
            int best = -1;
            double bestEnergy = 1e9;  // below this it is silence
            for (size_t p = 0; p < pitches.size(); ++p) {
                const double e = energy(s, from, n, pitches[p]);
                if (e > bestEnergy) {
                    bestEnergy = e;
                    best = static_cast<int>(p);
                }
            }
            out.push_back(best);
        }
        return out;
    }
};

// Milliseconds of a track at its start (or end) that belong to another song than `song`.
int foreignMs(const std::vector<int>& windows, int song, bool atStart) {
    int n = 0;
    if (atStart) {
        for (size_t i = 0; i < windows.size() && windows[i] != song; ++i) ++n;
    } else {
        for (size_t i = windows.size(); i > 0 && windows[i - 1] != song; --i) ++n;
    }
    return n * kWindowMs;
}

bool toolsPresent() {
    for (const char* tool : {"pulseaudio", "dbus-daemon", "dbus-send", "paplay"})
        if (pulsefixture::runProgram({"sh", "-c", std::string("command -v ") + tool + " >/dev/null"}) != 0)
            return false;
    return true;
}

// A private sound server and session bus, and the recorder started on them.
struct Rig {
    pulsefixture::PulseServer sound;
    PrivateBus bus;
    Recorder rec;
    const int startResult = sound.started() && bus.started() ? rec.start() : NOT_OKAY;
    testing::AssertionResult ready() const {
        if (!sound.started()) return testing::AssertionFailure() << "the sound server did not start";
        if (!bus.started()) return testing::AssertionFailure() << "the session bus did not start";
        if (startResult != OKAY) return testing::AssertionFailure() << "the recorder did not start";
        return testing::AssertionSuccess();
    }
};

// The bus as the recorder sees it, with the moment each report arrived.
struct Watch {
    std::unique_ptr<MediaPlayers> players = dbusMediaPlayersCreate();
    std::vector<std::pair<MediaPlayerReport, int64_t>> reports;
    Watch() {
        players->follow([this](const MediaPlayerReport& r) { reports.emplace_back(r, testPlayerNowNs()); });
    }
    ~Watch() { players->stop(); }
    // When the report naming `title` first arrived (0: never).
    int64_t arrival(const std::string& title) const {
        for (const auto& [r, at] : reports)
            if (r.metadata.title == title && r.status == MediaPlayerStatus::Playing) return at;
        return 0;
    }
};

TEST(playerNamingAudio, SongsBackToBackBecomeTracksCutAtTheirBoundariesAndNamed) {
    if (!toolsPresent()) GTEST_SKIP() << "pulseaudio, dbus-daemon or dbus-send is missing";
    Rig rig;
    ASSERT_TRUE(rig.ready());
    Recorder& rec = rig.rec;
    ASSERT_TRUE(rec.h.app.playerNaming.following);
    Watch watch;

    // Quotes, CJK and emoji, as players send them.
    const std::vector<TestSong> songs = {
        {"Don't \"Stop\" Me", "Queen's 'Men'", "Jazz; DROP TABLE", 440, 4000},
        {"夜に駆ける", "YOASOBI", "THE BOOK", 660, 4000},
        {"Moon 🌙 Song 🎵", "Ëmöji Bänd", "", 880, 4000}};
    const std::vector<double> pitches = {440, 660, 880};
    // TOBREL_PLAYER_BUFFER_MS gives the test player another output buffer, to
    // measure how the cuts follow players that buffer more (the 100 ms bound
    // is then not checked).
    TestPlayerOptions options;
    const char* buffer = std::getenv("TOBREL_PLAYER_BUFFER_MS");
    const bool measuring = buffer && *buffer;
    if (measuring) options.latencyMs = std::atoi(buffer);
    TestPlayer player(options, songs);
    ASSERT_TRUE(player.ready());
    ASSERT_TRUE(player.call("Play"));
    ASSERT_TRUE(rec.waitFor([&] { return player.statuses().size() >= 2; }, 30000));  // Playing, then Stopped
    ASSERT_TRUE(rec.kept(3)) << rec.rows().size();
    rec.h.pump(300);
    const std::vector<Row> rows = rec.rows();
    ASSERT_EQ(rows.size(), 3u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].song, songs[i].title);
        EXPECT_EQ(rows[i].artist, songs[i].artist);
        EXPECT_EQ(rows[i].album, songs[i].album);
        EXPECT_EQ(rows[i].source, kRecCacheSourcePlayers);
    }
    // What an independent reader finds in cache.db.
    std::string cache;
    ASSERT_EQ(recorderPaths(RECORDER_PATH_CACHE, cache), OKAY);
    testsupport::TempDir dir;
    const std::string dump = dir.file("rows.txt");
    ASSERT_EQ(
        pulsefixture::runProgram({"sh", "-c",
                                  "sqlite3 -separator '|' '" + cache +
                                      "/cache.db' 'SELECT song, artist, album, source FROM caches ORDER BY "
                                      "creation_timestamp' > '" +
                                      dump + "'"}),
        0);
    EXPECT_EQ(testsupport::readText(dump),
              "Don't \"Stop\" Me|Queen's 'Men'|Jazz; DROP TABLE|2\n夜に駆ける|YOASOBI|THE BOOK|2\n"
              "Moon 🌙 Song 🎵|Ëmöji Bänd||2\n");

    // Each boundary: the end of one track and the start of the next hold no
    // more than 100 ms of the other song.
    std::vector<std::vector<int>> windows;
    for (const Row& r : rows) windows.push_back(rec.songsOf(r, pitches));
    const std::vector<TestPlayer::Song> changes = player.songs();
    ASSERT_EQ(changes.size(), 3u);
    for (size_t k = 1; k < 3; ++k) {
        const int early = foreignMs(windows[k], static_cast<int>(k), true);  // the song before, in this track
        const int late =
            foreignMs(windows[k - 1], static_cast<int>(k - 1), false);  // this song, in the one before
        if (!measuring) {
            EXPECT_LE(early, 100) << "boundary " << k;
            EXPECT_LE(late, 100) << "boundary " << k;
        }
        const int64_t audible = changes[k].audibleNs;
        const double sentMs = (changes[k].signalNs - audible) / 1e6;
        const double arrivedMs = (watch.arrival(songs[k].title) - audible) / 1e6;
        std::printf(
            "player buffer %d ms, boundary %zu: the signal was sent %+.1f ms and reached the recorder "
            "%+.1f ms after the change was heard; the cut fell %d ms %s it\n",
            options.latencyMs, k, sentMs, arrivedMs, early > 0 ? early : late,
            early > 0 ? "before" : "after");
    }
    // Nothing lost between the tracks: together they hold the three songs.
    long total = 0;
    for (const Row& r : rows) total += r.durationMs;
    EXPECT_GE(total, 12000 - 100);
    EXPECT_LE(total, 12000 + 200);
    EXPECT_EQ(rec.reports.count(), 0u);
}

TEST(playerNamingAudio, ASecondPlayerTakesOverAndAPlayerQuittingLeavesItsTrackNamed) {
    if (!toolsPresent()) GTEST_SKIP() << "pulseaudio, dbus-daemon or dbus-send is missing";
    Rig rig;
    ASSERT_TRUE(rig.ready());
    Recorder& rec = rig.rec;

    TestPlayerOptions first;
    first.name = "testplayer";
    TestPlayer base(first, {{"Base", "Artist One", "Album One", 440, 12000}});
    ASSERT_TRUE(base.ready());
    ASSERT_TRUE(base.call("Play"));
    auto recordingLonger = [&](uint32_t ms) {
        return rec.waitFor([&] {
            sndDevicesOpenRecording now;
            sndDevicesGetOpenRecording(*rec.h.app.owned.engine, now);
            return now.open && now.durationMs > ms;
        });
    };
    ASSERT_TRUE(recordingLonger(2500));

    // A second player starts while the first plays: its song takes over.
    TestPlayerOptions second;
    second.name = "testplayer.instance2";
    second.play = true;
    TestPlayer guest(second, {{"Guest", "Artist Two", "Album Two", 660, 6000}});
    ASSERT_TRUE(guest.ready());
    ASSERT_TRUE(rec.kept(1));
    ASSERT_TRUE(recordingLonger(2500));
    // It quits mid-song: the first, still playing, takes over again.
    ASSERT_TRUE(guest.call("Quit"));
    EXPECT_EQ(guest.wait(), 0);
    ASSERT_TRUE(rec.kept(2));
    ASSERT_TRUE(recordingLonger(2000));
    // The first quits mid-song too (killed): the track it named goes on until
    // the silence ends it, and keeps its name.
    base.kill(SIGKILL);
    ASSERT_TRUE(rec.kept(3));
    const std::vector<Row> rows = rec.rows();
    ASSERT_EQ(rows.size(), 3u);
    const char* expected[][2] = {{"Base", "Artist One"}, {"Guest", "Artist Two"}, {"Base", "Artist One"}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i].song, expected[i][0]) << i;
        EXPECT_EQ(rows[i].artist, expected[i][1]) << i;
        EXPECT_GE(rows[i].durationMs, 2000) << i;
    }
    EXPECT_EQ(rows[1].album, "Album Two");
    EXPECT_EQ(rec.reports.count(), 0u);
}

TEST(playerNamingAudio, AFiveSecondPauseMidSongWithAutoSegmentLeavesNoOrphan) {
    if (!toolsPresent()) GTEST_SKIP() << "pulseaudio, dbus-daemon or dbus-send is missing";
    Rig rig;
    ASSERT_TRUE(rig.ready());
    Recorder& rec = rig.rec;
    TestPlayer player({}, {{"Paused Song", "Pausing Artist", "Pause Album", 440, 7000},
                           {"Next Song", "Pausing Artist", "Pause Album", 660, 3000}});
    ASSERT_TRUE(player.ready());
    ASSERT_TRUE(player.call("Play"));
    ASSERT_TRUE(rec.waitFor([&] {
        sndDevicesOpenRecording now;
        sndDevicesGetOpenRecording(*rec.h.app.owned.engine, now);
        return now.open && now.durationMs > 3000;
    }));
    ASSERT_TRUE(player.call("Pause"));
    // The silence of the pause ends the track (auto-segment is on).
    ASSERT_TRUE(rec.kept(1));
    const auto resumeAt = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    ASSERT_TRUE(rec.waitFor([&] { return std::chrono::steady_clock::now() >= resumeAt; }, 10000));
    ASSERT_TRUE(player.call("Play"));
    ASSERT_TRUE(rec.waitFor([&] { return player.statuses().back() == "Stopped"; }, 30000));
    ASSERT_TRUE(rec.kept(3));
    rec.h.pump(1500);  // nothing else comes
    const std::vector<Row> rows = rec.rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].song, "Paused Song");
    EXPECT_EQ(rows[1].song, "Paused Song");  // the rest of it, after the pause
    EXPECT_EQ(rows[2].song, "Next Song");
    for (const Row& r : rows) {
        EXPECT_EQ(r.artist, "Pausing Artist");
        EXPECT_GE(r.durationMs, 2500) << r.song;  // no fragment of a song
    }
    EXPECT_NEAR(rows[0].durationMs + rows[1].durationMs, 7000, 200);
    EXPECT_EQ(rec.reports.count(), 0u);
}

TEST(playerNamingAudio, AnEmptyBusAPlayerWithoutTitleOrNoBusRecordAsBefore) {
    if (!toolsPresent()) GTEST_SKIP() << "pulseaudio, dbus-daemon or dbus-send is missing";
    pulsefixture::PulseServer sound;
    ASSERT_TRUE(sound.started());
    testsupport::TempDir songs;
    ASSERT_TRUE(pulsefixture::writeSignal(songs.file("song.wav"), kRate, {{440, 2600}}));
    for (bool withBus : {true, false}) {
        std::unique_ptr<PrivateBus> bus;
        std::unique_ptr<testsupport::ScopedEnv> noAddress, noRuntime;
        if (withBus) {
            bus = std::make_unique<PrivateBus>();
            ASSERT_TRUE(bus->started());
        } else {
            noAddress = std::make_unique<testsupport::ScopedEnv>("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
            noRuntime = std::make_unique<testsupport::ScopedEnv>("XDG_RUNTIME_DIR", songs.str());
        }
        Recorder rec;
        ASSERT_EQ(rec.start(), OKAY);
        EXPECT_EQ(rec.h.app.playerNaming.following, withBus);
        EXPECT_TRUE(rec.h.app.modes.recordMode);
        EXPECT_TRUE(rec.h.boxes.empty());
        ASSERT_EQ(pulsefixture::play(songs.file("song.wav")), 0);
        ASSERT_TRUE(rec.kept(1));
        if (withBus) {
            // A player that gives no title is no better than none.
            TestPlayerOptions untitled;
            untitled.play = true;
            TestPlayer player(untitled, {{"", "Nameless", "Nowhere", 660, 2600}});
            ASSERT_TRUE(player.ready());
            ASSERT_TRUE(rec.kept(2));
        }
        for (const Row& row : rec.rows()) {
            EXPECT_EQ(row.song, "");
            EXPECT_EQ(row.artist, "");
            EXPECT_EQ(row.source, 0);
            EXPECT_GE(row.durationMs, 2400);
        }
        EXPECT_EQ(rec.reports.count(), 0u);
    }
}

}  // namespace
