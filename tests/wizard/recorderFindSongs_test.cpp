// The YouTube Wizard without its page (no web engine is loaded in this test
// program): song starts against the real engine on a scripted computer that
// plays without a pause (which texts start a song, when a start cuts the
// recording, what the naming queue holds, which name the finished track
// takes), and a wizard whose browser library is missing. The page's messages
// are handed to the wizard as the main window hands them.
#include <gtest/gtest.h>

#include <QTreeWidget>

#include "recCache.h"
#include "recorderDlgFindSongs.h"
#include "recorderSession.h"
#include "recorderTimer.h"
#include "report.h"
#include "sndDevicesEngine.h"
#include "windowHarness.h"

namespace {

TEST(recorderNamingQueue, KeepsTheOldestAndTheNewestPair) {
    RecorderNamingQueue q;
    EXPECT_EQ(recorderNamingQueueNewest(q), RecorderSongName{});
    recorderNamingQueuePop(q);  // nothing to pop
    EXPECT_EQ(q.count, 0);
    const RecorderSongName a{"A", "1"}, b{"B", "2"}, c{"C", "3"};
    recorderNamingQueuePush(q, a);
    EXPECT_EQ(recorderNamingQueueNewest(q), a);
    EXPECT_EQ(recorderNamingQueueOldest(q), a);
    recorderNamingQueuePush(q, b);
    recorderNamingQueuePush(q, c);  // replaces the newest
    EXPECT_EQ(q.count, 2);
    EXPECT_EQ(recorderNamingQueueOldest(q), a);
    EXPECT_EQ(recorderNamingQueueNewest(q), c);
    recorderNamingQueuePop(q);
    EXPECT_EQ(q.count, 1);
    EXPECT_EQ(recorderNamingQueueOldest(q), c);
    recorderNamingQueuePop(q);
    EXPECT_EQ(q.count, 0);
    EXPECT_EQ(recorderNamingQueueNewest(q), RecorderSongName{});
}

std::string lastName(RecorderApp& app) {
    std::string name;
    sndDevicesGetLastRecordingName(*app.owned.engine, name);
    return name;
}

TEST(recorderFindSongs, SongStartsCutQueueAndNameTheFinishedTrack) {
    WindowHarness w;
    w.devices.setCaptureScript({ScriptedPoll{ScriptedPacket::constant(2, 480, 0.5f)}}, true);
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    const RecorderNamingQueue& queue = app.findSongs.namingQueue;
    // As the wizard leaves it when it opens: nothing is recorded before a song starts.
    ASSERT_EQ(recorderSetRecordMode(app, false), OKAY);

    // Texts that are not "artist^song" are ignored.
    for (const char* text : {"", "Artist A", "A^B^C", "Artist^Song^", "^Song", "Artist^"}) {
        bool started = true;
        ASSERT_EQ(recorderDlgFindSongsBrowserSongStarted(app, text, started), OKAY);
        EXPECT_FALSE(started) << text;
    }
    EXPECT_EQ(queue.count, 0);
    EXPECT_FALSE(app.modes.recordMode);

    // The first song arms recording with auto-segment off.
    const RecorderSongName one{"Artist A", "Song One"}, two{"Artist B", "Song Two"},
        three{"Artist C", "Song Three"};
    bool started = false;
    ASSERT_EQ(recorderDlgFindSongsBrowserSongStarted(app, "Artist A^Song One", started), OKAY);
    EXPECT_TRUE(started);
    EXPECT_TRUE(app.modes.recordMode);
    bool autoSegment = true;
    ASSERT_EQ(recorderSessionGetAutoSegment(autoSegment), OKAY);
    EXPECT_FALSE(autoSegment);
    ASSERT_TRUE(
        w.h.pumpUntil([&] { return app.owned.engine->record.recordDurationMs.load() > 2500.0f; }, 10000));

    // The same song announced again is queued again but does not cut: the
    // recording goes on.
    ASSERT_EQ(recorderDlgFindSongsBrowserSongStarted(app, "Artist A^Song One", started), OKAY);
    EXPECT_TRUE(started);
    ASSERT_EQ(queue.count, 2);
    EXPECT_EQ(queue.pairs[0], one);
    EXPECT_EQ(queue.pairs[1], one);
    EXPECT_GT(app.owned.engine->record.recordDurationMs.load(), 2500.0f);
    EXPECT_EQ(lastName(app), "");

    // Another song cuts: the recording of Song One is finished.
    ASSERT_EQ(recorderDlgFindSongsBrowserSongStarted(app, "Artist B^Song Two", started), OKAY);
    ASSERT_TRUE(w.h.pumpUntil([&] { return !lastName(app).empty(); }, 5000));
    const std::string songOne = lastName(app);
    // A third start before the list took the finished track in: the first
    // and the third pair wait.
    ASSERT_EQ(recorderDlgFindSongsBrowserSongStarted(app, "Artist C^Song Three", started), OKAY);
    ASSERT_EQ(queue.count, 2);
    EXPECT_EQ(queue.pairs[0], one);
    EXPECT_EQ(queue.pairs[1], three);
    EXPECT_EQ(lastName(app), songOne);  // the moment of Song Two was too short to keep
    (void)two;

    // The finished track takes the pair announced for it, not the newest one,
    // and is marked as named by the wizard.
    QWidget wizard;  // the wizard on screen, for the recording row's label
    app.findSongs.wizard = &wizard;
    ASSERT_EQ(w.tick(), OKAY);
    std::vector<int> ids;
    ASSERT_EQ(recCacheGetIds(app.owned.cacheDb.get(), kRecCacheMaxIds, ids), OKAY);
    ASSERT_EQ(ids.size(), 1u);
    recCacheTags tags;
    ASSERT_EQ(recCacheGetTags(app.owned.cacheDb.get(), ids[0], tags), OKAY);
    EXPECT_EQ(tags.artist, "Artist A");
    EXPECT_EQ(tags.song, "Song One");
    EXPECT_EQ(tags.album, "");
    int source = 0;
    ASSERT_EQ(recCacheGetSource(app.owned.cacheDb.get(), ids[0], source), OKAY);
    EXPECT_EQ(source, 1);
    ASSERT_EQ(queue.count, 1);
    EXPECT_EQ(queue.pairs[0], three);
    // The row of the finished track, and the recording row labelled with the newest pair.
    ASSERT_EQ(app.owned.listView->topLevelItemCount(), 2);
    EXPECT_EQ(app.owned.listView->topLevelItem(0)->text(0).toStdString(), "Song One - Artist A");
    EXPECT_EQ(app.owned.listView->topLevelItem(1)->text(0).toStdString(), "Song Three - Artist C");
    app.findSongs.wizard = nullptr;
}

TEST(recorderFindSongs, WithoutTheBrowserLibraryTheWizardDoesNotOpenAndSaysWhy) {
    WindowHarness w;
    w.app().findSongs.viewLibrary = "/nonexistent/libsdkWebBrowserView.so";
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    ReportRecorder reports;
    EXPECT_NE(recorderDlgFindSongsOpen(app), OKAY);
    EXPECT_TRUE(reports.reported("UTIL/sdkWebBrowser/sdkWebBrowser"));
    EXPECT_FALSE(app.findSongs.wizardOpen);
    EXPECT_EQ(app.findSongs.wizard, nullptr);
    EXPECT_TRUE(app.modes.recordMode);
    // The user is told why, with the system's reason.
    ASSERT_EQ(w.h.dialog.texts.size(), 1u);
    EXPECT_NE(w.h.dialog.texts[0].find("/nonexistent/libsdkWebBrowserView.so"), std::string::npos)
        << w.h.dialog.texts[0];
}

}  // namespace
