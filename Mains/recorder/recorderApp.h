// RecorderApp: the application's single state record, owned by the
// user-interface thread. Start-up resets and fills it, every handling of the
// main window reads and writes it, and shutdown releases what it holds, each
// object at most once (its field is cleared on release, so a second shutdown
// finds nothing to release).
//
// Engine threads never touch this record; the window learns of the engine's
// progress by polling in the timer tick.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "recorderFindSongsState.h"
#include "recorderItunesState.h"
#include "recorderSaveState.h"
#include "recorderWeb.h"
#include "sndDevicesContext.h"

class AudioDevices;
class Browser;
class ItunesAutomation;
class CDerivedSlout1;
class ModalMessageDialog;
class QTreeWidget;
class RecorderMainWindow;
struct Skin;
struct ptListView;
struct recCache;

// Which track is loaded for playback: none.
constexpr int kRecorderNoTrack = -100;
// The item data of the row of the recording in progress.
constexpr long kRecorderRecordingRow = 2147483647;

struct RecorderApp {
    RecorderApp();
    ~RecorderApp();
    RecorderApp(const RecorderApp&) = delete;
    RecorderApp& operator=(const RecorderApp&) = delete;

    // --- given by the process start (or a test) before the window is created
    AudioDevices* audioDevices = nullptr;          // the computer's outputs for the engine
    ModalMessageDialog* dialog = nullptr;          // the modal message dialog
    Browser* browser = nullptr;                    // opens pages in the default browser
    ItunesAutomation* itunesAutomation = nullptr;  // reaches iTunes (none: iTunes cannot be started)
    std::string skinsFolderOverride;               // tests: a skins folder instead of top_folder/Skins

    // --- the state record proper (reset by start-up step 0)
    QPointer<RecorderMainWindow> mainWindow;
    bool verbose = false;
    std::unique_ptr<CDerivedSlout1> trace;
    sndDevicesContext* engine = nullptr;  // points at engineRecord while the engine runs
    bool engineless = false;
    std::unique_ptr<recCache> cacheDb;
    RecorderWebState web;  // the web connection, its side jobs and the modeless message window
    std::unique_ptr<Skin> skin;
    QPointer<QTreeWidget> listView;
    std::unique_ptr<ptListView> listCtrl;
    QPointer<QWidget> tooltip;
    bool recordMode = false;
    bool hideShort = false;
    bool scramble = false;
    bool firstRun = true;
    bool updateDue = false;
    bool soundSilenced = false;
    bool savePosition = true;
    bool trackingMouse = false;
    int playingTrack = kRecorderNoTrack;  // the loaded track's id
    // Transport flags: a track shows as playing, a track is loaded in the
    // engine, record mode was switched off for playback and is to come back.
    bool playing = false;
    bool loaded = false;
    bool recordSuspended = false;
    int lastIndicator = 0;
    RecorderItunesState itunes;  // the iTunes export's lookups of this run

    // The YouTube Wizard and its naming queue.
    RecorderFindSongsState findSongs;

    // --- window-layer bookkeeping
    int timerId = 0;                // the 100 ms main timer, 0 when stopped
    bool inTimerTick = false;       // a tick is running (a message box inside it pumps events)
    std::string lastRecordingName;  // last finished recording the track list has taken in
    int recordFlashFrame = 0;       // the recording indicator's current frame key
    // Dragging the caption-less window by its skin background.
    bool movingWindow = false;
    QPoint moveAnchor;  // pointer position (global) where the drag started
    QPoint moveOrigin;  // window position where the drag started

    // Saving and the track dialogs.
    RecorderSaveState save;

    // Test hook: told the number of each timer-tick step before it runs.
    std::function<void(int step)> onTimerStep;

    // The engine's state record; `engine` points at it from start-up step 12.
    std::unique_ptr<sndDevicesContext> engineRecord;

    // The main window itself. Declared last so that it goes first, while the
    // rest of the record is still whole.
    std::unique_ptr<RecorderMainWindow> windowOwner;
};

// Resets the state record to its start values (start-up step 0); leaves the
// objects given by the process start alone.
void recorderAppReset(RecorderApp& app);
