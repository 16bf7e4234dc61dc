// save-all benchmark program.
//   prepare <plain.wav> <cache folder> <tracks> <encoder.so>
//        writes one 3-minute cache track and its pre-encoded companion, then
//        copies both as <tracks> tracks of their own (not timed)
//   save <skins folder> <save folder> <rounds>
//        starts the recorder on the profile of $HOME (offscreen, without
//        outputs; the cache database is built from the cache files), then
//        saves all tracks <rounds> times through the save flow (kind 2: the
//        multiple-tracks dialog, answered with OK), emptying the save folder
//        before each round; prints each round's seconds
// The script times cp of the same companion files beside it.
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "CSlout.h"
#include "benchCacheTrack.h"
#include "recorderApp.h"
#include "recorderDlgSaveMultipleTracks.h"
#include "recorderInit.h"
#include "recorderMainWindow.h"
#include "recorderSave.h"
#include "recorderSession.h"
#include "recorderTimer.h"
#include "report.h"
#include "scriptedDevices.h"
#include "sndDevicesMp3.h"
#include "sndDevicesNames.h"

namespace fs = std::filesystem;

namespace {

// Messages (the count of saved tracks) are noted, not shown.
class QuietMessages : public ModalMessageDialog {
  public:
    int show(std::string_view text, bool, bool& confirmed) override {
        last = text;
        confirmed = true;
        return OKAY;
    }
    std::string last;
};

int prepare(const std::string& wav, const std::string& folder, int tracks, const std::string& library) {
    fs::create_directories(folder);
    const std::string first = "1291648000_180000_1";
    const std::string track = sndDevicesAudioPath(folder, first, kSndScrambleKey);
    if (!benchMakeCacheTrack(wav, track)) return 1;
    sndDevicesMp3Job job =
        benchSaveJob(track, sndDevicesCompanionPath(folder, first, kSndScrambleKey), library);
    job.scrambleOutput = 1;
    sndDevicesContext context;
    if (sndDevicesWavToMP3(context, job) != OKAY || job.status != 0) return 1;
    for (int i = 2; i <= tracks; ++i) {
        const std::string base = std::to_string(1291648000 + 200 * i) + "_180000_" + std::to_string(i);
        fs::copy_file(track, sndDevicesAudioPath(folder, base, kSndScrambleKey));
        fs::copy_file(sndDevicesCompanionPath(folder, first, kSndScrambleKey),
                      sndDevicesCompanionPath(folder, base, kSndScrambleKey));
    }
    return 0;
}

int save(const std::string& skins, const std::string& saveFolder, int rounds) {
    int argc = 1;
    char name[] = "bench_save_all";
    char* argv[] = {name, nullptr};
    QApplication qtApp(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ScriptedDevices noOutputs;
    QuietMessages messages;
    RecorderApp app;
    app.services.audioDevices = &noOutputs;
    app.services.dialog = &messages;
    app.services.skinsFolderOverride = skins;
    // A profile past its first starts: the e-mail question was answered.
    if (recorderSessionSetAskEmail({1, "done@example.org", 1}) != OKAY ||
        recorderSessionSetRemoveAfterSave(false) != OKAY || recorderSessionSetUseSubfolders(false) != OKAY ||
        recorderSessionSetDefaultMp3SaveFolder(saveFolder) != OKAY || recorderCreateMainWindow(app) != OKAY ||
        !app.owned.cacheDb) {
        std::fprintf(stderr, "the recorder did not start\n");
        return 1;
    }
    recorderKillTimer(app);
    // OK in the multiple-tracks dialog as soon as it is up.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->windowTitle() == kDlgSaveMultipleCaption)
            if (auto* ok = modal->findChild<QPushButton*>(kSaveMultipleOk)) ok->click();
    });
    answer.start(0);
    int result = 0;
    for (int round = 0; round < rounds && result == 0; ++round) {
        fs::remove_all(saveFolder);
        fs::create_directories(saveFolder);
        const auto start = std::chrono::steady_clock::now();
        const int saved = recorderSave(app, kSaveAll);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (saved != OKAY || messages.last.find("successfully saved") == std::string::npos) {
            std::fprintf(stderr, "the save failed: %s\n", messages.last.c_str());
            result = 1;
        }
        messages.last.clear();
        std::printf("%.6f\n", elapsed.count());
        std::fflush(stdout);
    }
    recorderShutdown(app);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "prepare" && argc == 6) return prepare(argv[2], argv[3], std::stoi(argv[4]), argv[5]);
    if (mode == "save" && argc == 5) return save(argv[2], argv[3], std::stoi(argv[4]));
    std::fprintf(stderr, "usage: %s prepare WAV FOLDER TRACKS LIBRARY | save SKINS FOLDER ROUNDS\n", argv[0]);
    return 2;
}
