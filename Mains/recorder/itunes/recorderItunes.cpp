// Saving into iTunes, as far as this build goes: there is no iTunes to save
// into, so the user is told that the track did not get there.
#include "recorderItunes.h"

#include "recorderApp.h"
#include "recorderDlgMsgModal.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderItunes";

static constexpr const char* kMsgNoItunes =
    "The track was not saved into iTunes: iTunes cannot be reached from this computer.\n\n"
    "Choose \"MP3 (Save as .mp3 file)\" to save the track as a file.";

int recorderItunes(RecorderApp& app, const std::string&, const std::string&, const std::string&,
                   const std::string&, const std::string&, const std::string&, bool& saved) {
    saved = false;
    bool confirmed = false;
    REPORT_CHECK(recorderDlgMsgModal(app, kMsgNoItunes, false, confirmed));
    return OKAY;
}
