// The YouTube Wizard: its dialog, the page's messages, the song starts that
// cut and name the recordings, and the naming queue. See recorderDlgFindSongs.h.
//
// The dialog is owned by the main window and stays beside it. Once its page
// has loaded, closing only hides it (with the page and its player kept for
// the next open); before that, closing removes it. While it is on screen the
// recording switches the user had are put aside and the page drives them;
// hiding the wizard gives them back.
#include "recorderDlgFindSongs.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <ctime>

#include "CSlout.h"
#include "recorderApp.h"
#include "recorderDlgMsgModal.h"
#include "recorderMainDisplay.h"
#include "recorderMainInput.h"
#include "recorderMainWindow.h"
#include "recorderPlayerNaming.h"
#include "recorderSeams.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "recorderTimer.h"
#include "recorderTransport.h"
#include "report.h"
#include "sdkWebBrowser.h"

static constexpr const char* kReportModule = "./wizard/recorderDlgFindSongs";

namespace {

constexpr const char* kHandle = "recorderDlgFindSongsHandleBrowserMessage(): ";
constexpr const char* kSongStarted = "recorderDlgFindSongsBrowserSongStarted(): ";
// The save of every track the wizard named.
constexpr int kSaveWizardTracks = 3;

int closeWizard(RecorderApp& app);

// The wizard's window: closing it (its close box, Escape) is the wizard's
// close, never Qt's own.
class FindSongsDialog : public QDialog {
  public:
    FindSongsDialog(RecorderApp& app, QWidget* owner) : QDialog(owner), app_(app) {
        setWindowTitle(kFindSongsTitle);
        setObjectName("findSongsDialog");
        setFont(QFont("Tahoma", 8));
        setModal(false);
        setFixedSize(kFindSongsWidth, kFindSongsHeight);
    }
    void reject() override {
        if (closeWizard(app_) != OKAY) REPORT_ERR();
    }

