// RecorderApp: the application's single state record, owned by the
// user-interface thread. Start-up resets and fills it, every handling of the
// main window reads and writes it, and shutdown releases what it holds, each
// object at most once (its field is cleared on release, so a second shutdown
// finds nothing to release).
//
// The record is made of named groups, each with its start values as member
// initialisers; start-up step 0 resets every group but `services` by
// assigning a fresh one (the web group, which owns threads, by its own reset).
// A feature keeps its state in one group of its own.
//
// Engine threads never touch this record; the window learns of the engine's
// progress by polling in the timer tick.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "recorderFaults.h"
#include "recorderFindSongsState.h"
#include "recorderItunesState.h"
#include "recorderMainSkin.h"
#include "recorderPlayerNamingState.h"
#include "recorderSaveState.h"
#include "recorderUndoDelete.h"
#include "recorderWeb.h"
#include "sndDevicesContext.h"

class AudioDevices;
class Browser;
class CDerivedSlout1;
class FolderPicker;
class ItunesAutomation;
class MediaPlayers;
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

// What the process start (or a test) gives before the window is created;
// start-up leaves it alone.
struct RecorderServices {
    AudioDevices* audioDevices = nullptr;          // the computer's outputs for the engine
    ModalMessageDialog* dialog = nullptr;          // the modal message dialog
    Browser* browser = nullptr;                    // opens pages in the default browser
    ItunesAutomation* itunesAutomation = nullptr;  // reaches iTunes (none: iTunes cannot be started)
    MediaPlayers* mediaPlayers = nullptr;          // the desktop's media players (none: not followed)
    FolderPicker* folderPicker = nullptr;          // the picker of "Browse..." (none: the desktop's own)
    std::string skinsFolderOverride;               // tests: a skins folder instead of top_folder/Skins
};

// The subsystems start-up creates and shutdown releases, in that order.
struct RecorderOwned {
    std::unique_ptr<CDerivedSlout1> trace;
    sndDevicesContext* engine = nullptr;  // points at engineRecord while the engine runs
    std::unique_ptr<recCache> cacheDb;
    std::unique_ptr<Skin> skin;
    QPointer<QTreeWidget> listView;  // a child of the main window
    std::unique_ptr<ptListView> listCtrl;
    QPointer<QWidget> tooltip;
};

// The program's modes and switches.
struct RecorderModes {
    bool verbose = false;        // tracing is on
    bool engineless = false;     // start-up went on without an audio engine
    bool recordMode = false;     // on: record mode, off: playback mode
    bool hideShort = false;      // tracks not longer than max_short_file_duration are hidden
    bool scramble = false;       // cache files are scrambled ("tmp" rather than "wav")
    bool firstRun = true;        // first start since installation
    bool updateDue = false;      // an announcement/dynamic-update fetch is due
    bool soundSilenced = false;  // this program silenced the default sound
    // Set at step 16, once the window has its place: a start-up that failed
    // earlier must not save the position of a window that was never placed.
    bool savePosition = false;
};

// The transport: what the play button shows, what the engine has loaded.
struct RecorderTransportState {
    int playingTrack = kRecorderNoTrack;  // the loaded track's id
    bool playing = false;                 // a track shows as playing
    bool loaded = false;                  // a track is loaded in the engine
    bool recordSuspended = false;         // record mode was switched off for playback and is to come back
};

// The main window's bookkeeping.
struct RecorderWindowState {
    QPointer<RecorderMainWindow> mainWindow;
    int timerId = 0;                              // the 100 ms main timer, 0 when stopped
    bool inTimerTick = false;                     // a tick is running (a message box inside it pumps events)
    int lastIndicator = 0;                        // the recording indicator the last tick saw
    int recordFlashFrame = kSkinIndicatorFrame1;  // the recording indicator's current frame key
    bool trackingMouse = false;                   // a mouse-leave notification has been requested
    // Where the pointer was last seen over the window, so that a button whose
    // state changes shows the hover face of its new state at once.
    bool pointerInside = false;
    QPoint pointer;
    // The level bar's reach (0.0 to 1.0), and the name of the loaded track as
    // the display shows it (for the track id, -100: none worked out yet).
    float meterLevel = 0.0f;
    std::string playingName;
    int playingNameId = kRecorderNoTrack;
    // Dragging the caption-less window by its skin background.
    bool movingWindow = false;
    QPoint moveAnchor;  // pointer position (global) where the drag started
    QPoint moveOrigin;  // window position where the drag started
};

// The track list's bookkeeping.
struct RecorderListState {
    std::string lastRecordingName;  // last finished recording the list has taken in
};

struct RecorderApp {
    RecorderApp();
    ~RecorderApp();
    RecorderApp(const RecorderApp&) = delete;
    RecorderApp& operator=(const RecorderApp&) = delete;

    RecorderServices services;
    RecorderOwned owned;
    RecorderModes modes;
    RecorderTransportState transport;
    RecorderWindowState window;
    RecorderListState list;
    RecorderWebState web;              // the web connection, its side jobs and the modeless message window
    RecorderItunesState itunes;        // the iTunes export's lookups of this run
    RecorderFindSongsState findSongs;  // the YouTube Wizard and its naming queue
    RecorderFaultsState faults;        // the engine's faults the user has been told of
    RecorderPlayerNamingState
        playerNaming;        // the desktop's media players and the names they give the recordings
    RecorderSaveState save;  // saving and the track dialogs
    RecorderUndoState undo;  // the deleted tracks that can still come back

    // Test hook: told the number of each timer-tick step before it runs.
    std::function<void(int step)> onTimerStep;

    // The engine's state record; owned.engine points at it from start-up step 12.
    std::unique_ptr<sndDevicesContext> engineRecord;

    // The main window itself. Declared last so that it goes first, while the
    // rest of the record is still whole.
    std::unique_ptr<RecorderMainWindow> windowOwner;
};

// Resets the state record to its start values (start-up step 0): every group
// but the services, and the main window stays.
void recorderAppReset(RecorderApp& app);

// The cache scramble key the modes ask for: kSndScrambleKey with `scramble` on, else 0.
uint16_t recorderScrambleKey(const RecorderApp& app);
