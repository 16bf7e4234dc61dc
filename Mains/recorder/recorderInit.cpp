// Start-up (recorderInit) and shutdown (recorderShutdown) of the running
// recorder, the audio engine start, the close request and opening pages.
//
// Start-up brings the subsystems up in a fixed order: tracing, settings and
// folders, the web connection, the cache database, the track list, the main
// skin, the tooltip, the audio engine, the saved volume, the list's contents,
// the window position, the web side jobs and, last, the timer. Shutdown takes
// them down in reverse, the engine first, so that no engine thread outlives
// what it uses. Every release clears its field, so a second shutdown (which
// follows a failed start-up) releases nothing twice.
#include "recorderInit.h"

#include <QApplication>
#include <QDesktopServices>
#include <QScreen>
#include <QThread>
#include <QToolTip>
#include <QUrl>
#include <ctime>

#include "CSlout.h"
#include "File.h"
#include "browser.h"
#include "hwnd.h"
#include "instanceLock.h"
#include "knownFolders.h"
#include "operatingSystem.h"
#include "ptListView.h"
#include "recCache.h"
#include "recorderApp.h"
#include "recorderDialogLook.h"
#include "recorderDlgClearOnExit.h"
#include "recorderDlgFindSongs.h"
#include "recorderDlgMsgModal.h"
#include "recorderDlgMsgModeless.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderPaths.h"
#include "recorderPlayerNaming.h"
#include "recorderSeams.h"
#include "recorderSession.h"
#include "recorderSkinLook.h"
#include "recorderSongList.h"
#include "recorderSystemSounds.h"
#include "recorderTimer.h"
#include "recorderUndoDelete.h"
#include "recorderWeb.h"
#include "report.h"
#include "skin.h"
#include "sndDevicesEngine.h"
#include "sndDevicesNames.h"
#include "sndDevicesPlay.h"

static constexpr const char* kReportModule = "./recorderInit";

// The message of string 1010.
static constexpr const char* kMsgNeedsNewerSystem =
    "Tobrel requires a Windows Vista or higher Operating System.";

RecorderApp::RecorderApp() = default;
RecorderApp::~RecorderApp() {
    // Reports must not reach a trace sink that goes with this record.
    if (owned.trace) recorderReportToTrace(nullptr);
}

void recorderAppReset(RecorderApp& app) {
    // The web jobs' threads write to the trace sink: they end before it goes.
    recorderWebReset(app);
    if (app.owned.trace) recorderReportToTrace(nullptr);
    app.owned = RecorderOwned{};
    app.modes = RecorderModes{};
    app.transport = RecorderTransportState{};
    const QPointer<RecorderMainWindow> mainWindow = app.window.mainWindow;
    app.window = RecorderWindowState{};
    app.window.mainWindow = mainWindow;
    app.list = RecorderListState{};
    app.itunes = RecorderItunesState{};
    app.faults = RecorderFaultsState{};
    recorderFindSongsStateReset(app.findSongs);
    app.playerNaming = RecorderPlayerNamingState{};
    app.save = RecorderSaveState{};
    app.undo = RecorderUndoState{};
}

uint16_t recorderScrambleKey(const RecorderApp& app) { return app.modes.scramble ? kSndScrambleKey : 0; }