  private:
    RecorderApp& app_;
};

void trace(RecorderApp& app, const std::string& line) {
    if (app.owned.trace) app.owned.trace->messageW(1, line);
}

long now(const RecorderApp& app) {
    return app.findSongs.clock ? app.findSongs.clock() : static_cast<long>(std::time(nullptr));
}

// The wizard goes to where the main window is and the main window moves to
// its right, the two side by side; a pair that would reach past the screen's
// right edge moves left as a whole.
int placeWindows(RecorderApp& app) {
    QWidget* wizard = app.findSongs.wizard;
    QWidget* main = app.window.mainWindow;
    if (!wizard || !main) return REPORT_ERR();
    const QRect mainFrame = main->frameGeometry();
    const int wizardWidth = wizard->frameGeometry().width();
    int left = mainFrame.left();
    if (QScreen* screen = main->screen() ? main->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const int overflow = left + wizardWidth + mainFrame.width() - (area.right() + 1);
        if (overflow > 0) left = std::max(area.left(), left - overflow);
    }
    wizard->move(left, mainFrame.top());
    main->move(left + wizardWidth, mainFrame.top());
    return OKAY;
}

// The list, or the instructions in its place, and the rows follow the wizard.
int refreshMainWindow(RecorderApp& app) {
    REPORT_CHECK(recorderUpdateMainDisplay(app));
    REPORT_CHECK(recorderSongListFill(app));
    return OKAY;
}

// On creation and on every show after a hide: the windows side by side, the
// user's recording switches put aside and record mode off until a song starts.
int prepareMainWindow(RecorderApp& app) {
    RecorderFindSongsState& s = app.findSongs;
    s.hidden = false;
    s.paused = false;
    REPORT_CHECK(placeWindows(app));
    s.savedRecordMode = app.modes.recordMode;
    REPORT_CHECK(recorderSessionGetAutoSegment(s.savedAutoSegment));
    REPORT_CHECK(recorderSetRecordMode(app, false));
    // The wizard names the recordings now, not the desktop's media players.
    REPORT_CHECK(recorderPlayerNamingRetake(app));
    REPORT_CHECK(refreshMainWindow(app));
    return OKAY;
}

int runPageFunction(RecorderApp& app, const char* name) {
    REPORT_CHECK(sdkWebBrowserRunScript(app.findSongs.browser.get(), name));
    return OKAY;
}

// Hides the wizard and gives the user's recording switches back. Without an
// engine (the shutdown has already closed it) only the stored auto-segment
// setting is given back.
int hideWizard(RecorderApp& app) {
    RecorderFindSongsState& s = app.findSongs;
    QWidget* wizard = s.wizard;
    if (!wizard) return REPORT_ERR();
    // 1.
    wizard->hide();
    if (s.pageLoaded && s.browser) {
        REPORT_CHECK(runPageFunction(app, "stopYouTubePlayback"));
        REPORT_CHECK(runPageFunction(app, "hideFinalStep"));
    }
    // 2. The main window back where the wizard was.
    if (app.window.mainWindow) app.window.mainWindow->move(wizard->frameGeometry().topLeft());
    // 3.
    s.hidden = true;
    // 4.
    if (!app.owned.engine) {
        REPORT_CHECK(recorderSessionSetAutoSegment(s.savedAutoSegment));
        return OKAY;
    }
    REPORT_CHECK(recorderMainNewTrack(app));
    REPORT_CHECK(recorderSetAutoSegment(app, s.savedAutoSegment));
    REPORT_CHECK(recorderSetRecordMode(app, s.savedRecordMode));
    REPORT_CHECK(recorderPlayerNamingRetake(app));  // the media players name them again
    // 5.
    REPORT_CHECK(refreshMainWindow(app));
    return OKAY;
}

// Hides the wizard, frees its page and ends the dialog.
int destroyWizard(RecorderApp& app) {
    RecorderFindSongsState& s = app.findSongs;
    QPointer<QWidget> wizard = s.wizard;
    const int hidden = wizard ? hideWizard(app) : OKAY;
    s.wizardOpen = false;
    s.hidden = false;
    s.wizard = nullptr;
    s.pageLoaded = false;
    s.loadStart = 0;
    REPORT_CHECK(sdkWebBrowserFree(s.browser));
    // The dialog may be what called us (its close box): it goes once control
    // is back in the event loop.
    if (wizard) wizard->deleteLater();
    if (hidden != OKAY) return REPORT_ERR();
    return OKAY;
}

// The dialog's cancel command, its close box included.
int closeWizard(RecorderApp& app) {
    if (app.findSongs.pageLoaded) {
        REPORT_CHECK(hideWizard(app));
    } else {
        REPORT_CHECK(destroyWizard(app));
    }
    return OKAY;
}

int createWizard(RecorderApp& app) {
    RecorderFindSongsState& s = app.findSongs;
    if (!app.window.mainWindow) return REPORT_ERR();
    // 1.
    auto* dialog = new FindSongsDialog(app, app.window.mainWindow);
    s.wizard = dialog;
    s.wizardOpen = true;
    s.pageLoaded = false;
    s.loadStart = 0;
    s.browser.reset();
    // 2, 3. The page fills the dialog.
    if (sdkWebBrowserInit(s.browser, dialog, app.window.mainWindow, kFindSongsHostValue, app.modes.verbose,
                          app.owned.trace.get(), s.viewLibrary) != OKAY ||
        sdkWebBrowserCreate(s.browser.get(), 0, 0, 0, 0) != OKAY ||
        sdkWebBrowserSetSize(s.browser.get(), dialog->width(), dialog->height()) != OKAY) {
        // Nothing to show: the wizard goes again, leaving the switches as they were.
        s.wizardOpen = false;
        s.wizard = nullptr;
        sdkWebBrowserFree(s.browser);
        dialog->deleteLater();
        return REPORT_ERR();
    }
    // 4.
    std::string service;
    REPORT_CHECK(recorderSessionGetWebServiceAddress(service));
    s.loadStart = now(app);
    bool ok = false;
    REPORT_CHECK(sdkWebBrowserNavigate(s.browser.get(), service + kFindSongsPagePath, ok));
    if (!ok) recorderMessageBox("Unable to Load Page", "Test");
    // 5.
    dialog->show();
    REPORT_CHECK(prepareMainWindow(app));
    return OKAY;
}

int showAgain(RecorderApp& app) {
    RecorderFindSongsState& s = app.findSongs;
    s.hidden = false;
    s.wizard->show();
    REPORT_CHECK(prepareMainWindow(app));
    s.wizard->raise();
    REPORT_CHECK(runPageFunction(app, "reset"));
    return OKAY;
}

}  // namespace

