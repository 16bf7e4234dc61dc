// The web features of the running recorder: the application's web
// connection (start-up step 9), the side jobs of start-up steps 17 to 19 (the
// installation e-mail, the dynamic update and the announcements) with their
// two background threads, and closing all of it at shutdown.
//
// The threads are owned here and joined at shutdown. They never wait on the
// user-interface thread and never touch the rest of the state record; they
// use their connection, the trace sink, their files and their settings, and
// tell that they are done through an atomic flag. Shutdown aborts the
// transfers of both connections before it joins the threads, so a service
// that never answers delays neither start-up nor shutdown.
#pragma once

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <memory>
#include <thread>

#include "web.h"

class NetworkState;
struct RecorderApp;

struct RecorderWebState {
    RecorderWebState() = default;
    ~RecorderWebState();  // aborts and joins whatever still runs
    RecorderWebState(const RecorderWebState&) = delete;
    RecorderWebState& operator=(const RecorderWebState&) = delete;

    // --- given by the process start (or a test); kept by the reset
    NetworkState* network = nullptr;  // the connected state (null: the system's)
    webLimits limits;                 // of every transfer

    // --- the state proper
    std::unique_ptr<web> session;   // the application's connection ("Tobrel", skip-check on)
    std::unique_ptr<web> download;  // the announcement download's own ("none", skip-check off)
    std::thread downloadThread;
    std::thread sendingThread;
    std::atomic<bool> downloadFinished{false};
    std::atomic<bool> sendingFinished{false};
    QPointer<QWidget> modelessMsg;  // the modeless message window (recorderDlgMsgModeless)
    bool modelessMsgOpen = false;
};

// Start-up step 0: ends and forgets whatever an earlier run left.
void recorderWebReset(RecorderApp& app);

// Step 9: opens the application's connection.
int recorderInitWeb(RecorderApp& app);
// Step 17, first start after an installation: the address the installer
// left becomes the user's (unsent), and the sending thread starts.
int recorderWebInstallerEmail(RecorderApp& app);
// Step 18: sets app.modes.updateDue when the dynamic update is due.
int recorderWebDynamicUpdateCheck(RecorderApp& app);
// Step 19: the installation e-mail check (which may send, or ask for an
// address), then, unless sending started, the announcement step: shows a new
// announcement once and starts the dynamic update's download when due.
int recorderWebStartupMessages(RecorderApp& app);
// Shutdown step 7: aborts the transfers, joins the threads and closes both
// connections.
int recorderCloseWeb(RecorderApp& app);
// Whether the web features hold anything shutdown must close.
bool recorderWebOpen(const RecorderApp& app);
