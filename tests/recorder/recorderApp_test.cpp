// The running recorder in a scratch profile (offscreen): start-up and
// shutdown, the single-instance guard, the window position, the timer tick,
// the modes, the system sound repair, the track list and moving the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "File.h"
#include "Ptime.h"
#include "instanceLock.h"
#include "ptListView.h"
#include "recCache.h"
#include "recorderInit.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderPaths.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "recorderSystemSounds.h"
#include "recorderTestApp.h"
#include "recorderTimer.h"
#include "regWithoutKeyname.h"
#include "report.h"
#include "skin.h"

namespace fs = std::filesystem;

namespace {

std::string cacheFolder() {
    std::string folder;
    recorderPaths(RECORDER_PATH_CACHE, folder);
    return folder;
}

std::vector<std::string> rowTexts(RecorderApp& app, int column) {
    std::vector<std::string> out;
    for (int i = 0; i < app.owned.listView->topLevelItemCount(); ++i)
        out.push_back(app.owned.listView->topLevelItem(i)->text(column).toStdString());
    return out;
}

std::vector<int> selectedRows(RecorderApp& app) {
    std::vector<int> rows;
    ptListViewGetSelected(app.owned.listCtrl.get(), kPtListViewMaxSelection, rows);
    return rows;
}

// A kept recording: its cache file and its row, as the engine and the list leave them.
int addTrack(RecorderApp& app, long start, long durationMs, const std::string& song = "",
             const std::string& artist = "") {
    const std::string base = std::to_string(start) + "_" + std::to_string(durationMs) + "_12345";
    std::ofstream(cacheFolder() + "/" + base + ".tmp") << "audio";
    EXPECT_EQ(recCacheInsert(app.owned.cacheDb.get(), base, start, durationMs), OKAY);
    std::vector<int> ids;
    recCacheGetIds(app.owned.cacheDb.get(), kRecCacheMaxIds, ids);
    if (!song.empty() || !artist.empty()) {
        recCacheTags tags;
        tags.song = song;
        tags.artist = artist;
        recCacheSetTags(app.owned.cacheDb.get(), ids.back(), tags);
    }
    return ids.back();
}

void writeCurrentSound(const std::string& text) {
    ASSERT_EQ(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, kSystemSoundKey, text), OKAY);
}

std::string currentSound() {
    bool found = false;
    std::string text;
    regWithoutKeynameRead(REG_ROOT_CURRENT_USER, kSystemSoundKey, REG_VALUE_BUFFER_BYTES, found, text);
    return found ? text : "<missing>";
}

std::vector<QWidget*> visibleTopLevels() {
    std::vector<QWidget*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) out.push_back(w);
    return out;
}

