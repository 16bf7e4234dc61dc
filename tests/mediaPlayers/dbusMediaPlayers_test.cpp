// The session bus's media players over Qt D-Bus: reading what players put in
// their properties (a table of the types players really send, and ones they
// should not), finding the session bus, and following real players (the test
// player of this folder, without sound) on a private bus: players there
// before and after the start, their changes, their leaving, texts from every
// script, and no bus at all.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QStringList>
#include <cmath>
#include <limits>

#include "dbusMediaPlayers.h"
#include "privateBus.h"

namespace {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "test_dbusMediaPlayers";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

template <class F>
bool pumpUntil(F done, int ms = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Follows the players and keeps every report.
struct Follower {
    std::unique_ptr<MediaPlayers> players = dbusMediaPlayersCreate();
    std::vector<MediaPlayerReport> reports;
    bool follow() {
        return players->follow([this](const MediaPlayerReport& r) { reports.push_back(r); });
    }
    // The last report of a player, once one satisfies `done`.
    template <class F>
    bool waitFor(const std::string& player, F done) {
        return pumpUntil([&] {
            for (auto it = reports.rbegin(); it != reports.rend(); ++it)
                if (it->player == player) return done(*it);
            return false;
        });
    }
    const MediaPlayerReport* last(const std::string& player) const {
        for (auto it = reports.rbegin(); it != reports.rend(); ++it)
            if (it->player == player) return &*it;
        return nullptr;
    }
};

TEST(dbusMediaPlayers, ReadsWhatPlayersPutInTheirMetadata) {
    struct Case {
        const char* what;
        QVariant value;
        MediaPlayerMetadata expected;
    };
    const QVariantMap full{{"xesam:title", "Song"},
                           {"xesam:artist", QStringList{"First", "Second"}},
                           {"xesam:album", "Album"},
                           {"mpris:trackid", QVariant::fromValue(QDBusObjectPath("/org/x/Track/7"))},
                           {"mpris:length", qlonglong(215000000)},
                           {"xesam:genre", QStringList{"ignored"}}};
    auto with = [&](const char* key, const QVariant& v) {
        QVariantMap m = full;
        m[key] = v;
        return QVariant(m);
    };
    const MediaPlayerMetadata base{"Song", "First", "Album", "/org/x/Track/7", 215000000};
    auto expect = [&](auto change) {
        MediaPlayerMetadata m = base;
        change(m);
        return m;
    };
    const Case cases[] = {
        {"every field as the interface says", QVariant(full), base},
        {"artist as one text", with("xesam:artist", "Lone"), expect([](auto& m) { m.artist = "Lone"; })},
        {"artist as an empty list", with("xesam:artist", QStringList{}),
         expect([](auto& m) { m.artist = ""; })},
        {"artist as a list of variants", with("xesam:artist", QVariantList{QVariant("V1"), QVariant(3)}),
         expect([](auto& m) { m.artist = "V1"; })},
        {"artist as a number", with("xesam:artist", 42), expect([](auto& m) { m.artist = ""; })},
        {"title as a number", with("xesam:title", 42), expect([](auto& m) { m.title = ""; })},
        {"track id as a text", with("mpris:trackid", "/as/text"),
         expect([](auto& m) { m.trackId = "/as/text"; })},
        {"length as a double", with("mpris:length", 1.5e6), expect([](auto& m) { m.lengthUs = 1500000; })},
        {"length as a 32-bit number", with("mpris:length", 7), expect([](auto& m) { m.lengthUs = 7; })},
        {"length negative", with("mpris:length", qlonglong(-5)), expect([](auto& m) { m.lengthUs = 0; })},
        {"length NaN", with("mpris:length", std::nan("")), expect([](auto& m) { m.lengthUs = 0; })},
        {"length beyond 64 bits", with("mpris:length", qulonglong(std::numeric_limits<qulonglong>::max())),
         expect([](auto& m) { m.lengthUs = std::numeric_limits<int64_t>::max(); })},
        {"length as a text", with("mpris:length", "215000000"), expect([](auto& m) { m.lengthUs = 0; })},
        {"not a dictionary", QVariant("Song"), MediaPlayerMetadata{}},
        {"nothing", QVariant(), MediaPlayerMetadata{}},
    };
    for (const Case& c : cases) EXPECT_EQ(dbusMediaPlayersReadMetadata(c.value), c.expected) << c.what;

    struct Status {
        QVariant value;
        MediaPlayerStatus expected;
    };
    for (const Status& s :
         {Status{"Playing", MediaPlayerStatus::Playing}, Status{"Paused", MediaPlayerStatus::Paused},
          Status{"Stopped", MediaPlayerStatus::Stopped}, Status{"playing", MediaPlayerStatus::Stopped},
          Status{1, MediaPlayerStatus::Stopped}}) {
        MediaPlayerReport r;
        r.status = MediaPlayerStatus::Paused;
        r.metadata.title = "kept";
        dbusMediaPlayersReadProperties({{"PlaybackStatus", s.value}, {"Volume", 0.5}}, r);
        EXPECT_EQ(r.status, s.expected) << s.value.toString().toStdString();
        EXPECT_EQ(r.metadata.title, "kept");  // no Metadata given: left alone
    }
}

TEST(dbusMediaPlayers, FindsTheSessionBusOnlyWhereThereIsOne) {
    testsupport::TempDir dir;
    const std::string runtime = dir.file("run time,1");  // characters an address must escape
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    testsupport::ScopedEnv noAddress("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    {
        testsupport::ScopedEnv noRuntime("XDG_RUNTIME_DIR", std::nullopt);
        EXPECT_EQ(dbusMediaPlayersSessionAddress(), "");
    }
    testsupport::ScopedEnv runtimeEnv("XDG_RUNTIME_DIR", runtime);
    EXPECT_EQ(dbusMediaPlayersSessionAddress(), "");  // no socket there
    testsupport::writeText(runtime + "/bus", "not a socket");
    EXPECT_EQ(dbusMediaPlayersSessionAddress(), "");
    ::unlink((runtime + "/bus").c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string socketPath = runtime + "/bus";
    ASSERT_LT(socketPath.size(), sizeof addr.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), addr.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    std::string escaped = socketPath;
    escaped.replace(escaped.find(" "), 1, "%20");
    escaped.replace(escaped.find(","), 1, "%2c");
    EXPECT_EQ(dbusMediaPlayersSessionAddress(), "unix:path=" + escaped);
    ::close(fd);
    testsupport::ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", "unix:path=/given");
    EXPECT_EQ(dbusMediaPlayersSessionAddress(), "unix:path=/given");

    // Without a bus, following finds nothing and says so.
    ensureApplication();
    testsupport::ScopedEnv none("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    testsupport::ScopedEnv noRuntime("XDG_RUNTIME_DIR", dir.str());
    Follower f;
    EXPECT_FALSE(f.follow());
    f.players->stop();
}

TEST(dbusMediaPlayers, FollowsPlayersArrivingChangingAndLeaving) {
    ensureApplication();
    PrivateBus bus;
    ASSERT_TRUE(bus.started());
    TestPlayerOptions quiet;
    quiet.audio = false;
    quiet.name = "early";
    quiet.play = true;
    // Texts from every script, with quotes.
    const std::vector<TestSong> songs = {{"Don't \"Stop\"", "Renée 'O", "Ålbum", 440, 3000},
                                         {"夜に駆ける 🎵", "YOASOBI 🌙", "THE BOOK", 660, 3000}};
    TestPlayer early(quiet, songs);
    ASSERT_TRUE(early.ready());
    ASSERT_TRUE(pumpUntil([&] { return early.statuses() == std::vector<std::string>{"Playing"}; }));

    Follower f;
    ASSERT_TRUE(f.follow());
    EXPECT_TRUE(f.reports.empty());  // reports come from the event loop, never from follow()
    // The player that was there first.
    ASSERT_TRUE(f.waitFor(early.busName(), [](auto& r) { return r.status == MediaPlayerStatus::Playing; }));
    const MediaPlayerReport* r = f.last(early.busName());
    EXPECT_TRUE(r->present);
    EXPECT_EQ(r->metadata, (MediaPlayerMetadata{"Don't \"Stop\"", "Renée 'O", "Ålbum",
                                                "/org/tobrel/testplayer/track0", 3000000}));

    // Its changes: another song, a pause.
    ASSERT_TRUE(early.call("Next"));
    ASSERT_TRUE(f.waitFor(early.busName(), [](auto& r) { return r.metadata.title == "夜に駆ける 🎵"; }));
    EXPECT_EQ(f.last(early.busName())->metadata.artist, "YOASOBI 🌙");
    EXPECT_EQ(f.last(early.busName())->status, MediaPlayerStatus::Playing);
    ASSERT_TRUE(early.call("Pause"));
    ASSERT_TRUE(f.waitFor(early.busName(), [](auto& r) { return r.status == MediaPlayerStatus::Paused; }));

    // A player arriving later, sending odd types and only naming its metadata
    // as changed: it is read all the same.
    TestPlayerOptions odd = quiet;
    odd.name = "late.instance42";
    odd.play = false;
    odd.oddTypes = true;
    odd.invalidateMetadata = true;
    TestPlayer late(odd, {{"Late", "Someone", "", 440, 3000}, {"Later", "Someone Else", "", 440, 3000}});
    ASSERT_TRUE(late.ready());
    ASSERT_TRUE(f.waitFor(late.busName(), [](auto& r) { return r.status == MediaPlayerStatus::Stopped; }));
    ASSERT_TRUE(late.call("Play"));
    ASSERT_TRUE(late.call("Next"));
    ASSERT_TRUE(f.waitFor(late.busName(), [](auto& r) {
        return r.status == MediaPlayerStatus::Playing && r.metadata.title == "Later";
    }));
    EXPECT_EQ(f.last(late.busName())->metadata,
              (MediaPlayerMetadata{"Later", "Someone Else", "", "/org/tobrel/testplayer/track1", 3000000}));

    // Leaving, by quitting or by dying.
    ASSERT_TRUE(late.call("Quit"));
    EXPECT_EQ(late.wait(), 0);
    ASSERT_TRUE(f.waitFor(late.busName(), [](auto& r) { return !r.present; }));
    early.kill(SIGKILL);
    ASSERT_TRUE(f.waitFor(early.busName(), [](auto& r) { return !r.present; }));

    // Stopped: nothing more is reported, even of a new player.
    f.players->stop();
    const size_t before = f.reports.size();
    TestPlayer after(quiet, songs);
    ASSERT_TRUE(after.ready());
    Follower g;  // a second follower sees the new players, so their reports have gone out
    ASSERT_TRUE(g.follow());
    ASSERT_TRUE(g.waitFor(after.busName(), [](auto& r) { return r.present; }));
    EXPECT_EQ(f.reports.size(), before);
    g.players->stop();
}

TEST(dbusMediaPlayers, ABusWithoutPlayersReportsNothingAndAPlayerWithoutTitleIsReportedAsItIs) {
    ensureApplication();
    PrivateBus bus;
    ASSERT_TRUE(bus.started());
    Follower f;
    ASSERT_TRUE(f.follow());
    TestPlayerOptions quiet;
    quiet.audio = false;
    quiet.play = true;
    TestPlayer untitled(quiet, {{"", "Nobody", "Nothing", 440, 3000}});
    ASSERT_TRUE(untitled.ready());
    ASSERT_TRUE(
        f.waitFor(untitled.busName(), [](auto& r) { return r.status == MediaPlayerStatus::Playing; }));
    // The first report there was is this player's: the empty bus told nothing.
    EXPECT_EQ(f.reports.front().player, untitled.busName());
    EXPECT_EQ(f.last(untitled.busName())->metadata.title, "");
    EXPECT_EQ(f.last(untitled.busName())->metadata.artist, "Nobody");
    f.players->stop();
}

}  // namespace