namespace {

void traceLine(RecorderApp& app, const char* text) {
    if (app.owned.trace) app.owned.trace->messageW(1, text);
}

// Makes a folder of the program exist, creating every missing level.
int ensureFolder(RecorderApp& app, int id, std::string& path) {
    REPORT_CHECK(recorderPaths(id, path));
    bool created = false;
    REPORT_CHECK(FileCreateFolderPath(path, app.owned.trace.get(), created));
    if (!created) return REPORT_ERR();
    return OKAY;
}

// Step 15: the saved position, or the centre of the screen's work area when
// the window would not lie wholly inside it there.
int placeWindow(RecorderApp& app) {
    RecorderMainWindow* w = app.window.mainWindow;
    if (!w) return REPORT_ERR();
    int x = -1, y = -1;
    REPORT_CHECK(recorderSessionGetWindowPosition(x, y));
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return REPORT_ERR();
    const QRect area = screen->availableGeometry();
    const QRect frame = w->frameGeometry();
    // Work in the area's own coordinates, whose origin may be off the screen's.
    const hwndRect window{frame.left() - area.left(), frame.top() - area.top(),
                          frame.left() - area.left() + frame.width(),
                          frame.top() - area.top() + frame.height()};
    const bool onScreen = x >= area.left() && y >= area.top();
    const hwndRect placed = hwndPlaceAt(window, onScreen ? x - area.left() : -1,
                                        onScreen ? y - area.top() : -1, area.width(), area.height());
    w->move(placed.left + area.left(), placed.top + area.top());
    w->showNormal();
    w->raise();
    w->activateWindow();
    return OKAY;
}

int steps(RecorderApp& app, int& success) {
    // 0. A fresh state record.
    recorderAppReset(app);

    // 1. Tracing is on when "trace_on.txt" lies in the documents folder.
    std::string documents;
    REPORT_CHECK(recorderPaths(RECORDER_PATH_DOCUMENTS, documents));
    app.modes.verbose = FileExists(documents + "/trace_on.txt");

    // 2. The trace sink.
    REPORT_CHECK(sloutCreate(app.modes.verbose, documents, app.services.dialog, app.owned.trace));
    recorderReportToTrace(app.owned.trace.get());

    // 3.
    traceLine(app, "recorderInit: Initializing");

    // 4. The system must be new enough; on an older one, with tracing on, the
    // start goes on without an engine (and fails at the volume step).
    int flags = 0, processors = 0;
    REPORT_CHECK(operatingSystemVersionFlags(flags, processors));
    if (flags & OS_FLAG_BEFORE_6) {
        if (!app.modes.verbose) {
            recorderMessageBox(kMsgNeedsNewerSystem, kRecorderTitle);
            return NOT_OKAY;
        }
        app.modes.engineless = true;
    }

    // 5. The Temp folder. The machine-wide data folder is only noted: nothing
    // the program keeps lies there.
    std::string folder;
    bool commonFound = false;
    REPORT_CHECK(knownFolderFindCommonAppData(folder, commonFound));
    if (!commonFound)
        traceLine(app,
                  "recorderInit: No folder of XDG_DATA_DIRS exists; going on without the machine-wide "
                  "data folder");
    REPORT_CHECK(ensureFolder(app, RECORDER_PATH_TEMP, folder));

    // 6. First run since installation?
    bool installedPresent = false, lastUsedPresent = false;
    long installed = 0, lastUsed = 0;
    REPORT_CHECK(recorderSessionGetDateInstalled(installedPresent, installed));
    REPORT_CHECK(recorderSessionGetDateLastUsed(lastUsedPresent, lastUsed));
    REPORT_CHECK(recorderSessionSetDateLastUsed(static_cast<long>(std::time(nullptr))));
    app.modes.firstRun = recorderSessionIsFirstRun(installedPresent, installed, lastUsedPresent, lastUsed);

    // 7.
    app.modes.scramble = true;
    app.window.recordFlashFrame = kSkinIndicatorFrame1;
    app.window.mainWindow->setWindowTitle(kRecorderTitle);

    // 8. The common controls need no initialising here.
    traceLine(app, "recorderInit: Calling recorderInitCommonCtls");

    // 9.
    traceLine(app, "recorderInit: Calling recorderInitWeb");
    REPORT_CHECK(recorderInitWeb(app));

    // 10. Record mode, the cache database, the track list and the main skin.
    traceLine(app, "recorderInit: Calling recorderInitMainSkin");
    app.modes.recordMode = true;
    app.transport.playing = false;
    app.transport.loaded = false;
    app.transport.recordSuspended = false;
    REPORT_CHECK(ensureFolder(app, RECORDER_PATH_CACHE, folder));
    REPORT_CHECK(recCacheInit(folder, kSndTempBaseName, sndDevicesAudioExtension(recorderScrambleKey(app)),
                              false, app.owned.trace.get(), app.owned.cacheDb));
    // Tracks whose rows were never written (a full disk) are listed again, and
    // rows whose audio is gone go.
    int added = 0, removed = 0;
    REPORT_CHECK(recCacheReconcile(app.owned.cacheDb.get(), added, removed));
    if (added + removed > 0)
        traceLine(app, ("recorderInit: The list was brought in line with the cache folder: " +
                        std::to_string(added) + " added, " + std::to_string(removed) + " removed")
                           .c_str());
    app.transport.playingTrack = kRecorderNoTrack;
    REPORT_CHECK(recorderSongListCreate(app));
    std::string skins;
    REPORT_CHECK(recorderSkinsFolder(app, skins));
    RecorderMainSkinHooks hooks;
    hooks.applyToTrackList = [&app](Skin& skin) { return recorderSongListApplySkin(app, skin); };
    hooks.sizeWindow = [&app](int width, int height) {
        if (!app.window.mainWindow || width <= 0 || height <= 0) return NOT_OKAY;
        app.window.mainWindow->setFixedSize(width, height);
        return OKAY;
    };
    REPORT_CHECK(
        recorderInitMainSkin(skins, app.owned.trace.get(), app.services.dialog, hooks, app.owned.skin));
    if (app.owned.skin) {
        // The focus ring in the accent of the look every other window takes.
        RecorderSkinLook look;
        REPORT_CHECK(recorderSkinLookFromSkin(app.owned.skin.get(), look));
        REPORT_CHECK(skinFocusSetColour(app.owned.skin.get(), look.accent.red(), look.accent.green(),
                                        look.accent.blue()));
        // Tooltips in the look, as every box.
        QToolTip::setPalette(recorderSkinLookPalette(look));
    }

    // 11.
    traceLine(app, "recorderInit: Calling recorderCreateTooltips");
    REPORT_CHECK(recorderCreateTooltips(app));

    // 12. The engine, the saved volume and the mode displays.
    traceLine(app, "recorderInit: Calling recorderUpdateMainModeDisplays");
    REPORT_CHECK(ensureFolder(app, RECORDER_PATH_AUTOCOMPLETE, folder));
    if (!app.modes.engineless) REPORT_CHECK(recorderSndServer(app));
    double volume = 1.0;
    REPORT_CHECK(recorderSessionGetVolume(volume));
    if (!app.owned.engine) return REPORT_ERR();
    REPORT_CHECK(sndDevicesPlaySetGain(*app.owned.engine, static_cast<float>(volume)));
    if (app.owned.skin)
        REPORT_CHECK(skinSliderSetValue(app.owned.skin.get(), app.window.mainWindow, kSkinSliderVolume,
                                        static_cast<float>(volume)));
    REPORT_CHECK(recorderUpdateMainModeDisplays(app));

    // 13. A default sound an earlier run left silenced comes back.
    app.modes.soundSilenced = false;
    REPORT_CHECK(operatingSystemSounds(kSystemSoundRepair, RECORDER_SESSION_KEY));

    // 14.
    REPORT_CHECK(recorderSongListFill(app));

    // 15. The window appears where it was.
    REPORT_CHECK(placeWindow(app));

    // 16.
    app.modes.savePosition = true;
    traceLine(app, "recorderInit: Calling recorderInitTimer");

    // 17 to 19. The web side jobs.
    if (app.modes.firstRun) REPORT_CHECK(recorderWebInstallerEmail(app));
    REPORT_CHECK(recorderWebDynamicUpdateCheck(app));
    REPORT_CHECK(recorderWebStartupMessages(app));

    // 20. The main timer (there is nothing to poll without an engine), and
    // the media players that name the recordings, when there is a session bus.
    if (!app.modes.engineless) REPORT_CHECK(recorderInitTimer(app));
    REPORT_CHECK(recorderPlayerNamingStart(app));

    // 21.
    traceLine(app, "recorderInit: Success");
    success = 1;
    return OKAY;
}

}  // namespace

