// Saving one track into iTunes (recorderItunes), in the first of two ways that
// works:
//
//   1. the drop folder: iTunes imports by itself whatever lands in the
//      "Automatically Add to iTunes" folder of its media folder, so the track
//      is written there as a tagged MP3;
//   2. automation: the track is written as a plain WAV into the Temp folder,
//      iTunes converts it with the user's own import settings, the converted
//      track gets the full set of details with the recorder's title, artist,
//      album, genre and comment, iTunes converts it once more (so the final
//      file carries those details), and the intermediate track and its file
//      are removed.
//
// Neither worked: the user is told the track was not saved. Everything runs on
// the user-interface thread with the wait cursor shown; files the export makes
// in the Temp folder are removed on every way out.
#include "recorderItunes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "File.h"
#include "itunesSdk.h"
#include "itunesSdkGet.h"
#include "itunesSdkPaths.h"
#include "itunesSdkSet.h"
#include "itunesSdkUtils.h"
#include "pstr.h"
#include "recorderApp.h"
#include "recorderDlgMsgModal.h"
#include "recorderItunesState.h"
#include "recorderMainWindow.h"
#include "recorderPaths.h"
#include "recorderSession.h"
#include "report.h"
#include "sndDevicesMp3.h"
#include "sndDevicesWavToiTunesWav.h"
#include "songDetails.h"

static constexpr const char* kReportModule = "./itunes/recorderItunes";

int recorderItunesRegisterMessage(std::string_view name, unsigned& id) {
    static std::map<std::string, unsigned, std::less<>> registered;
    const auto found = registered.find(name);
    if (found != registered.end()) {
        id = found->second;
        return OKAY;
    }
    const int type = QEvent::registerEventType();
    if (type < 0) return REPORT_ERR();
    id = static_cast<unsigned>(type);
    registered.emplace(std::string(name), id);
    return OKAY;
}

namespace {

// The main window as the window that hears of iTunes' events.
class MainWindowForItunes : public itunesSdkWindow {
  public:
    explicit MainWindowForItunes(RecorderApp& app) : app_(app) {}
    int registerMessage(std::string_view name, unsigned& id) override {
        return recorderItunesRegisterMessage(name, id);
    }
    void sendMessage(unsigned id) override {
        if (!app_.window.mainWindow) return;
        QEvent event(static_cast<QEvent::Type>(id));
        QCoreApplication::sendEvent(app_.window.mainWindow, &event);
    }

  private:
    RecorderApp& app_;
};

// The wait cursor while the export works; put away before a message shows.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void restore() {
        if (shown_) QApplication::restoreOverrideCursor();
        shown_ = false;
    }

  private:
    bool shown_ = true;
};

// Files of the export in the Temp folder, removed when it ends however it ends.
class TempFiles {
  public:
    TempFiles() = default;
    ~TempFiles() {
        for (const std::string& path : paths_) std::remove(path.c_str());
    }
    TempFiles(const TempFiles&) = delete;
    TempFiles& operator=(const TempFiles&) = delete;
    void add(const std::string& path) {
        if (!path.empty()) paths_.push_back(path);
    }

  private:
    std::vector<std::string> paths_;
};

// The iTunes context of one export; released (iTunes left running) at the end.
struct ItunesSession {
    explicit ItunesSession(RecorderApp& app) : window(app) {}
    ~ItunesSession() { itunesSdkRelease(context, false); }
    MainWindowForItunes window;
    std::unique_ptr<itunesSdkContext> context;
};

struct TrackTexts {
    const std::string& title;
    const std::string& artist;
    const std::string& album;
    const std::string& genre;
    const std::string& comment;
};

ItunesAutomation& automationOf(RecorderApp& app) {
    static ItunesUnavailable unavailable;
    return app.services.itunesAutomation != nullptr ? *app.services.itunesAutomation : unavailable;
}

int showMessage(RecorderApp& app, const char* text) {
    bool confirmed = false;
    return recorderDlgMsgModal(app, text, false, confirmed);
}

// iTunes' drop folder, as this run knows it (see recorderItunesState.h).
int findDropFolder(RecorderApp& app, std::string& dropFolder, bool& found) {
    found = false;
    RecorderItunesState& state = app.itunes;
    if (!state.dropFolderConfirmed) {
        if (state.musicFolderLookedUp) return OKAY;
        state.musicFolderLookedUp = true;
        bool known = false;
        REPORT_CHECK(itunesSdkPathsMusicFolder(state.musicFolder, kItunesSdkPathCapacity, known));
        if (!known) {
            state.musicFolder.clear();
            return OKAY;
        }
        pstrStripTrailingSlash(state.musicFolder);
    }
    dropFolder = state.musicFolder + "/" + kRecorderItunesDropFolder;
    if (!FileIsFolder(dropFolder)) return OKAY;
    state.dropFolderConfirmed = true;
    found = true;
    return OKAY;
}

// The drop folder. saved stays clear when there is none or writing there failed.
int saveIntoDropFolder(RecorderApp& app, const TrackTexts& texts, const std::string& baseName, bool& saved) {
    saved = false;
    std::string dropFolder;
    bool found = false;
    REPORT_CHECK(findDropFolder(app, dropFolder, found));
    if (!found) return OKAY;

    const std::string mp3Path = dropFolder + "/" + baseName + ".mp3";
    WaitCursor cursor;
    int status = 0;
    REPORT_CHECK(sndDevicesManageFinalMP3Creation(*app.owned.engine, texts.title, texts.artist, texts.album,
                                                  texts.genre, texts.comment, baseName, mp3Path, status));
    saved = status == kMp3StatusOk;
    return OKAY;
}

