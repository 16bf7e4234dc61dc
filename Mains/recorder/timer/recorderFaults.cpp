// Telling the user about the faults the engine rides out (see recorderFaults.h).
#include "recorderFaults.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include "recorderApp.h"
#include "recorderDlgMsgModal.h"
#include "recorderMainDisplay.h"
#include "recorderMainWindow.h"
#include "recorderSongList.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderFaults";

bool recorderFaultsNoOutput(const RecorderApp& app) {
    return app.owned.engine && app.owned.engine->record.noOutput.load() != 0;
}

bool recorderFaultsRecordShown(const RecorderApp& app) {
    return app.modes.recordMode && !recorderFaultsNoOutput(app);
}

void recorderFaultsTell(RecorderApp& app, const std::string& text) {
    QPointer<RecorderMainWindow> window = app.window.mainWindow;
    if (!window) return;
    RecorderApp* target = &app;
    // The window goes before the state record, so a live window means a live record.
    QMetaObject::invokeMethod(
        window.data(),
        [window, target, text] {
            if (!window) return;
            bool confirmed = false;
            recorderDlgMsgModal(*target, text, false, confirmed);
        },
        Qt::QueuedConnection);
}

int recorderFaultsTimer(RecorderApp& app) {
    if (!app.owned.engine) return REPORT_ERR();
    RecorderFaultsState& f = app.faults;
    const sndDevicesRecord& record = app.owned.engine->record;

    // No output: told once an outage while record mode is on; the record
    // button follows what the engine can do.
    const bool noOutput = record.noOutput.load() != 0;
    if (noOutput && app.modes.recordMode && !f.noOutputTold) {
        f.noOutputTold = true;
        recorderFaultsTell(app, kMsgNoSoundOutput);
    }
    if (!noOutput) f.noOutputTold = false;
    if (noOutput != f.noOutputShown) {
        f.noOutputShown = noOutput;
        REPORT_CHECK(recorderUpdateRecordModeButton(app));
    }

    // The cache folder cannot be written.
    if (record.cacheFault.load() != 0) {
        if (!f.cacheFaultTold) {
            f.cacheFaultTold = true;
            const std::shared_ptr<const std::string> why = record.cacheFaultWhy.load();
            recorderFaultsTell(
                app, std::string(kMsgCacheFaultLead) + (why ? *why : std::string()) + kMsgCacheFaultTail);
        }
    } else {
        f.cacheFaultTold = false;
    }
    return OKAY;
}