TEST(recorderApp, StartUpThenShutdownLeavesNothingOpenAndASecondShutdownReleasesNothing) {
    RecorderHarness h;
    std::string documents;
    ASSERT_EQ(recorderPaths(RECORDER_PATH_DOCUMENTS, documents), OKAY);
    fs::create_directories(documents);
    std::ofstream(documents + "/trace_on.txt") << "";
    std::ofstream(documents + "/trace_messages.txt") << "a line of an earlier run\n";

    ReportRecorder reports;
    ASSERT_EQ(h.start(), OKAY);
    RecorderApp& app = h.app;
    ASSERT_TRUE(h.boxes.empty()) << h.boxes[0].first << " / " << h.boxes[0].second;
    ASSERT_TRUE(app.window.mainWindow);
    EXPECT_TRUE(app.window.mainWindow->isVisible());
    EXPECT_EQ(app.window.mainWindow->windowTitle(), "Tobrel");
    EXPECT_TRUE(app.window.mainWindow->windowFlags().testFlag(Qt::FramelessWindowHint));
    int width = 0, height = 0;
    ASSERT_EQ(skinComponentBitmapGetSize(app.owned.skin.get(), kSkinMaster, width, height), OKAY);
    EXPECT_EQ(app.window.mainWindow->size(), QSize(width, height));
    EXPECT_EQ(app.window.mainWindow->minimumSize(), app.window.mainWindow->maximumSize());  // fixed size
    ASSERT_TRUE(app.owned.listView);
    int left = 0, top = 0, right = 0, bottom = 0;
    RecorderSkinColour text, back;
    ASSERT_EQ(recorderMainSkinListLayout(app.owned.skin.get(), left, top, right, bottom, text, back), OKAY);
    EXPECT_EQ(app.owned.listView->geometry(), QRect(left, top, right - left, bottom - top));
    EXPECT_EQ(app.owned.listView->headerItem()->text(0), "Track");
    EXPECT_EQ(app.owned.listView->headerItem()->text(1), "Duration");
    EXPECT_NE(app.owned.engine, nullptr);
    EXPECT_NE(app.owned.cacheDb, nullptr);
    EXPECT_NE(app.window.timerId, 0);
    EXPECT_TRUE(app.modes.scramble);
    EXPECT_TRUE(app.modes.savePosition);
    EXPECT_TRUE(app.modes.firstRun);  // no installation date in the scratch machine settings
    EXPECT_TRUE(fs::is_directory(cacheFolder()));
    EXPECT_TRUE(fs::exists(cacheFolder() + "/cache.db"));
    EXPECT_NE(recorderTestSessionValue("date_last_used"), "<missing>");
    EXPECT_EQ(reports.count(), 0u);

    // The trace of the start, in order, in a fresh trace file.
    const std::string trace = testsupport::readText(documents + "/trace_messages.txt");
    EXPECT_EQ(trace.find("earlier run"), std::string::npos);
    size_t at = 0;
    for (const char* line :
         {"recorderInit: Initializing", "recorderInit: Calling recorderInitCommonCtls",
          "recorderInit: Calling recorderInitWeb", "recorderInit: Calling recorderInitMainSkin",
          "recorderInit: Calling recorderCreateTooltips",
          "recorderInit: Calling recorderUpdateMainModeDisplays", "recorderInit: Calling recorderInitTimer",
          "recorderInit: Success"}) {
        const size_t found = trace.find(line, at);
        ASSERT_NE(found, std::string::npos) << line;
        at = found;
    }

    // The window hands its focus to the list.
    app.window.mainWindow->activateWindow();
    app.window.mainWindow->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(app.owned.listView->hasFocus());

    // Closing the window runs the shutdown.
    app.window.mainWindow->move(37, 41);
    app.window.mainWindow->close();
    EXPECT_EQ(app.window.timerId, 0);
    EXPECT_EQ(app.owned.engine, nullptr);
    EXPECT_EQ(app.owned.cacheDb, nullptr);
    EXPECT_EQ(app.owned.skin, nullptr);
    EXPECT_EQ(app.owned.listCtrl, nullptr);
    EXPECT_FALSE(app.owned.listView);
    EXPECT_EQ(app.owned.trace, nullptr);
    EXPECT_TRUE(visibleTopLevels().empty());
    EXPECT_EQ(recorderTestSessionValue("window_xmin"), "37");
    EXPECT_EQ(recorderTestSessionValue("window_ymin"), "41");
    EXPECT_EQ(reports.count(), 0u);

    // A second run finds nothing to release.
    EXPECT_EQ(recorderShutdown(app), OKAY);
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_TRUE(h.boxes.empty());
}

TEST(recorderApp, ClosingTheWindowEndsTheEventLoopWithExitCodeZero) {
    RecorderHarness h;
    ASSERT_EQ(h.start(), OKAY);
    QTimer::singleShot(300, [&] { h.app.window.mainWindow->close(); });
    QTimer watchdog;  // stopped with the test, so that it cannot end a later loop
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(3); });
    watchdog.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(h.app.owned.cacheDb, nullptr);
}

TEST(recorderApp, AFailedStartUpSaysSoAndLeavesNoDatabaseOpen) {
    RecorderHarness h;
    // A file where the cache folder must go.
    std::string cache = cacheFolder();
    fs::create_directories(fs::path(cache).parent_path());
    std::ofstream(cache) << "in the way";

    ReportRecorder reports;
    ASSERT_EQ(h.start(), OKAY);
    ASSERT_FALSE(h.boxes.empty());
    EXPECT_EQ(h.boxes.back(),
              std::make_pair(std::string("Tobrel execution failed."), std::string("Tobrel Message")));
    EXPECT_TRUE(reports.reported("./recorderInit"));
    EXPECT_EQ(h.app.owned.cacheDb, nullptr);
    EXPECT_EQ(h.app.owned.engine, nullptr);
    EXPECT_EQ(h.app.window.timerId, 0);
    EXPECT_TRUE(visibleTopLevels().empty());
    // The window was never placed: its position is not saved.
    EXPECT_EQ(recorderTestSessionValue("window_xmin"), "<missing>");
}