void recorderFindSongsStateReset(RecorderFindSongsState& state) {
    state.wizard = nullptr;
    state.wizardOpen = false;
    state.hidden = false;
    state.pageLoaded = false;
    state.loadStart = 0;
    state.paused = false;
    state.savedRecordMode = false;
    state.savedAutoSegment = false;
    state.browser.reset();
    state.namingQueue = {};
}

bool recorderDlgFindSongsOnScreen(const RecorderApp& app) {
    return app.findSongs.wizard && !app.findSongs.hidden;
}

int recorderDlgFindSongsOpen(RecorderApp& app) {
    RecorderFindSongsState& s = app.findSongs;
    if (!s.wizard) {
        REPORT_CHECK(createWizard(app));
        return OKAY;
    }
    if (s.hidden) {
        REPORT_CHECK(showAgain(app));
        return OKAY;
    }
    // Already on screen: it comes to the front beside the main window. The
    // recording switches put aside when it opened stay as they were saved
    // (saving them again would keep the wizard's own as the user's).
    REPORT_CHECK(placeWindows(app));
    s.wizard->raise();
    s.wizard->activateWindow();
    return OKAY;
}

int recorderDlgFindSongsClose(RecorderApp& app) {
    if (!app.findSongs.wizard && !app.findSongs.browser) return OKAY;
    REPORT_CHECK(destroyWizard(app));
    return OKAY;
}

int recorderDlgFindSongsCheckTimeout(RecorderApp& app) {
    const RecorderFindSongsState& s = app.findSongs;
    if (!s.wizard || s.hidden || s.pageLoaded || s.loadStart == 0) return OKAY;
    if (now(app) - s.loadStart < kFindSongsLoadTimeoutSeconds) return OKAY;
    REPORT_CHECK(destroyWizard(app));
    bool confirmed = false;
    REPORT_CHECK(recorderDlgMsgModal(app, kMsgWizardTimedOut, false, confirmed));
    return OKAY;
}

int recorderDlgFindSongsStopPlayback(RecorderApp& app) {
    if (!recorderDlgFindSongsOnScreen(app) || !app.findSongs.browser) return OKAY;
    REPORT_CHECK(runPageFunction(app, "stopYouTubePlayback"));
    REPORT_CHECK(runPageFunction(app, "hideFinalStep"));
    return OKAY;
}

int recorderDlgFindSongsBrowserSongStarted(RecorderApp& app, const std::string& text, bool& started) {
    started = false;
    trace(app, std::string(kSongStarted) + "Entered");
    // 1.
    if (text.empty()) return OKAY;
    // 2.
    if (app.transport.playing) REPORT_CHECK(recorderTransportStop(app, true));
    // 3. Exactly "artist^song", both named.
    const size_t caret = text.find('^');
    if (caret == std::string::npos || caret == 0 || caret + 1 == text.size() ||
        text.find('^', caret + 1) != std::string::npos)
        return OKAY;
    RecorderSongName name{text.substr(0, caret), text.substr(caret + 1)};
    trace(app, std::string(kSongStarted) + "wcp_new_artist_name = \"" + name.artist +
                   "\", wcp_new_song_name = \"" + name.song + "\"");
    // 4 to 6. Another song gets a recording of its own (with auto-segment on,
    // the silence between the songs cuts it).
    bool autoSegment = true;
    REPORT_CHECK(recorderSessionGetAutoSegment(autoSegment));
    RecorderSongName newest;
    REPORT_CHECK(recorderDlgFindSongsNewestName(app, newest));
    if (!(name == newest) && !autoSegment) REPORT_CHECK(recorderMainNewTrack(app));
    // 7.
    recorderNamingQueuePush(app.findSongs.namingQueue, std::move(name));
    // 8. The page's song starts cut the tracks from now on.
    REPORT_CHECK(recorderSetAutoSegment(app, false));
    REPORT_CHECK(recorderSetRecordMode(app, true));
    // 9.
    app.findSongs.paused = false;
    started = true;
    trace(app, std::string(kSongStarted) + "Done");
    return OKAY;
}

