// Play, pause, previous, next and stop of the main window, over the track
// list and the file playback engine, and the transport's timer step.
//
// State (in RecorderApp): `playing` is what the play button shows, `loaded`
// that a track is loaded in the engine and `playingTrack` its id
// (kRecorderNoTrack when none), `recordSuspended` that record mode was
// switched off for playback and is to come back.
#include "recorderTransport.h"

#include <string>
#include <vector>

#include "ptListView.h"
#include "recorderApp.h"
#include "recorderDlgMsgModal.h"
#include "recorderMainDisplay.h"
#include "recorderMainWindow.h"
#include "recorderPlayPosition.h"
#include "recorderSeams.h"
#include "recorderSongList.h"
#include "recorderTimer.h"
#include "report.h"
#include "sndDevicesEngine.h"
#include "sndDevicesPlay.h"

static constexpr const char* kReportModule = "./recorderTransport";

namespace {

int refresh(RecorderApp& app) {
    REPORT_CHECK(recorderUpdatePlayButton(app));
    if (app.window.mainWindow) app.window.mainWindow->update();
    return OKAY;
}

int giveRecordModeBack(RecorderApp& app) {
    if (!app.transport.recordSuspended) return OKAY;
    app.transport.recordSuspended = false;
    REPORT_CHECK(recorderSetRecordMode(app, true));
    return OKAY;
}

// Record mode goes off for playback; a recording in progress ends only when
// the user agrees. proceed is false when the user keeps recording.
int suspendRecordMode(RecorderApp& app, bool& proceed) {
    proceed = true;
    if (!app.modes.recordMode) return OKAY;
    int indicator = 0;
    uint32_t start = 0, durationMs = 0;
    REPORT_CHECK(sndDevicesGetRecordStatus(*app.owned.engine, indicator, start, durationMs));
    if (indicator != 0) {
        bool yes = false;
        REPORT_CHECK(recorderDlgAskYesNo(app, kMsgStopRecordingToPlay, yes));
        if (!yes) {
            proceed = false;
            return OKAY;
        }
    }
    app.transport.recordSuspended = true;
    REPORT_CHECK(recorderSetRecordMode(app, false));
    REPORT_CHECK(recorderDlgFindSongsStopPlayback(app));
    return OKAY;
}

// The number of rows and the first two selected ones (enough to tell none,
// one and several apart).
int listState(RecorderApp& app, int& count, std::vector<int>& selected) {
    count = 0;
    selected.clear();
    if (!app.owned.listCtrl) return REPORT_ERR();
    REPORT_CHECK(ptListViewGetCount(app.owned.listCtrl.get(), count));
    REPORT_CHECK(ptListViewGetSelected(app.owned.listCtrl.get(), 2, selected));
    return OKAY;
}

}  // namespace

int recorderTransportPlayPause(RecorderApp& app) {
    if (app.transport.playing) {
        REPORT_CHECK(recorderTransportPause(app));
    } else {
        REPORT_CHECK(recorderTransportPlaySelection(app));
    }
    return OKAY;
}

