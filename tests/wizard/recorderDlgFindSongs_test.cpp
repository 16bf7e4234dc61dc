// The YouTube Wizard in the running recorder, with its page served from
// 127.0.0.1 (the web service address points there) on the real web engine.
// The page speaks the page protocol by clicking its element from script.
//
// The first test also shows that the web engine is not in the process until
// the wizard first opens, so it must stay the first one declared here.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QScreen>
#include <algorithm>
#include <fstream>

#include "httpTestServer.h"
#include "recorderDlgFindSongs.h"
#include "recorderInit.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderSeams.h"
#include "recorderSession.h"
#include "regWithoutKeyname.h"
#include "report.h"
#include "sdkWebBrowser.h"
#include "windowHarness.h"

namespace {

bool webEngineMapped() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find("libQt6WebEngineCore") != std::string::npos) return true;
    return false;
}

// The wizard's page: its functions note their calls with the server, and with
// `announceLoaded` it tells the recorder every 200 ms that it has loaded.
std::string wizardPage(bool announceLoaded) {
    return std::string(R"HTML(<!DOCTYPE html><html><body>
<div id="app_command_1" class="app_command">wizard</div>
<script>
function send(id, text) {
  var e = document.getElementById('app_command_1');
  e.className = 'message^' + id + '^' + text;
  e.click();
  e.className = 'app_command';
}
function note(name) { fetch('/called/' + name, {cache: 'no-store'}); }
function reset() { note('reset'); }
function stopYouTubePlayback() { note('stopYouTubePlayback'); }
function hideFinalStep() { note('hideFinalStep'); }
function noArtist() { send(3, 'Some Band'); }
function save() { send(6, 'save'); }
var announceLoaded = )HTML") +
           (announceLoaded ? "true" : "false") + R"HTML(;
setInterval(function () { if (announceLoaded) send(7, 'loaded'); }, 200);
</script></body></html>)HTML";
}

void pointServiceAt(const std::string& address) {
    ASSERT_EQ(
        regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\web_service_address", address),
        OKAY);
}

QDialog* dialogOf(RecorderApp& app) { return qobject_cast<QDialog*>(app.findSongs.wizard.data()); }

TEST(recorderDlgFindSongs, OpensBesideTheMainWindowWithTheEngineLoadedOnlyThenAndHidesOnClose) {
    httptest::Server server;
    server.serve("/services/mrd", {200, wizardPage(true), httptest::kHtml});
    WindowHarness w;
    pointServiceAt(server.base());
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    ASSERT_TRUE(app.modes.recordMode);
    ASSERT_FALSE(webEngineMapped());

    // The find-songs button opens the wizard beside the main window.
    const QPoint mainAt = app.window.mainWindow->pos();
    w.click(w.hotspot(kSkinHotFindSongs));
    ASSERT_TRUE(app.findSongs.wizardOpen);
    QDialog* wizard = dialogOf(app);
    ASSERT_NE(wizard, nullptr);
    EXPECT_TRUE(webEngineMapped());
    EXPECT_EQ(wizard->windowTitle().toStdString(), kFindSongsTitle);
    EXPECT_EQ(wizard->size(), QSize(341, 565));
    EXPECT_TRUE(wizard->isVisible());
    // Where the main window was, moved left as far as the pair needs to fit
    // on the screen.
    const QRect area = app.window.mainWindow->screen()->availableGeometry();
    const QRect wizardFrame = wizard->frameGeometry();
    EXPECT_EQ(wizardFrame.top(), mainAt.y());
    EXPECT_EQ(
        wizardFrame.left(),
        std::max(area.left(), std::min(mainAt.x(), area.right() + 1 - wizardFrame.width() -
                                                       app.window.mainWindow->frameGeometry().width())));
    EXPECT_EQ(app.window.mainWindow->pos(), QPoint(wizardFrame.right() + 1, mainAt.y()));
    EXPECT_FALSE(app.modes.recordMode);  // until a song starts

    // The page loads and says so.
    ASSERT_TRUE(w.h.pumpUntil([&] { return app.findSongs.pageLoaded; }, 30000));

    // Its messages reach the wizard: an artist it could not find, the save button.
    recorderSeamsSaveKinds().clear();
    ASSERT_EQ(sdkWebBrowserRunScript(app.findSongs.browser.get(), "noArtist"), OKAY);
    ASSERT_EQ(sdkWebBrowserRunScript(app.findSongs.browser.get(), "save"), OKAY);
    ASSERT_TRUE(w.h.pumpUntil([&] { return !recorderSeamsSaveKinds().empty(); }, 10000));
    EXPECT_EQ(recorderSeamsSaveKinds(), std::vector<int>{3});
    EXPECT_EQ(w.h.dialog.texts, std::vector<std::string>{"Artist not found: Some Band"});

    // Closing a loaded wizard hides it: the page stops its player, the main
    // window goes back and the recording switches come back.
    wizard->reject();
    EXPECT_TRUE(app.findSongs.hidden);
    EXPECT_EQ(dialogOf(app), wizard);
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(app.window.mainWindow->pos(), wizardFrame.topLeft());
    EXPECT_TRUE(app.modes.recordMode);
    bool autoSegment = false;
    ASSERT_EQ(recorderSessionGetAutoSegment(autoSegment), OKAY);
    EXPECT_TRUE(autoSegment);
    ASSERT_TRUE(w.h.pumpUntil(
        [&] {
            return server.requests("/called/stopYouTubePlayback") == 1 &&
                   server.requests("/called/hideFinalStep") == 1;
        },
        10000));

    // Opening it again shows the same wizard and resets its page.
    w.click(w.hotspot(kSkinHotFindSongs));
    EXPECT_EQ(dialogOf(app), wizard);
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_FALSE(app.findSongs.hidden);
    EXPECT_FALSE(app.modes.recordMode);
    ASSERT_TRUE(w.h.pumpUntil([&] { return server.requests("/called/reset") == 1; }, 10000));
    // Opening it while it is on screen only brings it forward: the user's
    // switches saved at the open stay (record mode on).
    w.click(w.hotspot(kSkinHotFindSongs));
    wizard->reject();
    EXPECT_TRUE(app.modes.recordMode);
}

