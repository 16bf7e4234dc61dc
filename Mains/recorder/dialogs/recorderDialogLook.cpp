// The dialogs' entry to the main skin's look.
#include "recorderDialogLook.h"

#include "recorderApp.h"
#include "recorderSkinLook.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderDialogLook";

int recorderDialogLook(RecorderApp& app, QWidget& widget) {
    if (!app.owned.skin) return OKAY;
    RecorderSkinLook look;
    REPORT_CHECK(recorderSkinLookFromSkin(app.owned.skin.get(), look));
    recorderSkinLookApply(look, widget);
    return OKAY;
}
