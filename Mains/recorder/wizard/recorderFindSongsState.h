// The YouTube Wizard's part of the application state: the dialog, its page's
// progress, the recording switches it put aside, the browser showing the page
// and the naming queue the track list reads.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "recorderNamingQueue.h"
#include "sdkWebBrowser.h"

struct RecorderFindSongsState {
    QPointer<QWidget> wizard;  // the wizard dialog; null when there is none
    bool wizardOpen = false;   // a wizard dialog exists (shown or hidden)
    bool hidden = false;       // closed after its page loaded: kept for the next open
    bool pageLoaded = false;   // the page said it loaded (message 7)
    long loadStart = 0;        // when the page load started, in whole seconds; 0 before
    bool paused = false;       // the page reported a pause (message 4)
    bool savedRecordMode = false;
    bool savedAutoSegment = false;
    sdkWebBrowserHandle browser;
    RecorderNamingQueue namingQueue;

    // Given by the process start or a test; the reset keeps them.
    std::function<long()> clock;  // now, in whole seconds; empty: the system clock
    std::string viewLibrary;      // the browser's view library; empty: the one beside the program
};

// Clears the state (start-up step 0), keeping the clock and the library.
void recorderFindSongsStateReset(RecorderFindSongsState& state);