TEST(recorderDlgFindSongs, ClosingBeforeThePageLoadedRemovesTheWizardAndTheEndGivesTheSwitchesBack) {
    httptest::Server server;
    server.serve("/services/mrd", {200, wizardPage(false), httptest::kHtml});
    WindowHarness w;
    pointServiceAt(server.base());
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    ASSERT_EQ(recorderDlgFindSongsOpen(app), OKAY);
    QPointer<QDialog> first = dialogOf(app);
    ASSERT_TRUE(first);
    ASSERT_TRUE(w.h.pumpUntil([&] { return server.requests("/services/mrd") == 1; }, 30000));
    first->reject();
    EXPECT_FALSE(app.findSongs.wizardOpen);
    EXPECT_EQ(app.findSongs.wizard, nullptr);
    EXPECT_FALSE(app.findSongs.browser);
    EXPECT_TRUE(app.modes.recordMode);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());

    // The next open makes a new one.
    ASSERT_EQ(recorderDlgFindSongsOpen(app), OKAY);
    EXPECT_TRUE(app.findSongs.wizardOpen);
    ASSERT_NE(dialogOf(app), nullptr);
    EXPECT_TRUE(dialogOf(app)->isVisible());

    // A song started (auto-segment off), then the program ends with the
    // wizard open: the user's auto-segment setting is stored back.
    ASSERT_EQ(recorderDlgFindSongsHandleBrowserMessage(app, kBrowserMessageSongStart, "Artist A^Song One"),
              OKAY);
    bool autoSegment = true;
    ASSERT_EQ(recorderSessionGetAutoSegment(autoSegment), OKAY);
    ASSERT_FALSE(autoSegment);
    ReportRecorder reports;
    ASSERT_EQ(recorderShutdown(app), OKAY);
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_FALSE(app.findSongs.wizardOpen);
    ASSERT_EQ(recorderSessionGetAutoSegment(autoSegment), OKAY);
    EXPECT_TRUE(autoSegment);
}

TEST(recorderDlgFindSongs, AnUnreachablePageIsReportedAndTimesOutAfter30Seconds) {
    WindowHarness w;
    pointServiceAt("http://127.0.0.1:59999");  // nothing listens there
    long now = 1700000000;
    w.app().findSongs.clock = [&] { return now; };
    ASSERT_EQ(w.start(), OKAY);
    RecorderApp& app = w.app();
    ASSERT_EQ(recorderDlgFindSongsOpen(app), OKAY);
    ASSERT_TRUE(w.h.pumpUntil([&] { return !w.h.dialog.texts.empty(); }, 30000));
    EXPECT_EQ(w.h.dialog.texts, std::vector<std::string>{kMsgWizardUnreachable});

    // The wizard stays until 30 seconds have passed since the load started.
    now += 29;
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_TRUE(app.findSongs.wizardOpen);
    now += 1;
    ASSERT_EQ(w.tick(), OKAY);
    EXPECT_FALSE(app.findSongs.wizardOpen);
    EXPECT_EQ(app.findSongs.wizard, nullptr);
    ASSERT_EQ(w.h.dialog.texts.size(), 2u);
    EXPECT_EQ(w.h.dialog.texts[1], kMsgWizardTimedOut);
    EXPECT_TRUE(app.modes.recordMode);
}

}  // namespace