TEST(recorderApp, ASecondProcessIsRefused) {
    RecorderHarness h;
    InstanceLock first;
    bool alreadyRunning = true;
    ASSERT_EQ(instanceLockAcquire(instanceLockFolder(), first, alreadyRunning), OKAY);
    ASSERT_FALSE(alreadyRunning);

    InstanceLock second;
    bool refused = false;
    ASSERT_EQ(recorderProcessStart(h.app, second, refused), OKAY);
    EXPECT_TRUE(refused);
    EXPECT_FALSE(second.held());
    EXPECT_FALSE(h.app.window.mainWindow);
    using B = std::pair<std::string, std::string>;
    EXPECT_EQ(h.boxes, (std::vector<B>{{"Tobrel is already running.", "Tobrel Message"}}));

    first.release();
    ASSERT_EQ(recorderProcessStart(h.app, second, refused), OKAY);
    EXPECT_FALSE(refused);
    EXPECT_TRUE(second.held());
    EXPECT_TRUE(h.app.window.mainWindow && h.app.window.mainWindow->isVisible());
}

TEST(recorderApp, AWindowPositionOffTheScreenIsCentred) {
    recorderTestEnsureApplication();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        int x, y;
        bool kept;
    } cases[] = {{-1, -1, false},
                 {-5, 100, false},
                 {100, -5, false},
                 {area.width() + 10, 10, false},
                 {10, area.height() - 5, false},
                 {40, 50, true}};
    for (const Case& c : cases) {
        RecorderHarness h;
        ASSERT_EQ(recorderSessionSetWindowPosition(c.x, c.y), OKAY);
        ASSERT_EQ(h.start(), OKAY);
        ASSERT_TRUE(h.app.window.mainWindow && h.app.window.mainWindow->isVisible());
        const QSize size = h.app.window.mainWindow->size();
        const QPoint expected = c.kept
                                    ? QPoint(c.x, c.y)
                                    : QPoint(area.left() + std::max(0, (area.width() - size.width()) / 2),
                                             area.top() + std::max(0, (area.height() - size.height()) / 2));
        EXPECT_EQ(h.app.window.mainWindow->pos(), expected) << c.x << "," << c.y;
    }
}

TEST(recorderApp, TheTimerTickRunsItsStepsInOrderAndAFailingStepEndsIt) {
    RecorderHarness h;
    ASSERT_EQ(h.start(), OKAY);
    std::vector<int> steps;
    h.app.onTimerStep = [&](int step) { steps.push_back(step); };
    ASSERT_TRUE(h.pumpUntil([&] { return steps.size() >= 8; }, 2000));
    EXPECT_EQ(std::vector<int>(steps.begin(), steps.begin() + 8), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));

    // Without its list, step 4 fails: the tick reports and ends there.
    ReportRecorder reports;
    auto list = std::move(h.app.owned.listCtrl);
    steps.clear();
    ASSERT_EQ(recorderTimer(h.app), NOT_OKAY);
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_TRUE(reports.reported("./recorderSongList"));
    EXPECT_TRUE(reports.reported("./recorderTimer"));
    h.app.owned.listCtrl = std::move(list);
    reports.clear();
    steps.clear();
    ASSERT_EQ(recorderTimer(h.app), OKAY);  // the next tick runs normally
    EXPECT_EQ(steps.size(), 8u);
}

TEST(recorderApp, RecordModeFallsBackToPlaybackModeWithoutACaptureDevice) {
    RecorderHarness h;  // a computer without outputs
    ASSERT_EQ(h.start(), OKAY);
    EXPECT_FALSE(h.app.modes.recordMode);
    ASSERT_EQ(recorderSetRecordMode(h.app, true), OKAY);
    EXPECT_FALSE(h.app.modes.recordMode);
    EXPECT_EQ(h.app.owned.engine->record.recordArmed.load(), 0);
    ASSERT_EQ(recorderSetRecordMode(h.app, false), OKAY);
    EXPECT_FALSE(h.app.modes.recordMode);
}

