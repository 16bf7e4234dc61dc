// Fault injection on the running recorder: started without a sound server,
// it shows Record off with "no sound output", tells the user once, and records
// by itself once a server starts; and at start-up the list is brought in line
// with the cache folder, so a track whose row was never written (a full disk)
// is listed and a row whose audio is gone is not.
#include <gtest/gtest.h>

#include <QTreeWidget>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>

#include "CsndDevicesWaveFile.h"
#include "pulseDevices.h"
#include "pulseFixture.h"
#include "recCache.h"
#include "recorderFaults.h"
#include "recorderInit.h"
#include "recorderMainDisplay.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderPaths.h"
#include "recorderSongList.h"
#include "recorderTestApp.h"
#include "recorderTransport.h"
#include "report.h"
#include "skin.h"

namespace fs = std::filesystem;

namespace {

std::string readOut(RecorderApp& app) {
    std::string text;
    skinTextGetText(app.owned.skin.get(), kSkinTextRecordTime, text);
    return text;
}

}  // namespace

TEST(FaultsRecorder, StartedWithoutASoundServerItRecordsOnceOneStartsAndSaysSoOnce) {
    pulsefixture::PulseServer server;
    ASSERT_TRUE(server.started());
    server.kill();
    RecorderHarness h;
    std::unique_ptr<AudioDevices> devices = pulseDevicesCreate("tobrel-faults");
    h.app.services.audioDevices = devices.get();

    ReportRecorder reports;
    ASSERT_EQ(h.start(), OKAY);
    ASSERT_TRUE(h.boxes.empty());
    EXPECT_TRUE(h.app.modes.recordMode);
    EXPECT_FALSE(recorderFaultsRecordShown(h.app));
    ASSERT_TRUE(h.pumpUntil([&] { return readOut(h.app) == kRecorderTimeNoOutput; }, 2000));
    ASSERT_TRUE(h.pumpUntil([&] { return !h.dialog.texts.empty(); }, 2000));

    ASSERT_TRUE(server.start());
    // Two seconds, and one of slack for a loaded machine.
    ASSERT_TRUE(h.pumpUntil([&] { return recorderFaultsRecordShown(h.app); }, 3000));
    EXPECT_TRUE(h.pumpUntil([&] { return readOut(h.app) != kRecorderTimeNoOutput; }, 500));

    testsupport::TempDir dir;
    const std::string song = dir.file("song.wav");
    ASSERT_TRUE(pulsefixture::writeSignal(song, 48000, {{440.0, 2500}, {0.0, 400}}));
    ASSERT_EQ(pulsefixture::play(song), 0);
    ASSERT_TRUE(h.pumpUntil(
        [&] { return recorderTestListColumn(h.app, 1) == std::vector<std::string>{"0:02"}; }, 3000));
    EXPECT_EQ(h.dialog.texts, std::vector<std::string>{kMsgNoSoundOutput});  // one notice for the outage
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_EQ(recorderShutdown(h.app), OKAY);
}

TEST(FaultsRecorder, StartUpListsEveryTrackOnDiskAndDropsRowsWithoutAudio) {
    RecorderHarness h;
    std::string cache;
    ASSERT_EQ(recorderPaths(RECORDER_PATH_CACHE, cache), OKAY);
    fs::create_directories(cache);
    {
        // A database that knows one track whose audio is gone, and not the two
        // on disk (their inserts failed on a full disk).
        std::unique_ptr<recCache> db;
        ASSERT_EQ(recCacheInit(cache, "sdrtfn", "tmp", false, nullptr, db), OKAY);
        ASSERT_EQ(recCacheInsert(db.get(), "1291640000_4000_11", 1291640000, 4000), OKAY);
        recCacheTags tags;
        tags.song = "Gone";
        ASSERT_EQ(recCacheSetTags(db.get(), 1, tags), OKAY);
        ASSERT_EQ(recCacheClose(db), OKAY);
    }
    std::ofstream(cache + "/1291648100_65000_22.tmp") << "later";
    std::ofstream(cache + "/1291648000_183000_33.tmp") << "earlier";
    std::ofstream(cache + "/sdrtfn.tmp") << "in progress";

    ReportRecorder reports;
    ASSERT_EQ(h.start(), OKAY);
    ASSERT_TRUE(h.boxes.empty());
    EXPECT_EQ(recorderTestListColumn(h.app, 1), (std::vector<std::string>{"3:03", "1:05"}));
    std::vector<int> ids;
    ASSERT_EQ(recCacheGetIds(h.app.owned.cacheDb.get(), kRecCacheMaxIds, ids), OKAY);
    EXPECT_EQ(ids, (std::vector<int>{2, 3}));  // added in recording order
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_EQ(recorderShutdown(h.app), OKAY);
}

TEST(FaultsRecorder, PlayWithTheSoundServerGoneReportsAtMostOnceAndTheCloseRequestEnds) {
    pulsefixture::PulseServer server;
    ASSERT_TRUE(server.started());
    RecorderHarness h;
    std::unique_ptr<AudioDevices> devices = pulseDevicesCreate("tobrel-faults");
    h.app.services.audioDevices = devices.get();
    ASSERT_EQ(h.start(), OKAY);
    std::string cache;
    ASSERT_EQ(recorderPaths(RECORDER_PATH_CACHE, cache), OKAY);
    {
        // A 20 s track, long enough to be playing when the server goes.
        const AudioFormat format = audioPcm16Format(2, 48000);
        CsndDevicesWaveFile file;
        ASSERT_EQ(file.open(cache + "/1700000000_20000_7.tmp", &format, kWaveModeWrite), kWaveSOk);
        const std::vector<int16_t> frames(size_t(48000) * 2 * 20, 0);
        uint32_t written = 0;
        ASSERT_EQ(file.write(uint32_t(frames.size() * 2), frames.data(), &written), kWaveSOk);
        file.close();
        ASSERT_EQ(recCacheInsert(h.app.owned.cacheDb.get(), "1700000000_20000_7", 1700000000, 20000), OKAY);
        ASSERT_EQ(recorderSongListFill(h.app), OKAY);
    }
    ASSERT_EQ(h.app.owned.listView->topLevelItemCount(), 1);

    ReportRecorder reports;
    ASSERT_EQ(recorderTransportPlaySelection(h.app), OKAY);
    ASSERT_TRUE(h.app.transport.playing);
    server.kill();
    // The outage itself: held for its length, not a wait for a state.
    h.pump(4000);
    std::set<std::pair<std::string, int>> distinct;
    for (const InternalError& e : reports.reports()) distinct.insert({e.module, e.line});
    EXPECT_LE(reports.count(), 6u) << "one failure's chain at most";
    EXPECT_EQ(distinct.size(), reports.count()) << "no report repeats";
    EXPECT_LE(h.boxes.size(), reports.count());

    // The close request: the program ends at once.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(recorderShutdown(h.app), OKAY);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(h.app.owned.engine, nullptr);
    EXPECT_FALSE(h.app.window.mainWindow && h.app.window.mainWindow->isVisible());
}