int recorderTransportPlaySelection(RecorderApp& app) {
    if (!app.owned.engine) return REPORT_ERR();
    // 1. The first selected row, or the first row.
    int count = 0;
    std::vector<int> rows;
    REPORT_CHECK(listState(app, count, rows));
    if (count == 0) return OKAY;
    if (rows.empty()) {
        REPORT_CHECK(ptListViewSelect(app.owned.listCtrl.get(), 0, true));
    } else if (rows.size() > 1) {
        REPORT_CHECK(recorderSongListKeepFirstSelected(app));
    }
    bool found = false;
    int id = kRecorderNoTrack;
    std::string baseName;
    REPORT_CHECK(recorderSongListGetSelectedTrack(app, found, id, baseName));
    if (!found) return REPORT_ERR();

    // 2. The recording in progress cannot be played.
    if (id == kRecorderRecordingRow) {
        bool confirmed = false;
        REPORT_CHECK(recorderDlgMsgModal(app, kMsgCannotPlayRecording, false, confirmed));
        return OKAY;
    }

    // A track whose audio file was deleted behind our back: say so, and
    // leave recording as it was.
    bool present = false;
    REPORT_CHECK(sndDevicesPlayTrackPresent(*app.owned.engine, baseName, present));
    if (!present) {
        bool confirmed = false;
        REPORT_CHECK(recorderDlgMsgModal(app, kMsgTrackAudioMissing, false, confirmed));
        return OKAY;
    }

    // 3. Record mode steps aside.
    bool proceed = true;
    REPORT_CHECK(suspendRecordMode(app, proceed));
    if (!proceed) return OKAY;

    // 4, 5. Another loaded track goes; this one is loaded unless it is already.
    if (app.transport.loaded && app.transport.playingTrack != id)
        REPORT_CHECK(recorderTransportStop(app, false));
    if (!app.transport.loaded) {
        int lengthMs = 0;
        REPORT_CHECK(sndDevicesPlayLoad(*app.owned.engine, baseName, lengthMs));
        app.transport.loaded = true;
        app.transport.playingTrack = id;
    }

    // 6, 7.
    int code = 0;
    REPORT_CHECK(sndDevicesPlayPlay(*app.owned.engine, code));
    app.transport.playing = code != kSndCodeNoRenderStream;
    REPORT_CHECK(refresh(app));
    return OKAY;
}

int recorderTransportPause(RecorderApp& app) {
    if (!app.owned.engine) return REPORT_ERR();
    REPORT_CHECK(sndDevicesPlayPause(*app.owned.engine));
    app.transport.playing = false;
    REPORT_CHECK(refresh(app));
    REPORT_CHECK(giveRecordModeBack(app));
    return OKAY;
}

int recorderTransportPrevious(RecorderApp& app) {
    if (!app.owned.engine) return REPORT_ERR();
    int count = 0;
    std::vector<int> rows;
    REPORT_CHECK(listState(app, count, rows));
    if (count == 0) return OKAY;
    if (rows.size() == 1 && rows[0] == 0) {
        REPORT_CHECK(sndDevicesPlaySeek(*app.owned.engine, 0));
    } else {
        REPORT_CHECK(ptListViewSelectPrevious(app.owned.listCtrl.get()));
    }
    REPORT_CHECK(recorderTransportPlaySelection(app));
    return OKAY;
}

int recorderTransportNext(RecorderApp& app) {
    int count = 0;
    std::vector<int> rows;
    REPORT_CHECK(listState(app, count, rows));
    if (count == 0) return OKAY;
    REPORT_CHECK(ptListViewSelectNext(app.owned.listCtrl.get()));
    REPORT_CHECK(recorderTransportPlaySelection(app));
    return OKAY;
}

int recorderTransportStop(RecorderApp& app, bool restore) {
    if (!app.owned.engine) return REPORT_ERR();
    REPORT_CHECK(sndDevicesPlayRewind(*app.owned.engine));
    REPORT_CHECK(sndDevicesPlayClose(*app.owned.engine));
    app.transport.playing = false;
    app.transport.loaded = false;
    app.transport.playingTrack = kRecorderNoTrack;
    REPORT_CHECK(refresh(app));
    if (restore) REPORT_CHECK(giveRecordModeBack(app));
    return OKAY;
}

int recorderTransportTimer(RecorderApp& app) {
    if (!app.owned.engine) return REPORT_ERR();
    if (app.transport.playing && app.transport.loaded) {
        int playing = 0, positionMs = 0, lengthMs = 0;
        REPORT_CHECK(sndDevicesPlayStatus(*app.owned.engine, playing, positionMs, lengthMs));
        if (playing == 0) REPORT_CHECK(recorderTransportStop(app, true));
    }
    REPORT_CHECK(recorderPlayPositionUpdate(app));
    return OKAY;
}

int recorderTransportIsPlaying(RecorderApp& app, bool& playing) {
    playing = false;
    if (!app.owned.engine) return REPORT_ERR();
    int enginePlaying = 0, positionMs = 0, lengthMs = 0;
    REPORT_CHECK(sndDevicesPlayStatus(*app.owned.engine, enginePlaying, positionMs, lengthMs));
    playing = enginePlaying != 0 && app.transport.playing;
    return OKAY;
}
