// Placeholders of the calls listed in recorderSeams.h: each does nothing until
// its own module implements it (and removes it from here).
#include "recorderSeams.h"

#include "recorderApp.h"
#include "report.h"

int recorderCreateTooltips(RecorderApp&) { return OKAY; }
int recorderUpdateMainModeDisplays(RecorderApp&) { return OKAY; }
int recorderUpdateRecordModeButton(RecorderApp&) { return OKAY; }
int recorderUpdateAutoSegmentButton(RecorderApp&, bool) { return OKAY; }
int recorderUpdateHideShortButton(RecorderApp&) { return OKAY; }
int recorderDisplayRecordingFlash(RecorderApp&) { return OKAY; }
int recorderUpdateMainDisplay(RecorderApp&) { return OKAY; }

int recorderMainMouseMove(RecorderApp&, int, int) { return OKAY; }
int recorderMainLButtonDown(RecorderApp&, int, int) { return OKAY; }
int recorderMainLButtonUp(RecorderApp&, int) { return OKAY; }
int recorderMainMouseLeave(RecorderApp&) { return OKAY; }

int recorderTransportTimer(RecorderApp&) { return OKAY; }
int recorderTransportStop(RecorderApp& app, bool) {
    app.playingTrack = kRecorderNoTrack;
    return OKAY;
}
int recorderTransportPlaySelection(RecorderApp&) { return OKAY; }
int recorderTransportIsPlaying(RecorderApp&, bool& playing) {
    playing = false;
    return OKAY;
}

int recorderInitWeb(RecorderApp&) { return OKAY; }
int recorderWebInstallerEmail(RecorderApp&) { return OKAY; }
int recorderWebDynamicUpdateCheck(RecorderApp&) { return OKAY; }
int recorderWebStartupMessages(RecorderApp&) { return OKAY; }
int recorderDlgMsgModelessClose(RecorderApp&) { return OKAY; }
int recorderCloseWeb(RecorderApp&) { return OKAY; }

int recorderDlgFindSongsCheckTimeout(RecorderApp&) { return OKAY; }
int recorderDlgFindSongsClose(RecorderApp&) { return OKAY; }
int recorderDlgFindSongsNewestName(RecorderApp&, RecorderSongName& name) {
    name = RecorderSongName{};
    return OKAY;
}
int recorderDlgFindSongsPopName(RecorderApp&) { return OKAY; }

int recorderDlgClearOnExit(RecorderApp&) { return OKAY; }
int recorderDlgRename(RecorderApp&) { return OKAY; }
int recorderSaveFromRowMenu(RecorderApp&) { return OKAY; }
