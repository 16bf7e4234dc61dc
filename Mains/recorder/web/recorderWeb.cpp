// The web side of start-up and shutdown: the application's connection, the
// installation e-mail and its sending thread, the announcement step and the
// dynamic update's download thread.
#include "recorderWeb.h"

#include <ctime>

#include "CSlout.h"
#include "File.h"
#include "announce.h"
#include "browser.h"
#include "recorderApp.h"
#include "recorderDlgAskEmail.h"
#include "recorderDlgMsgModeless.h"
#include "recorderInit.h"
#include "recorderMainInput.h"
#include "recorderPaths.h"
#include "recorderSession.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderWeb";

namespace {

constexpr float kProductVersion = static_cast<float>(kRecorderProductVersion);

void traceLine(CSlout* trace, const std::string& text) {
    if (trace) trace->messageW(1, text);
}

// Aborts the connection's transfer, then waits for its thread (a moment: an
// aborted transfer ends at once).
void stopJob(web* connection, std::thread& thread) {
    webAbort(connection);
    if (thread.joinable()) thread.join();
}

// The sending thread's work: the stored address goes to the service; only an
// answer from it marks the address as sent.
int sendInstallationEmail(web* session, CSlout* trace) {
    recorderAskEmail values;
    REPORT_CHECK(recorderSessionGetAskEmail(values));
    bool connected = false;
    REPORT_CHECK(webConnected(session, connected));
    if (!connected) {
        traceLine(trace, "recorderWebSendEmail: Not connected; sent at a later start");
        return OKAY;
    }
    std::string service;
    int subvendor = 0, vendor = 0;
    REPORT_CHECK(recorderSessionGetWebServiceAddress(service));
    REPORT_CHECK(recorderProductCodes(subvendor, vendor));
    bool failed = true;
    REPORT_CHECK(webRequest(
        session, announceEmailAddress(service, kProductVersion, values.emailAddress, vendor, subvendor),
        failed));
    if (failed) {
        traceLine(trace, "recorderWebSendEmail: Not sent; sent at a later start");
        return OKAY;
    }
    values.emailSent = 1;
    REPORT_CHECK(recorderSessionSetAskEmail(values));
    traceLine(trace, "recorderWebSendEmail: Sent");
    return OKAY;
}

// Starts the sending thread, unless one is still at work: the installer's
// address and the e-mail check of the same start must not send it twice.
int startSending(RecorderApp& app) {
    RecorderWebState& w = app.web;
    if (!w.session) return REPORT_ERR();
    if (w.sendingThread.joinable()) {
        if (!w.sendingFinished) return OKAY;
        w.sendingThread.join();
    }
    w.sendingFinished = false;
    w.sendingThread =
        std::thread([session = w.session.get(), trace = app.owned.trace.get(), &done = w.sendingFinished] {
            sendInstallationEmail(session, trace);
            done = true;
        });
    return OKAY;
}

// Starts the dynamic update's download into the new announcement file on a
// connection of its own.
int startDownload(RecorderApp& app, const std::string& address, const std::string& path) {
    RecorderWebState& w = app.web;
    if (w.downloadThread.joinable()) {
        if (!w.downloadFinished) return OKAY;  // the earlier one is still at it
        w.downloadThread.join();
    }
    REPORT_CHECK(recorderSessionSetLastDynamicUpdate(static_cast<long>(std::time(nullptr))));
    webLimits limits = w.limits;
    limits.maxBytes = kAnnounceMaxFileBytes;
    REPORT_CHECK(webInit(w.download, app.owned.trace.get(), false, "none", w.network, limits));
    w.downloadFinished = false;
    w.downloadThread =
        std::thread([connection = w.download.get(), address, path, &done = w.downloadFinished] {
            bool downloaded = false;
            announceDownload(connection, address, path, downloaded);
            done = true;
        });
    return OKAY;
}

// The announcement step: the announcement downloaded at an earlier start is
// shown once, then the next download starts when it is due.
int announcementStep(RecorderApp& app) {
    CSlout* trace = app.owned.trace.get();
    std::string folder;
    REPORT_CHECK(recorderPaths(RECORDER_PATH_ANNOUNCEMENTS, folder));
    bool created = false;
    REPORT_CHECK(FileCreateFolderPath(folder, trace, created));
    if (!created) return REPORT_ERR();
    const std::string freshPath = folder + "/" + kAnnounceNewFile;
    const std::string currentPath = folder + "/" + kAnnounceCurrentFile;

    announce fresh, current;
    bool freshPresent = false, currentPresent = false;
    REPORT_CHECK(announceRead(freshPath, trace, freshPresent, fresh));
    REPORT_CHECK(announceRead(currentPath, trace, currentPresent, current));
    const announceAction action =
        announceDecide(freshPresent, fresh, currentPresent, current, kProductVersion);
    if (action.makeCurrent) {
        traceLine(trace, "recorderWebAnnouncement: New announcement " + std::to_string(fresh.number));
        REPORT_CHECK(announceMakeCurrent(freshPath, currentPath, trace));
    }
    // The link came from the network: only a web address is ever opened.
    const std::string link = browserAddressAllowed(fresh.link) ? fresh.link : std::string();
    if (action.showText) REPORT_CHECK(recorderDlgMsgModeless(app, fresh.text, link, true));
    // A browser that cannot be started is reported where it fails; the
    // start goes on.
    if (action.openLink && !link.empty()) recorderMainWindowOpenPage(app, link);

    if (app.modes.updateDue) {
        std::string service;
        int subvendor = 0, vendor = 0;
        REPORT_CHECK(recorderSessionGetWebServiceAddress(service));
        REPORT_CHECK(recorderProductCodes(subvendor, vendor));
        REPORT_CHECK(startDownload(app, announceDownloadAddress(service, vendor, subvendor), freshPath));
    }
    return OKAY;
}

}  // namespace

