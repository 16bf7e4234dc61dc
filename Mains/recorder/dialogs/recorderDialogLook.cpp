// The dialogs' entry to the main skin's look, and the look of the boxes shown
// while there is no main skin.
#include "recorderDialogLook.h"

#include <optional>

#include "File.h"
#include "recorderApp.h"
#include "recorderDlgMsgModal.h"
#include "recorderMainSkin.h"
#include "recorderSkinLook.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderDialogLook";

namespace {

std::string& skinsFolder() {
    static std::string folder;
    return folder;
}

// The look of the skin's definition file, read once, at the first box that
// needs it (a skin that cannot be read leaves the desktop's look).
const RecorderSkinLook* lookWithoutSkin() {
    static std::optional<RecorderSkinLook> look;
    static std::string read;  // the folder it was read from
    if (read != skinsFolder() && !skinsFolder().empty()) {
        read = skinsFolder();
        look.reset();
        RecorderSkinColour text, back;
        const std::string definition = skinsFolder() + "/" + kMainSkinFolder + "/" + kSkinDefinitionFile;
        if (FileExists(definition) && recorderMainSkinListColours(skinsFolder(), text, back) == OKAY)
            look = recorderSkinLookFromColours(QColor(text.red, text.green, text.blue),
                                               QColor(back.red, back.green, back.blue));
    }
    return look ? &*look : nullptr;
}

}  // namespace

void recorderDialogLookStart(const std::string& skinsFolderPath) {
    recorderSkinLookInstallStyle();
    skinsFolder() = skinsFolderPath;
    recorderSetMessageLook(recorderDialogLookWithoutSkin);
}

void recorderDialogLookWithoutSkin(QWidget& widget) {
    if (const RecorderSkinLook* look = lookWithoutSkin()) recorderSkinLookApply(*look, widget);
}

int recorderDialogLook(RecorderApp& app, QWidget& widget) {
    if (!app.owned.skin) {
        recorderDialogLookWithoutSkin(widget);
        return OKAY;
    }
    RecorderSkinLook look;
    REPORT_CHECK(recorderSkinLookFromSkin(app.owned.skin.get(), look));
    recorderSkinLookApply(look, widget);
    return OKAY;
}
