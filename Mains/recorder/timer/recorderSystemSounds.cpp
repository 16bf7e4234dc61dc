// The default sound silenced while recording, restored afterwards and
// repaired at the next start when the program ended in between.
#include "recorderSystemSounds.h"

#include "pstr.h"
#include "recorderApp.h"
#include "recorderSession.h"
#include "regWithoutKeyname.h"
#include "report.h"
#include "sndDevicesEngine.h"

static constexpr const char* kReportModule = "./recorderSystemSounds";

namespace {

int writeSound(const std::string& text) {
    REPORT_CHECK(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, kSystemSoundKey, text));
    return OKAY;
}

}  // namespace

int operatingSystemSounds(int action, const std::string& sessionKeyPath) {
    const std::string savedKey = sessionKeyPath + "\\" + kSystemSoundSetting;

    bool savedFound = false;
    std::string saved;
    REPORT_CHECK(
        regWithoutKeynameRead(REG_ROOT_CURRENT_USER, savedKey, REG_VALUE_BUFFER_BYTES, savedFound, saved));
    pstrStripTrailingBlanks(saved);

    bool currentFound = false;
    std::string current;
    REPORT_CHECK(regWithoutKeynameRead(REG_ROOT_CURRENT_USER, kSystemSoundKey, REG_VALUE_BUFFER_BYTES,
                                       currentFound, current));
    if (!currentFound) return OKAY;  // no default sound configured: nothing to keep quiet
    pstrStripTrailingBlanks(current);

    const bool soundSaved = savedFound && saved != kSystemSoundRestored;
    switch (action) {
        case kSystemSoundRepair:
            if (soundSaved && current.empty()) {
                REPORT_CHECK(writeSound(saved));
                REPORT_CHECK(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, savedKey, kSystemSoundRestored));
            }
            break;
        case kSystemSoundSilence:
            // A sound saved earlier and not yet put back is the user's real one:
            // keep it rather than saving our own silence over it.
            if (!soundSaved) REPORT_CHECK(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, savedKey, current));
            REPORT_CHECK(writeSound(""));
            break;
        case kSystemSoundRestore:
            // Only a saved sound is written back: with nothing saved, writing the
            // saved value would silence the user's sound for good.
            if (soundSaved) REPORT_CHECK(writeSound(saved));
            REPORT_CHECK(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, savedKey, kSystemSoundRestored));
            break;
        default:
            break;
    }
    return OKAY;
}

int recorderSystemSounds(RecorderApp& app) {
    if (!app.owned.engine) return REPORT_ERR();
    int indicator = 0;
    uint32_t start = 0;
    uint32_t durationMs = 0;
    REPORT_CHECK(sndDevicesGetRecordStatus(*app.owned.engine, indicator, start, durationMs));
    if (indicator && !app.modes.soundSilenced) {
        app.modes.soundSilenced = true;
        REPORT_CHECK(operatingSystemSounds(kSystemSoundSilence, RECORDER_SESSION_KEY));
    } else if (!indicator && app.modes.soundSilenced) {
        app.modes.soundSilenced = false;
        REPORT_CHECK(operatingSystemSounds(kSystemSoundRestore, RECORDER_SESSION_KEY));
    }
    return OKAY;
}