// Steps of the automation import once iTunes is up: convert the WAV, give the
// new track the full details, convert it again, drop the intermediate track.
int importThroughItunes(itunesSdkContext* context, const TrackTexts& texts, const std::string& wavPath,
                        int32_t durationMs, const std::string& tempFolder, TempFiles& tempFiles, bool verbose,
                        CSlout* trace) {
    itunesSdkTrackIds intermediate, finalTrack;
    REPORT_CHECK(itunesSdkUtilsConvertAndImportFile(context, wavPath, durationMs, intermediate));

    std::unique_ptr<songDetails> record;
    REPORT_CHECK(songDetailsInit(record, verbose ? 1 : 0, trace));
    // The artwork saved while reading is of no further use (iTunes keeps the
    // picture in the track itself).
    for (int32_t format : {kItArtworkJpeg, kItArtworkPng, kItArtworkBmp}) {
        std::string artwork;
        if (itunesSdkGetArtworkPath(tempFolder, format, artwork)) tempFiles.add(artwork);
    }
    REPORT_CHECK(itunesSdkGetSongDetails(context, intermediate, tempFolder, record.get()));
    const std::string location = record->location;
    REPORT_CHECK(songDetailsSetName(record.get(), texts.title));
    REPORT_CHECK(songDetailsSetAlbum(record.get(), texts.album));
    REPORT_CHECK(songDetailsSetArtist(record.get(), texts.artist));
    REPORT_CHECK(songDetailsSetGenre(record.get(), texts.genre));
    REPORT_CHECK(songDetailsSetComment(record.get(), texts.comment));
    REPORT_CHECK(itunesSdkSetTrackInfoFromSongDetails(context, intermediate, record.get()));
    REPORT_CHECK(itunesSdkUtilsConvertAndImportTrack(context, intermediate, durationMs, finalTrack));
    REPORT_CHECK(itunesSdkUtilsDeleteTrack(context, intermediate));
    if (!location.empty()) REPORT_CHECK(FileDeleteIfPresent(location, trace));
    REPORT_CHECK(songDetailsFreeTexts(record.get()));
    return OKAY;
}

// The automation import. saved stays clear when the WAV cannot be made or
// iTunes cannot be started (the user has then been told why).
int saveThroughAutomation(RecorderApp& app, const TrackTexts& texts, const std::string& baseName,
                          bool& saved) {
    saved = false;
    std::string tempFolder;
    REPORT_CHECK(recorderPaths(RECORDER_PATH_TEMP, tempFolder));
    bool created = false;
    REPORT_CHECK(FileCreateFolderPath(tempFolder, app.owned.trace.get(), created));
    if (!created) return OKAY;
    const std::string wavPath = tempFolder + "/" + kRecorderItunesWavName;
    int channels = 2;
    REPORT_CHECK(recorderSessionGetNumChannels(channels));

    TempFiles tempFiles;
    tempFiles.add(wavPath);
    WaitCursor cursor;
    int32_t durationMs = 0;
    int status = 0;
    REPORT_CHECK(sndDevicesWavToiTunesWav(*app.owned.engine, channels == 1, true,
                                          sndDevicesSettingsNow(*app.owned.engine)->scrambleKey, baseName,
                                          wavPath, durationMs, status));
    if (status != kMp3StatusOk) return OKAY;

    ItunesSession session(app);
    bool ok = false;
    REPORT_CHECK(itunesSdkInit(session.context, &session.window, ok, app.modes.verbose ? 1 : 0,
                               app.owned.trace.get(), &automationOf(app)));
    if (!ok) {
        REPORT_CHECK(itunesSdkRelease(session.context, false));
        cursor.restore();
        REPORT_CHECK(showMessage(app, kMsgUnableToStartItunes));
        return OKAY;
    }
    REPORT_CHECK(importThroughItunes(session.context.get(), texts, wavPath, durationMs, tempFolder, tempFiles,
                                     app.modes.verbose, app.owned.trace.get()));
    REPORT_CHECK(itunesSdkRelease(session.context, false));
    saved = true;
    return OKAY;
}

}  // namespace

int recorderItunesOffered(RecorderApp& app, bool& offered) {
    offered = false;
    std::string dropFolder;
    REPORT_CHECK(findDropFolder(app, dropFolder, offered));
    if (!offered) offered = automationOf(app).serverInstalled(kItClsidITunesApp);
    return OKAY;
}

int recorderItunes(RecorderApp& app, const std::string& title, const std::string& artist,
                   const std::string& album, const std::string& genre, const std::string& comment,
                   const std::string& baseName, bool& saved) {
    saved = false;
    // Tracks exist only where the engine runs.
    if (app.owned.engine == nullptr || baseName.empty()) return REPORT_ERR();
    const TrackTexts texts{title, artist, album, genre, comment};
    REPORT_CHECK(saveIntoDropFolder(app, texts, baseName, saved));
    if (!saved) REPORT_CHECK(saveThroughAutomation(app, texts, baseName, saved));
    if (!saved) REPORT_CHECK(showMessage(app, kMsgUnableToSaveIntoItunes));
    return OKAY;
}
