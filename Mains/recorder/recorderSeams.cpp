// Placeholders of the calls listed in recorderSeams.h: each does nothing until
// its own module implements it (and removes it from here).
#include "recorderSeams.h"

#include "recCache.h"
#include "recorderApp.h"
#include "report.h"

int recorderMainMenu(RecorderApp&, int, int) { return OKAY; }
int recorderSaveFromButton(RecorderApp&, int, int) { return OKAY; }

std::vector<int>& recorderSeamsSaveKinds() {
    static std::vector<int> kinds;
    return kinds;
}
int recorderSave(RecorderApp&, int kind) {
    recorderSeamsSaveKinds().push_back(kind);
    return OKAY;
}
int recorderSaveMarkWizardTrack(RecorderApp& app, long trackId) {
    if (!app.owned.cacheDb) return NOT_OKAY;
    return recCacheSetSource(app.owned.cacheDb.get(), static_cast<int>(trackId), 1);
}
int recorderSaveIsWizardTrack(RecorderApp& app, long trackId, bool& isWizard) {
    isWizard = false;
    if (!app.owned.cacheDb) return NOT_OKAY;
    int source = 0;
    if (recCacheGetSource(app.owned.cacheDb.get(), static_cast<int>(trackId), source) != OKAY)
        return NOT_OKAY;
    isWizard = source == 1;
    return OKAY;
}

int recorderDlgClearOnExit(RecorderApp&) { return OKAY; }
int recorderDlgRename(RecorderApp&) { return OKAY; }
int recorderSaveFromRowMenu(RecorderApp&) { return OKAY; }