int recorderInit(RecorderApp& app, int& success) {
    success = 0;
    if (!app.window.mainWindow) return REPORT_ERR();
    if (steps(app, success) != OKAY) {
        success = 0;
        recorderShutdown(app);
        return OKAY;
    }
    return OKAY;
}

int recorderSndServer(RecorderApp& app) {
    // 1. The engine on this computer's outputs.
    app.engineRecord = std::make_unique<sndDevicesContext>();
    app.engineRecord->devices = app.services.audioDevices;
    app.owned.engine = app.engineRecord.get();
    REPORT_CHECK(sndDevicesInit(*app.owned.engine, app.owned.trace.get(), kRecorderEngineMode,
                                app.modes.verbose ? 1 : 0));
    // 2. Encoder settings, keeping the pre-encoded files.
    int channels = 2, kbps = 256;
    REPORT_CHECK(recorderSessionGetNumChannels(channels));
    REPORT_CHECK(recorderSessionGetNumKbps(kbps));
    REPORT_CHECK(sndDevicesSetMp3Settings(*app.owned.engine, kbps, channels == 1 ? 1 : 0, 0));
    // 3. The cache folder.
    std::string cache;
    REPORT_CHECK(ensureFolder(app, RECORDER_PATH_CACHE, cache));
    REPORT_CHECK(sndDevicesSetCacheFolder(*app.owned.engine, cache));
    // Tracks an earlier run deleted and held, if it ended without its shutdown.
    REPORT_CHECK(recorderUndoDeleteStartUp(app));
    // 4. The scramble key.
    REPORT_CHECK(sndDevicesSetScrambleKey(*app.owned.engine, recorderScrambleKey(app)));
    // 5. Record mode.
    REPORT_CHECK(recorderSetRecordMode(app, true));
    // 6. Auto segment as stored.
    bool autoSegment = true;
    REPORT_CHECK(recorderSessionGetAutoSegment(autoSegment));
    REPORT_CHECK(sndDevicesSetAutoSegment(*app.owned.engine, autoSegment ? 1 : 0));
    return OKAY;
}

