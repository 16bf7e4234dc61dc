// Fuzz target: one settings value file. The input becomes the value of every
// setting the recorder reads, in a private settings tree, and every typed
// reader runs over it: each must answer (an unreadable value reads as the
// setting's default) without an internal error, and what it answers must lie
// within the setting's range.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzzSupport.h"
#include "hwnd.h"
#include "pstr.h"
#include "recorderSession.h"
#include "regWithoutKeyname.h"
#include "report.h"
#include "sndDevicesMp3BitRates.h"

namespace {

int reports = 0;

// The key paths the readers take, below the per-user and the machine-wide root.
const char* const kUserKeys[] = {
    "SOFTWARE/Tobrel/2/500/session/window_xmin",
    "SOFTWARE/Tobrel/2/500/session/window_ymin",
    "SOFTWARE/Tobrel/2/500/session/always_on_top",
    "SOFTWARE/Tobrel/2/500/session/auto_segment",
    "SOFTWARE/Tobrel/2/500/session/volume",
    "SOFTWARE/Tobrel/2/500/session/max_short_file_duration",
    "SOFTWARE/Tobrel/2/500/session/save_as_type",
    "SOFTWARE/Tobrel/2/500/session/num_channels",
    "SOFTWARE/Tobrel/2/500/session/num_kbps",
    "SOFTWARE/Tobrel/2/500/session/date_last_used",
    "SOFTWARE/Tobrel/2/500/session/default_mp3_save_folder",
    "SOFTWARE/Tobrel/2/500/session/current_system_sound",
    "SOFTWARE/Tobrel/2/500/askEmail/askEmailDialogShown",
    "SOFTWARE/Tobrel/2/500/askEmail/email_address",
    "SOFTWARE/Tobrel/2/500/last_dynamic_update",
};
const char* const kMachineKeys[] = {
    "SOFTWARE/Tobrel/500/top_folder",          "SOFTWARE/Tobrel/500/date_installed",
    "SOFTWARE/Tobrel/500/subvendor",           "SOFTWARE/Tobrel/500/email_address",
    "SOFTWARE/Tobrel/500/web_service_address",
};

std::vector<std::string> valueFiles;

void addValueFiles(const std::string& root, const char* const* keys, size_t count) {
    for (size_t k = 0; k < count; ++k) {
        const std::string folder = root + "/" + keys[k];
        std::filesystem::create_directories(folder);
        valueFiles.push_back(folder + "/(default)");
    }
}

// A text setting as the readers hand it out: what fits the 1 024-byte buffer.
void checkText(const std::string& text) {
    FUZZ_CHECK(pstrIsUtf8(text));
    FUZZ_CHECK(pstrUtf16Length(text) <= REG_VALUE_BUFFER_BYTES / 2 - 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string& scratch = fuzzScratchFolder();
    setenv("XDG_CONFIG_HOME", (scratch + "/config").c_str(), 1);
    setenv("TOBREL_MACHINE_REGISTRY", (scratch + "/machine").c_str(), 1);
    addValueFiles(scratch + "/config/Tobrel/registry", kUserKeys, std::size(kUserKeys));
    addValueFiles(scratch + "/machine", kMachineKeys, std::size(kMachineKeys));
    reportSetSink([](const InternalError&) { ++reports; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const std::string& file : valueFiles) fuzzWriteFile(file, data, size);
    reports = 0;

    int x = 0, y = 0;
    FUZZ_CHECK(recorderSessionGetWindowPosition(x, y) == OKAY);
    FUZZ_CHECK(x >= kHwndCoordMin && x <= kHwndCoordMax && y >= kHwndCoordMin && y <= kHwndCoordMax);
    bool on = false;
    FUZZ_CHECK(recorderSessionGetAlwaysOnTop(on) == OKAY);
    FUZZ_CHECK(recorderSessionGetAutoSegment(on) == OKAY);
    double volume = 0;
    FUZZ_CHECK(recorderSessionGetVolume(volume) == OKAY);
    FUZZ_CHECK(std::isfinite(volume));
    int value = 0;
    FUZZ_CHECK(recorderSessionGetMaxShortFileDuration(value) == OKAY && value >= 0);
    FUZZ_CHECK(recorderSessionGetSaveAsType(value) == OKAY && (value == 1 || value == 2));
    FUZZ_CHECK(recorderSessionGetNumChannels(value) == OKAY && (value == 1 || value == 2));
    FUZZ_CHECK(recorderSessionGetNumKbps(value) == OKAY && sndDevicesIsMp3BitRate(value));
    bool present = false;
    long seconds = 0;
    FUZZ_CHECK(recorderSessionGetDateLastUsed(present, seconds) == OKAY);
    FUZZ_CHECK(recorderSessionGetLastDynamicUpdate(present, seconds) == OKAY);
    FUZZ_CHECK(recorderSessionGetDateInstalled(present, seconds) == OKAY);
    std::string text;
    FUZZ_CHECK(recorderSessionGetDefaultMp3SaveFolder(text) == OKAY);
    checkText(text);
    text.clear();
    FUZZ_CHECK(recorderSessionGetCurrentSystemSound(present, text) == OKAY);
    checkText(text);
    recorderAskEmail email;
    FUZZ_CHECK(recorderSessionGetAskEmail(email) == OKAY);
    checkText(email.emailAddress);
    FUZZ_CHECK(recorderSessionGetSubvendor(value) == OKAY);
    FUZZ_CHECK(recorderSessionGetInstallEmailAddress(text) == OKAY);
    checkText(text);
    FUZZ_CHECK(recorderSessionGetWebServiceAddress(text) == OKAY && !text.empty());
    checkText(text);
    FUZZ_CHECK(reports == 0);
    // The installation folder has no default: an empty or unreadable one is
    // the internal error start-up reports, never anything worse.
    if (recorderSessionGetTopFolder(text) == OKAY) checkText(text);
    return 0;
}
