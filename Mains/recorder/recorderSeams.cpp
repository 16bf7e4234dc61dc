// Placeholders of the calls listed in recorderSeams.h: each does nothing until
// its own module implements it (and removes it from here).
#include "recorderSeams.h"

#include "recorderApp.h"
#include "report.h"

int recorderMainMenu(RecorderApp&, int, int) { return OKAY; }
int recorderSaveFromButton(RecorderApp&, int, int) { return OKAY; }

int recorderDlgFindSongsCheckTimeout(RecorderApp&) { return OKAY; }
int recorderDlgFindSongsClose(RecorderApp&) { return OKAY; }
int recorderDlgFindSongsNewestName(RecorderApp&, RecorderSongName& name) {
    name = RecorderSongName{};
    return OKAY;
}
int recorderDlgFindSongsPopName(RecorderApp&) { return OKAY; }
int recorderDlgFindSongsOpen(RecorderApp&) { return OKAY; }
int recorderDlgFindSongsStopPlayback(RecorderApp&) { return OKAY; }

int recorderDlgClearOnExit(RecorderApp&) { return OKAY; }
int recorderDlgRename(RecorderApp&) { return OKAY; }
int recorderSaveFromRowMenu(RecorderApp&) { return OKAY; }