int recorderShutdown(RecorderApp& app) {
    // Every step runs whatever failed before it: the close request always
    // ends the program. A failure is reported and the result says so.
    int result = OKAY;
    // 1. Nothing drives the recording any more: no tick, no media player.
    recorderKillTimer(app);
    if (recorderPlayerNamingStop(app) != OKAY) result = REPORT_ERR();

    // The deleted tracks go for good (while the engine, which deletes them, runs).
    if (recorderUndoDeleteForget(app) != OKAY) result = REPORT_ERR();

    // 2. The engine's threads stop before anything they use is released.
    if (app.owned.engine) {
        if (sndDevicesShutdown(*app.owned.engine) != OKAY) result = REPORT_ERR();
        app.owned.engine = nullptr;
    }

    // 3.
    if (app.modes.soundSilenced) {
        if (operatingSystemSounds(kSystemSoundRestore, RECORDER_SESSION_KEY) != OKAY) result = REPORT_ERR();
        app.modes.soundSilenced = false;
    }

    // 4.
    if (app.modes.savePosition && app.window.mainWindow) {
        const QPoint at = app.window.mainWindow->pos();
        if (recorderSessionSetWindowPosition(at.x(), at.y()) != OKAY) result = REPORT_ERR();
        app.modes.savePosition = false;
    }

    // 5 to 7. Web features and their windows.
    if (app.web.modelessMsg && recorderDlgMsgModelessClose(app) != OKAY) result = REPORT_ERR();
    if (app.findSongs.wizard && recorderDlgFindSongsClose(app) != OKAY) result = REPORT_ERR();
    if (recorderWebOpen(app) && recorderCloseWeb(app) != OKAY) result = REPORT_ERR();

    // 8 to 11.
    if (app.owned.skin) skinFree(app.owned.skin);
    if ((app.owned.listCtrl || app.owned.listView) && recorderSongListFree(app) != OKAY)
        result = REPORT_ERR();
    if (app.owned.tooltip) {
        delete app.owned.tooltip.data();
        app.owned.tooltip = nullptr;
    }
    if (app.owned.cacheDb && recCacheClose(app.owned.cacheDb) != OKAY) result = REPORT_ERR();

    // 12.
    recorderReportToTrace(nullptr);
    app.owned.trace.reset();

    // 13. The window goes, and the event loop ends once it gets to the request.
    // Only a running loop is asked to end: Qt remembers a quit made outside
    // any loop and would end every later loop at once, dialogs included.
    if (app.window.mainWindow) app.window.mainWindow->hide();
    if (QCoreApplication* core = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            core,
            [] {
                if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
            },
            Qt::QueuedConnection);
    return result;
}

int recorderSkinsFolder(RecorderApp& app, std::string& folder) {
    if (!app.services.skinsFolderOverride.empty()) {
        folder = app.services.skinsFolderOverride;
        return OKAY;
    }
    REPORT_CHECK(recorderPaths(RECORDER_PATH_SKINS, folder));
    return OKAY;
}

int recorderAskClearOnExit(RecorderApp& app) {
    bool clearOnExit = true, removeAfterSave = true;
    REPORT_CHECK(recorderSessionGetClearOnExit(clearOnExit));
    REPORT_CHECK(recorderSessionGetRemoveAfterSave(removeAfterSave));
    if (clearOnExit && removeAfterSave) REPORT_CHECK(recorderDlgClearOnExit(app));
    return OKAY;
}

int recorderMainWindowOpenPage(RecorderApp& app, std::string_view address) {
    if (address.empty()) return REPORT_ERR();
    if (app.services.browser && app.services.browser->open(address) == OKAY) return OKAY;
    // The desktop's own way of opening pages, as a second try; the failure of
    // the first is still reported.
    if (browserAddressAllowed(address))
        QDesktopServices::openUrl(
            QUrl(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size()))));
    return REPORT_ERR();
}

int recorderProcessStart(RecorderApp& app, InstanceLock& lock, InstanceLock& cacheLock, bool& refused) {
    refused = false;
    // Boxes shown before the main window exists look like the ones after.
    std::string skins;
    REPORT_CHECK(recorderSkinsFolder(app, skins));
    recorderDialogLookStart(skins);
    bool alreadyRunning = false;
    REPORT_CHECK(instanceLockAcquire(instanceLockFolder(), lock, alreadyRunning));
    if (!alreadyRunning) {
        // The cache folder's lock. A folder that cannot be made here is left
        // to the start-up, which says so; the machine-wide lock still guards.
        std::string cache;
        bool created = false;
        REPORT_CHECK(recorderPaths(RECORDER_PATH_CACHE, cache));
        REPORT_CHECK(FileCreateFolderPath(cache, nullptr, created));
        if (created) REPORT_CHECK(instanceLockAcquire(cache, cacheLock, alreadyRunning));
        if (alreadyRunning) lock.release();
    }
    if (alreadyRunning) {
        refused = true;
        recorderMessageBox(kMsgAlreadyRunning, kMsgCaption);
        return OKAY;
    }
    REPORT_CHECK(recorderCreateMainWindow(app));
    return OKAY;
}