RecorderWebState::~RecorderWebState() {
    stopJob(session.get(), sendingThread);
    stopJob(download.get(), downloadThread);
    delete modelessMsg.data();
}

void recorderWebReset(RecorderApp& app) {
    RecorderWebState& w = app.web;
    stopJob(w.session.get(), w.sendingThread);
    stopJob(w.download.get(), w.downloadThread);
    w.session.reset();
    w.download.reset();
    w.downloadFinished = false;
    w.sendingFinished = false;
    w.modelessMsg = nullptr;
    w.modelessMsgOpen = false;
}

int recorderInitWeb(RecorderApp& app) {
    REPORT_CHECK(
        webInit(app.web.session, app.owned.trace.get(), true, "Tobrel", app.web.network, app.web.limits));
    return OKAY;
}

int recorderWebInstallerEmail(RecorderApp& app) {
    std::string address;
    REPORT_CHECK(recorderSessionGetInstallEmailAddress(address));
    if (address.empty()) return OKAY;
    recorderAskEmail values;
    values.emailAddress = address;
    REPORT_CHECK(recorderSessionSetAskEmail(values));
    REPORT_CHECK(startSending(app));
    return OKAY;
}

int recorderWebDynamicUpdateCheck(RecorderApp& app) {
    bool present = false;
    long last = 0;
    REPORT_CHECK(recorderSessionGetLastDynamicUpdate(present, last));
    app.modes.updateDue = announceUpdateDue(present, last, static_cast<long>(std::time(nullptr)));
    return OKAY;
}

int recorderWebStartupMessages(RecorderApp& app) {
    recorderAskEmail values;
    REPORT_CHECK(recorderSessionGetAskEmail(values));
    const bool stored = !values.emailAddress.empty();
    if (stored && !values.emailSent) {
        REPORT_CHECK(startSending(app));
        return OKAY;  // no announcement at this start
    }
    if (!app.modes.firstRun && !stored && !values.emailSent && !values.dialogShown) {
        std::string typed;
        REPORT_CHECK(recorderDlgAskEmail(app, typed));
        recorderAskEmail asked;
        asked.emailAddress = typed;
        asked.dialogShown = 1;
        REPORT_CHECK(recorderSessionSetAskEmail(asked));
        REPORT_CHECK(startSending(app));
        return OKAY;
    }
    REPORT_CHECK(announcementStep(app));
    return OKAY;
}

int recorderCloseWeb(RecorderApp& app) {
    RecorderWebState& w = app.web;
    stopJob(w.session.get(), w.sendingThread);
    stopJob(w.download.get(), w.downloadThread);
    REPORT_CHECK(webFree(w.download));
    REPORT_CHECK(webFree(w.session));
    return OKAY;
}

bool recorderWebOpen(const RecorderApp& app) {
    const RecorderWebState& w = app.web;
    return w.session || w.download || w.sendingThread.joinable() || w.downloadThread.joinable();
}
