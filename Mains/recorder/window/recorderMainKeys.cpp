// The main window's keys (see recorderMainKeys.h). Window-wide shortcuts are
// offered the key before the focused control sees it, as an accelerator table
// is, so the track list's own use of Space (selecting) gives way to play/pause.
#include "recorderMainKeys.h"

#include <QShortcut>

#include "recorderApp.h"
#include "recorderDlgRename.h"
#include "recorderMainFocus.h"
#include "recorderMainInput.h"
#include "recorderMainWindow.h"
#include "recorderSongList.h"
#include "recorderTransport.h"
#include "recorderUndoDelete.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderMainKeys";

int recorderMainKeysInstall(RecorderApp& app) {
    RecorderMainWindow* window = app.window.mainWindow;
    if (!window) return REPORT_ERR();
    RecorderApp* a = &app;
    for (const RecorderKey& k : kRecorderKeys) {
        auto* shortcut = new QShortcut(QKeySequence(k.key), window);  // the window owns it
        shortcut->setContext(Qt::WindowShortcut);
        const RecorderKeyCommand command = k.command;
        QObject::connect(shortcut, &QShortcut::activated, window, [a, command] {
            if (recorderMainKeyCommand(*a, command) != OKAY) REPORT_ERR();
        });
    }
    return OKAY;
}

int recorderMainKeyCommand(RecorderApp& app, RecorderKeyCommand command) {
    switch (command) {
        case RecorderKeyCommand::Quit:
            REPORT_CHECK(recorderMainQuit(app));
            return OKAY;
        case RecorderKeyCommand::PlayPause: {
            // Space presses a focused skin button; elsewhere it plays or pauses.
            bool used = false;
            REPORT_CHECK(recorderMainFocusKey(app, Qt::Key_Space, used));
            if (!used) REPORT_CHECK(recorderTransportPlayPause(app));
            return OKAY;
        }
        case RecorderKeyCommand::Delete:
            REPORT_CHECK(recorderSongListDelete(app));
            return OKAY;
        case RecorderKeyCommand::PlaySelected: {
            bool used = false;
            REPORT_CHECK(recorderMainFocusKey(app, Qt::Key_Return, used));
            if (used) return OKAY;
            // As a double click on the row: nothing selected, nothing played.
            bool found = false;
            int id = kRecorderNoTrack;
            std::string baseName;
            REPORT_CHECK(recorderSongListGetSelectedTrack(app, found, id, baseName));
            if (found) REPORT_CHECK(recorderSongListDoubleClick(app));
            return OKAY;
        }
        case RecorderKeyCommand::Rename:
            REPORT_CHECK(recorderDlgRename(app));
            return OKAY;
        case RecorderKeyCommand::Undo:
            REPORT_CHECK(recorderUndoDelete(app));
            return OKAY;
    }
    return REPORT_ERR();
}