int recorderDlgFindSongsHandleBrowserMessage(RecorderApp& app, long id, const std::string& text) {
    RecorderFindSongsState& s = app.findSongs;
    trace(app, std::string(kHandle) + "Entered");
    bool confirmed = false;
    switch (id) {
        case kBrowserMessageSongStart: {
            trace(app, std::string(kHandle) + "BROWSER_MESSAGE_ID_SONG_START");
            bool started = false;
            REPORT_CHECK(recorderDlgFindSongsBrowserSongStarted(app, text, started));
            break;
        }
        case kBrowserMessageSongEnd:
            trace(app, std::string(kHandle) + "BROWSER_MESSAGE_ID_SONG_END");
            if (!text.empty() && app.modes.recordMode) {
                REPORT_CHECK(recorderSetAutoSegment(app, true));
                REPORT_CHECK(recorderSetRecordMode(app, false));
            }
            break;
        case kBrowserMessageNoArtistFound:
            trace(app, std::string(kHandle) + "BROWSER_MESSAGE_ID_NO_ARTIST_FOUND");
            REPORT_CHECK(
                recorderDlgMsgModal(app, std::string(kMsgArtistNotFound) + ": " + text, false, confirmed));
            break;
        case kBrowserMessageSongPaused:
            trace(app, std::string(kHandle) + "BROWSER_MESSAGE_ID_SONG_PAUSED");
            s.paused = true;
            break;
        case kBrowserMessageStartButtonClicked:
            trace(app, std::string(kHandle) + "BROWSER_MESSAGE_ID_START_BUTTON_CLICKED");
            if (s.paused) {
                REPORT_CHECK(recorderMainNewTrack(app));
                s.paused = false;
            }
            break;
        case kBrowserMessageSaveButtonClicked:
            trace(app, std::string(kHandle) + "BROWSER_MESSAGE_ID_SAVE_BUTTON_CLICKED");
            REPORT_CHECK(recorderSave(app, kSaveWizardTracks));
            break;
        case kBrowserMessageWebPageLoaded:
            trace(app, std::string(kHandle) + "BROWSER_MESSAGE_ID_WEB_PAGE_LOADED");
            s.pageLoaded = true;
            break;
        case kSdkWebBrowserDataIdUrlOnError:
            trace(app, std::string(kHandle) + "SDK_WEB_BROWSER_DATA_ID_URL_STRING_ON_ERROR");
            REPORT_CHECK(recorderDlgMsgModal(app, kMsgWizardUnreachable, false, confirmed));
            break;
        default:
            break;
    }
    trace(app, std::string(kHandle) + "Done");
    return OKAY;
}

int recorderDlgFindSongsNewestName(RecorderApp& app, RecorderSongName& name) {
    name = recorderNamingQueueNewest(app.findSongs.namingQueue);
    return OKAY;
}

int recorderDlgFindSongsOldestName(RecorderApp& app, RecorderSongName& name) {
    name = recorderNamingQueueOldest(app.findSongs.namingQueue);
    return OKAY;
}

int recorderDlgFindSongsPopName(RecorderApp& app) {
    recorderNamingQueuePop(app.findSongs.namingQueue);
    return OKAY;
}