TEST(recorderApp, AutoSegmentIsStoredAndHandedToTheEngineAndHideShortIsNot) {
    RecorderHarness h;
    ASSERT_EQ(h.start(), OKAY);
    EXPECT_EQ(h.app.owned.engine->record.autoSegment.load(), 1);
    ASSERT_EQ(recorderSetAutoSegment(h.app, false), OKAY);
    EXPECT_EQ(h.app.owned.engine->record.autoSegment.load(), 0);
    EXPECT_EQ(recorderTestSessionValue("auto_segment"), "0");
    ASSERT_EQ(recorderSetHideShort(h.app, true), OKAY);
    EXPECT_TRUE(h.app.modes.hideShort);
    EXPECT_EQ(recorderTestSessionValue("hide_short"), "<missing>");
}

TEST(operatingSystemSounds, SilenceRestoreAndRepair) {
    testsupport::TempHome home;
    const std::string session = RECORDER_SESSION_KEY;
    struct Case {
        const char* name;
        int action;
        const char* savedBefore;    // nullptr: no current_system_sound
        const char* currentBefore;  // nullptr: no default sound key
        const char* savedAfter;
        const char* currentAfter;
    } cases[] = {
        {"silence saves the sound", 2, "restored", "/snd/ding.wav", "/snd/ding.wav", ""},
        {"silence on a fresh profile", 2, nullptr, "/snd/ding.wav  ", "/snd/ding.wav", ""},
        {"silence keeps an older saved sound", 2, "/snd/old.wav", "/snd/new.wav", "/snd/old.wav", ""},
        {"restore writes the saved sound back", 3, "/snd/ding.wav", "", "restored", "/snd/ding.wav"},
        {"restore replaces a sound chosen meanwhile", 3, "/snd/ding.wav", "/snd/mine.wav", "restored",
         "/snd/ding.wav"},
        {"restore with nothing saved keeps the sound", 3, "restored", "/snd/mine.wav", "restored",
         "/snd/mine.wav"},
        {"repair after a kill", 1, "/snd/ding.wav", "", "restored", "/snd/ding.wav"},
        {"repair leaves a sound that is set", 1, "/snd/ding.wav", "/snd/mine.wav", "/snd/ding.wav",
         "/snd/mine.wav"},
        {"repair after a clean end", 1, "restored", "", "restored", ""},
        {"no default sound key: nothing", 2, "restored", nullptr, "restored", "<missing>"},
        {"other action: nothing", 4, "/snd/ding.wav", "", "/snd/ding.wav", ""},
    };
    for (const Case& c : cases) {
        testsupport::TempHome fresh;
        if (c.savedBefore) {
            ASSERT_EQ(recorderSessionSetCurrentSystemSound(c.savedBefore), OKAY);
        }
        if (c.currentBefore) writeCurrentSound(c.currentBefore);
        ASSERT_EQ(operatingSystemSounds(c.action, session), OKAY) << c.name;
        EXPECT_EQ(recorderTestSessionValue("current_system_sound"), c.savedAfter) << c.name;
        EXPECT_EQ(currentSound(), c.currentAfter) << c.name;
    }
}

TEST(recorderApp, AStartAfterAKillWhileRecordingPutsTheSystemSoundBack) {
    RecorderHarness h;
    ASSERT_EQ(recorderSessionSetCurrentSystemSound("/usr/share/sounds/ding.wav"), OKAY);
    writeCurrentSound("");
    ASSERT_EQ(h.start(), OKAY);
    EXPECT_EQ(currentSound(), "/usr/share/sounds/ding.wav");
    EXPECT_EQ(recorderTestSessionValue("current_system_sound"), "restored");
    EXPECT_FALSE(h.app.modes.soundSilenced);
}

struct ListTest : ::testing::Test {
    void SetUp() override {
        ASSERT_EQ(h.start(), OKAY);
        ASSERT_TRUE(h.app.owned.listCtrl);
    }
    RecorderHarness h;
    RecorderApp& app = h.app;
};

TEST_F(ListTest, HideShortHidesTracksUpToTheLimitInWholeSeconds) {
    const long now = static_cast<long>(std::time(nullptr));
    addTrack(app, now - 500, 30999, "Short");
    addTrack(app, now - 400, 31000, "Long");
    ASSERT_EQ(recorderSessionSetMaxShortFileDuration(30), OKAY);
    ASSERT_EQ(recorderSongListFill(app), OKAY);
    EXPECT_EQ(rowTexts(app, 0), (std::vector<std::string>{"Short", "Long"}));
    EXPECT_EQ(rowTexts(app, 1), (std::vector<std::string>{"0:30", "0:31"}));
    ASSERT_EQ(recorderSetHideShort(app, true), OKAY);
    ASSERT_EQ(recorderSongListFill(app), OKAY);
    EXPECT_EQ(rowTexts(app, 0), std::vector<std::string>{"Long"});
    ASSERT_EQ(recorderSetHideShort(app, false), OKAY);
    ASSERT_EQ(recorderSongListFill(app), OKAY);
    EXPECT_EQ(rowTexts(app, 0).size(), 2u);
}

