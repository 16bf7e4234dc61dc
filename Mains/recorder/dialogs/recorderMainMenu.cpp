// The main menu, dropped down from the menu button's lower left corner.
#include "recorderMainMenu.h"

#include <QMenu>

#include "recorderApp.h"
#include "recorderDialogLook.h"
#include "recorderDlgAbout.h"
#include "recorderDlgOptions.h"
#include "recorderMainInput.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderSeams.h"
#include "recorderUndoDelete.h"
#include "report.h"
#include "skin.h"

static constexpr const char* kReportModule = "./recorderMainMenu";

int recorderMainMenu(RecorderApp& app) {
    if (!app.window.mainWindow || !app.owned.skin) return REPORT_ERR();
    int enabled = 0, left = 0, top = 0, right = 0, bottom = 0;
    REPORT_CHECK(skinHotspotGet(app.owned.skin.get(), kSkinHotMenu, enabled, left, top, right, bottom));

    QMenu menu(app.window.mainWindow);
    menu.setObjectName(kMainMenuName);
    REPORT_CHECK(recorderDialogLook(app, menu));
    QAction* undo = nullptr;
    if (recorderUndoDeleteAvailable(app)) {
        undo = menu.addAction(kMainMenuUndo);
        undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));  // shown beside it; the window's key does it
        menu.addSeparator();
    }
    QAction* wizard = menu.addAction(kMainMenuWizard);
    QAction* website = menu.addAction(kMainMenuWebsite);
    QAction* options = menu.addAction(kMainMenuOptions);
    QMenu* help = menu.addMenu(kMainMenuHelp);
    REPORT_CHECK(recorderDialogLook(app, *help));
    QAction* manual = help->addAction(kMainMenuManual);
    QAction* about = help->addAction(kMainMenuAbout);
    menu.addSeparator();
    QAction* exit = menu.addAction(kMainMenuExit);

    QAction* chosen = menu.exec(app.window.mainWindow->mapToGlobal(QPoint(left, bottom)));
    if (undo && chosen == undo) REPORT_CHECK(recorderUndoDelete(app));
    if (chosen == wizard) REPORT_CHECK(recorderDlgFindSongsOpen(app));
    if (chosen == website) REPORT_CHECK(recorderMainOpenPage(app, kRecorderPageLogo));
    if (chosen == options) REPORT_CHECK(recorderDlgOptions(app));
    if (chosen == manual) REPORT_CHECK(recorderMainOpenPage(app, kRecorderPageManual));
    if (chosen == about) REPORT_CHECK(recorderDlgAbout(app));
    if (chosen == exit) REPORT_CHECK(recorderMainQuit(app));
    return OKAY;
}
