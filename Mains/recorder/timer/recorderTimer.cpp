// The 100 ms timer tick and the mode switches (record mode, auto segment,
// short-track filter).
#include "recorderTimer.h"

#include <chrono>
#include <thread>

#include "recorderApp.h"
#include "recorderFaults.h"
#include "recorderMainWindow.h"
#include "recorderSeams.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "recorderSystemSounds.h"
#include "report.h"
#include "sndDevicesEngine.h"

static constexpr const char* kReportModule = "./recorderTimer";

int recorderInitTimer(RecorderApp& app) {
    if (!app.window.mainWindow) return REPORT_ERR();
    recorderKillTimer(app);
    app.window.timerId = app.window.mainWindow->startTimer(kRecorderTimerPeriodMs, Qt::PreciseTimer);
    if (app.window.timerId == 0) return REPORT_ERR();
    return OKAY;
}

void recorderKillTimer(RecorderApp& app) {
    if (app.window.timerId != 0 && app.window.mainWindow)
        app.window.mainWindow->killTimer(app.window.timerId);
    app.window.timerId = 0;
}

namespace {

// Runs one step of the tick; tells the test hook which step comes.
template <class F>
int step(RecorderApp& app, int number, F&& run) {
    if (app.onTimerStep) app.onTimerStep(number);
    return run();
}

int tick(RecorderApp& app) {
    if (!app.owned.engine) return REPORT_ERR();
    int indicator = 0;
    uint32_t start = 0;
    uint32_t durationMs = 0;
    bool changed = false;
    REPORT_CHECK(step(
        app, 1, [&] { return sndDevicesGetRecordStatus(*app.owned.engine, indicator, start, durationMs); }));
    REPORT_CHECK(step(app, 2, [&] {
        if (indicator != app.window.lastIndicator) {
            changed = true;
            app.window.lastIndicator = indicator;
        }
        return OKAY;
    }));
    REPORT_CHECK(step(app, 3, [&] { return recorderDisplayRecordingFlash(app); }));
    REPORT_CHECK(step(app, 4, [&] { return recorderSongListViewTimerClicked(app, changed); }));
    REPORT_CHECK(step(app, 5, [&] { return recorderTransportTimer(app); }));
    REPORT_CHECK(step(app, 6, [&] { return recorderSystemSounds(app); }));
    REPORT_CHECK(step(app, 7, [&] { return recorderUpdateMainDisplay(app); }));
    REPORT_CHECK(step(app, 8, [&] { return recorderDlgFindSongsCheckTimeout(app); }));
    REPORT_CHECK(step(app, 9, [&] { return recorderFaultsTimer(app); }));
    return OKAY;
}

}  // namespace

int recorderTimer(RecorderApp& app) {
    // A message box shown inside a tick keeps dispatching events, timer ticks
    // among them; a tick must not start inside another one, or one fault
    // would stack up a box every 100 ms.
    if (app.window.inTimerTick) return OKAY;
    app.window.inTimerTick = true;
    const int result = tick(app);
    app.window.inTimerTick = false;
    if (result != OKAY) return REPORT_ERR();
    return OKAY;
}

int recorderSetRecordMode(RecorderApp& app, bool on) {
    if (!app.owned.engine) return REPORT_ERR();
    app.modes.recordMode = on;
    int result = 0;
    if (on) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kRecorderArmDelayMs));
        REPORT_CHECK(sndDevicesSetRecordState(*app.owned.engine, kSndRecordArm, result));
    } else {
        REPORT_CHECK(sndDevicesSetRecordState(*app.owned.engine, kSndRecordDisarm, result));
    }
    // Without an output (207) record mode stays on: the engine records as soon
    // as one comes, and the faults step tells the user meanwhile.
    REPORT_CHECK(recorderUpdateRecordModeButton(app));
    return OKAY;
}

int recorderSetAutoSegment(RecorderApp& app, bool on) {
    if (!app.owned.engine) return REPORT_ERR();
    REPORT_CHECK(recorderSessionSetAutoSegment(on));
    REPORT_CHECK(sndDevicesSetAutoSegment(*app.owned.engine, on ? 1 : 0));
    bool stored = on;
    REPORT_CHECK(recorderSessionGetAutoSegment(stored));
    REPORT_CHECK(recorderUpdateAutoSegmentButton(app, stored));
    return OKAY;
}

int recorderSetHideShort(RecorderApp& app, bool on) {
    app.modes.hideShort = on;
    REPORT_CHECK(recorderUpdateHideShortButton(app));
    return OKAY;
}