TEST_F(ListTest, TrackNamesAndDurations) {
    const long now = static_cast<long>(std::time(nullptr));
    addTrack(app, now - 2 * 86400, 3723000);
    addTrack(app, now, 123000);
    addTrack(app, now, 5000, "Song", "Artist");
    addTrack(app, now, 5000, "Title only");
    ASSERT_EQ(recorderSongListFill(app), OKAY);
    std::string earlier, today;
    ASSERT_EQ(PtimeText(now - 2 * 86400, "", false, earlier), OKAY);
    ASSERT_EQ(PtimeText(now, "Today", false, today), OKAY);
    EXPECT_TRUE(today.ends_with(" - Today")) << today;
    EXPECT_FALSE(earlier.ends_with("Today")) << earlier;
    EXPECT_EQ(rowTexts(app, 0), (std::vector<std::string>{earlier, today, "Song - Artist", "Title only"}));
    EXPECT_EQ(rowTexts(app, 1), (std::vector<std::string>{"1:02:03", "2:03", "0:05", "0:05"}));
}

TEST_F(ListTest, TheRecordingRowShowsAtTheBottomWhileRecordingAndTheTrackAfterwards) {
    const long now = static_cast<long>(std::time(nullptr));
    addTrack(app, now - 100, 60000, "Older");
    // The engine's state as the record thread leaves it while a recording runs.
    app.owned.engine->record.recording = 1;
    app.owned.engine->record.recordIndicator = 1;
    ASSERT_EQ(recorderTimer(app), OKAY);
    EXPECT_EQ(rowTexts(app, 0), (std::vector<std::string>{"Older", "Recording in Progress"}));
    EXPECT_EQ(rowTexts(app, 1), (std::vector<std::string>{"1:00", "..."}));
    long data = 0;
    ASSERT_EQ(ptListViewGetItemData(app.owned.listCtrl.get(), 1, data), OKAY);
    EXPECT_EQ(data, 2147483647);

    // The recording ends and is kept: the next tick takes it into cache.db.
    const std::string name = std::to_string(now - 20) + "_20000_777";
    std::ofstream(cacheFolder() + "/" + name + ".tmp") << "audio";
    app.owned.engine->record.lastRecording.store(
        std::make_shared<const sndDevicesKeptRecording>(sndDevicesKeptRecording{name + ".tmp", 1}));
    app.owned.engine->record.recordIndicator = 0;
    app.owned.engine->record.recording = 0;
    ASSERT_EQ(recorderTimer(app), OKAY);
    EXPECT_EQ(rowTexts(app, 1), (std::vector<std::string>{"1:00", "0:20"}));
    std::vector<int> ids;
    ASSERT_EQ(recCacheGetIds(app.owned.cacheDb.get(), kRecCacheMaxIds, ids), OKAY);
    EXPECT_EQ(ids.size(), 2u);
    ASSERT_EQ(recorderTimer(app), OKAY);  // the same name is not taken twice
    ASSERT_EQ(recCacheGetIds(app.owned.cacheDb.get(), kRecCacheMaxIds, ids), OKAY);
    EXPECT_EQ(ids.size(), 2u);
}

