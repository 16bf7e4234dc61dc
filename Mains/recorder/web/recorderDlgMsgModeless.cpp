// The modeless message window: the message window of the modal dialog, shown
// without a modal loop, and its stacking of messages.
#include "recorderDlgMsgModeless.h"

#include "pstr.h"
#include "recorderApp.h"
#include "recorderDlgMsgModal.h"
#include "recorderInit.h"
#include "recorderMainWindow.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderDlgMsgModeless";

namespace {

// The message and its line feed, cut so that they stay below the room.
QString shownText(std::string_view text) {
    const std::string_view cut = pstrCutToUnits(text, kModelessMsgRoom - 2);
    return QString::fromUtf8(cut.data(), static_cast<qsizetype>(cut.size())) + '\n';
}

}  // namespace

int recorderDlgMsgModeless(RecorderApp& app, std::string_view text, std::string_view link, bool withCancel) {
    RecorderWebState& web = app.web;
    if (auto* open = dynamic_cast<RecorderMessageWindow*>(web.modelessMsg.data());
        open && web.modelessMsgOpen) {
        const QString fresh = shownText(text);
        const QString old = open->text();
        // QString counts UTF-16 units, as the room does.
        open->setText(fresh.size() + old.size() >= static_cast<qsizetype>(kModelessMsgRoom) ? fresh
                                                                                            : fresh + old);
        open->show();
        open->raise();
        open->activateWindow();
        return OKAY;
    }
    QWidget* owner =
        app.window.mainWindow && app.window.mainWindow->isVisible() ? app.window.mainWindow.data() : nullptr;
    auto* window = new RecorderMessageWindow(owner, "", withCancel);
    window->setText(shownText(text));
    window->setModal(false);
    window->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(window, &QDialog::finished, window, [&app, window, address = std::string(link)](int) {
        app.web.modelessMsgOpen = false;
        if (window->confirmed() && !address.empty()) recorderMainWindowOpenPage(app, address);
    });
    web.modelessMsg = window;
    web.modelessMsgOpen = true;
    window->show();
    window->raise();
    window->activateWindow();
    return OKAY;
}

int recorderDlgMsgModelessClose(RecorderApp& app) {
    RecorderWebState& web = app.web;
    if (!web.modelessMsg) return OKAY;
    // Closed without an answer: nothing is opened.
    web.modelessMsg->disconnect();
    delete web.modelessMsg.data();
    web.modelessMsg = nullptr;
    web.modelessMsgOpen = false;
    return OKAY;
}
