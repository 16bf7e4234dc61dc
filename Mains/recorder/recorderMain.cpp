// The process entry point of the recorder: the display check, the Qt
// application, the platform services the program runs on (sound server,
// browser, message dialogs, media players), the single-instance guard, the
// main window and the event loop.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "browser.h"
#include "dbusMediaPlayers.h"
#include "displayCheck.h"
#include "instanceLock.h"
#include "itunesAutomation.h"
#include "programFolders.h"
#include "pulseDevices.h"
#include "recorderApp.h"
#include "recorderDlgMsgModal.h"
#include "recorderInit.h"
#include "recorderMainWindow.h"
#include "report.h"

namespace {

// The exit code of a start without a usable display.
constexpr int kNoDisplayExitCode = 1;

// The installed icon: from the desktop's icon theme, or else straight from the
// hicolor files the installation put beside bin/ (a stale theme cache or an
// unusual prefix hides them from the theme lookup). A checkout has none.
QIcon installedIcon() {
    const QString folder = QString::fromStdString(programFolder()) + "/../share/icons/hicolor";
    QIcon files;
    const QStringList sizes = QDir(folder).entryList({"*x*"}, QDir::Dirs);
    for (const QString& size : sizes) {
        const QString file = folder + "/" + size + "/apps/" TOBREL_APP_ID ".png";
        if (QFileInfo::exists(file)) files.addFile(file);
    }
    return QIcon::fromTheme(TOBREL_APP_ID, files);
}

}  // namespace

int main(int argc, char** argv) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool chosenPlatform = platform && *platform;
    const bool hasDisplay = display && *display;
    static constexpr const char* kStartHint =
        "Start it from a desktop session (or under Xvfb with DISPLAY set).\n";
    if (!chosenPlatform && !hasDisplay) {
        if (wayland && *wayland)
            std::fprintf(stderr,
                         "Tobrel needs the X11 display of the desktop (XWayland), but DISPLAY is not set.\n");
        else
            std::fprintf(stderr,
                         "Tobrel needs a graphical desktop, and there is none here: DISPLAY is not set.\n%s",
                         kStartHint);
        return kNoDisplayExitCode;
    }
    // A display that cannot be opened is no display either; the window
    // toolkit would abort on it with a message about reinstalling.
    if (!chosenPlatform || std::string(platform) == "xcb") {
        std::string why;
        if (!displayCanOpen(hasDisplay ? display : "", why)) {
            std::fprintf(stderr,
                         "Tobrel needs a graphical desktop, and there is none here: the display %s cannot be "
                         "opened (%s).\n%s",
                         hasDisplay ? display : "(none)", why.c_str(), kStartHint);
            return kNoDisplayExitCode;
        }
    }
    // Window placement and always-on-top need X11 (XWayland on Wayland desktops).
    if (!chosenPlatform) setenv("QT_QPA_PLATFORM", "xcb", 1);

    QApplication qtApp(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // The menu entry's name and icon: desktops show them for the window (an
    // installed program finds the icon in the hicolor theme; a checkout has none).
    QGuiApplication::setDesktopFileName(TOBREL_APP_ID);
    QApplication::setWindowIcon(installedIcon());
    recorderInstallInternalErrorBoxes();

    std::unique_ptr<AudioDevices> devices = pulseDevicesCreate("Tobrel");
    XdgOpenBrowser browser;
    ItunesUnavailable itunes;
    RecorderMessageDialog dialog;
    // The desktop's media players, followed over the session bus when there is one.
    std::unique_ptr<MediaPlayers> players = dbusMediaPlayersCreate();
    RecorderApp app;
    app.services.audioDevices = devices.get();
    app.services.mediaPlayers = players.get();
    app.services.browser = &browser;
    app.services.itunesAutomation = &itunes;
    app.services.dialog = &dialog;

    InstanceLock lock, cacheLock;
    bool refused = false;
    if (recorderProcessStart(app, lock, cacheLock, refused) != OKAY || refused) return 0;
    const int code = QApplication::exec();
    // Anything the shutdown could not release goes before the platform does.
    recorderShutdown(app);
    return code;
}