TEST_F(ListTest, DeletingTheLastRowSelectsTheNewLastRow) {
    const long now = static_cast<long>(std::time(nullptr));
    addTrack(app, now - 30, 40000, "A");
    addTrack(app, now - 20, 40000, "B");
    addTrack(app, now - 10, 40000, "C");
    ASSERT_EQ(recorderSongListFill(app), OKAY);
    ASSERT_EQ(ptListViewSelect(app.owned.listCtrl.get(), 2, true), OKAY);
    ASSERT_EQ(recorderSongListDelete(app), OKAY);
    EXPECT_EQ(rowTexts(app, 0), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(selectedRows(app), std::vector<int>{1});
    EXPECT_FALSE(fs::exists(cacheFolder() + "/" + std::to_string(now - 10) + "_40000_12345.tmp"));
    EXPECT_TRUE(fs::exists(cacheFolder() + "/" + std::to_string(now - 20) + "_40000_12345.tmp"));

    // A single row in the middle: the row that takes its place is selected.
    addTrack(app, now - 5, 40000, "D");
    ASSERT_EQ(recorderSongListFill(app), OKAY);
    ASSERT_EQ(ptListViewClearSelection(app.owned.listCtrl.get()), OKAY);
    ASSERT_EQ(ptListViewSelect(app.owned.listCtrl.get(), 1, true), OKAY);
    ASSERT_EQ(recorderSongListDelete(app), OKAY);
    EXPECT_EQ(rowTexts(app, 0), (std::vector<std::string>{"A", "D"}));
    EXPECT_EQ(selectedRows(app), std::vector<int>{1});
    EXPECT_TRUE(h.dialog.texts.empty());
}

TEST_F(ListTest, TwoTracksAndTheRecordingRowAreDeletedWithoutAMessage) {
    const long now = static_cast<long>(std::time(nullptr));
    addTrack(app, now - 30, 40000, "A");
    addTrack(app, now - 20, 40000, "B");
    app.owned.engine->record.recording = 1;
    app.owned.engine->record.recordIndicator = 1;
    ASSERT_EQ(recorderSongListFill(app), OKAY);
    ASSERT_EQ(rowTexts(app, 0).size(), 3u);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(ptListViewSelect(app.owned.listCtrl.get(), i, false), OKAY);
    ASSERT_EQ(recorderSongListDelete(app), OKAY);
    EXPECT_TRUE(h.dialog.texts.empty());
    EXPECT_EQ(rowTexts(app, 0), std::vector<std::string>{"Recording in Progress"});
    std::vector<int> ids;
    ASSERT_EQ(recCacheGetIds(app.owned.cacheDb.get(), kRecCacheMaxIds, ids), OKAY);
    EXPECT_TRUE(ids.empty());

    // The recording row alone, and nothing at all, are answered with messages.
    ASSERT_EQ(ptListViewSelect(app.owned.listCtrl.get(), 0, false), OKAY);
    ASSERT_EQ(recorderSongListDelete(app), OKAY);
    ASSERT_EQ(ptListViewClearSelection(app.owned.listCtrl.get()), OKAY);
    ASSERT_EQ(recorderSongListDelete(app), OKAY);
    EXPECT_EQ(h.dialog.texts, (std::vector<std::string>{"You may not delete the currently recording track.",
                                                        "You must select a track to delete."}));
    app.owned.engine->record.recording = 0;
    app.owned.engine->record.recordIndicator = 0;
}

TEST_F(ListTest, SelectedTrackQueries) {
    const long now = static_cast<long>(std::time(nullptr));
    const int a = addTrack(app, now - 30, 40000, "A");
    const int b = addTrack(app, now - 20, 40000, "B");
    ASSERT_EQ(recorderSongListFill(app), OKAY);
    bool found = true;
    int id = 0;
    std::string base = "x";
    ASSERT_EQ(recorderSongListGetSelectedTrack(app, found, id, base), OKAY);
    EXPECT_FALSE(found);
    EXPECT_EQ(id, -100);
    ASSERT_EQ(ptListViewSelect(app.owned.listCtrl.get(), 0, false), OKAY);
    ASSERT_EQ(ptListViewSelect(app.owned.listCtrl.get(), 1, false), OKAY);
    ASSERT_EQ(recorderSongListGetSelectedTrack(app, found, id, base), OKAY);
    EXPECT_TRUE(found);
    EXPECT_EQ(id, a);
    EXPECT_EQ(base, std::to_string(now - 30) + "_40000_12345");
    bool selected = false;
    ASSERT_EQ(recorderSongListIsSelected(app, b, selected), OKAY);
    EXPECT_TRUE(selected);
    ASSERT_EQ(recorderSongListKeepFirstSelected(app), OKAY);
    EXPECT_EQ(selectedRows(app), std::vector<int>{0});
    // The selection survives a rebuild.
    ASSERT_EQ(recorderSongListFill(app), OKAY);
    EXPECT_EQ(selectedRows(app), std::vector<int>{0});
}

TEST_F(ListTest, TheRowMenuOffersRenameDeleteAndSaveAndDeletes) {
    const long now = static_cast<long>(std::time(nullptr));
    addTrack(app, now - 30, 40000, "A");
    addTrack(app, now - 20, 40000, "B");
    ASSERT_EQ(recorderSongListFill(app), OKAY);
    ASSERT_EQ(ptListViewSelect(app.owned.listCtrl.get(), 0, false), OKAY);

    QStringList entries;
    QTimer::singleShot(50, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* a : menu->actions()) entries << a->text();
        menu->setActiveAction(menu->actions().value(1));
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QTimer::singleShot(3000, [] {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
    // A right-click on the first row, as the control reports it.
    const QPoint row = app.owned.listView->visualItemRect(app.owned.listView->topLevelItem(0)).center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, row, app.owned.listView->viewport()->mapToGlobal(row));
    QApplication::sendEvent(app.owned.listView->viewport(), &click);
    EXPECT_EQ(entries, (QStringList{"Rename...", "Delete...", "Save..."}));
    EXPECT_EQ(rowTexts(app, 0), std::vector<std::string>{"B"});

    // On empty space there is no menu.
    entries.clear();
    const QPoint below(5, app.owned.listView->viewport()->height() - 5);
    QContextMenuEvent empty(QContextMenuEvent::Mouse, below,
                            app.owned.listView->viewport()->mapToGlobal(below));
    QApplication::sendEvent(app.owned.listView->viewport(), &empty);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST(recorderApp, PagesOpenInTheBrowserAndAnythingElseIsAnInternalError) {
    RecorderHarness h;
    ReportRecorder reports;
    EXPECT_EQ(recorderMainWindowOpenPage(h.app, "https://example.org/fromPlayer/redirect/?directive=logo"),
              OKAY);
    EXPECT_EQ(h.browser.addresses,
              std::vector<std::string>{"https://example.org/fromPlayer/redirect/?directive=logo"});
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_EQ(recorderMainWindowOpenPage(h.app, ""), NOT_OKAY);
    EXPECT_EQ(recorderMainWindowOpenPage(h.app, "--help"), NOT_OKAY);
    EXPECT_EQ(h.browser.addresses.size(), 1u);
    EXPECT_TRUE(reports.reported("./recorderInit"));
}

// Finds a point of the skin's background: no hotspot, no knob, not the list.
bool backgroundPoint(RecorderApp& app, QPoint& out) {
    const QRect list = app.owned.listView->geometry();
    for (int y = 2; y < app.window.mainWindow->height(); y += 3)
        for (int x = 2; x < app.window.mainWindow->width(); x += 3) {
            int hot = -1, knob = -1;
            skinHotspotHitTest(app.owned.skin.get(), x, y, hot);
            skinSliderHitTest(app.owned.skin.get(), x, y, knob);
            if (hot == -1 && knob == -1 && !list.contains(x, y)) {
                out = QPoint(x, y);
                return true;
            }
        }
    return false;
}

void drag(QWidget* w, QPoint from, QPoint by) {
    const QPoint global = w->mapToGlobal(from);
    QMouseEvent press(QEvent::MouseButtonPress, from, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent move(QEvent::MouseMove, from + by, global + by, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, from + by, global + by, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

TEST(recorderApp, DraggingTheSkinBackgroundMovesTheWindowButAButtonDoesNot) {
    RecorderHarness h;
    ASSERT_EQ(recorderSessionSetWindowPosition(50, 60), OKAY);
    ASSERT_EQ(h.start(), OKAY);
    RecorderMainWindow* w = h.app.window.mainWindow;
    ASSERT_EQ(w->pos(), QPoint(50, 60));
    QPoint background;
    ASSERT_TRUE(backgroundPoint(h.app, background));
    drag(w, background, QPoint(30, 20));
    EXPECT_EQ(w->pos(), QPoint(80, 80));
    EXPECT_FALSE(h.app.window.movingWindow);

    int enabled = 0, left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(skinHotspotGet(h.app.owned.skin.get(), kSkinHotDelete, enabled, left, top, right, bottom),
              OKAY);
    ASSERT_TRUE(enabled);
    drag(w, QPoint((left + right) / 2, (top + bottom) / 2), QPoint(30, 20));
    EXPECT_EQ(w->pos(), QPoint(80, 80));
}

}  // namespace
