// Mouse input of the main window: which hotspot does what, the knob drags and
// the pointer-leave tracking.
//
// The volume follows its knob while it is dragged; the play position moves
// only when the knob is let go, since seeking on every pointer movement would
// stutter. A drag ends at the next button release wherever it happens: the
// window holds the pointer while the button is down.
#include "recorderMainInput.h"

#include <charconv>
#include <cstdio>

#include "recorderApp.h"
#include "recorderDlgRename.h"
#include "recorderFaults.h"
#include "recorderInit.h"
#include "recorderMainDisplay.h"
#include "recorderMainMenu.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderPlayPosition.h"
#include "recorderSave.h"
#include "recorderSeams.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "recorderTimer.h"
#include "recorderTransport.h"
#include "report.h"
#include "skin.h"
#include "sndDevicesEngine.h"
#include "sndDevicesPlay.h"

static constexpr const char* kReportModule = "./recorderMainInput";

namespace {

// The user's choice of mode replaces a suspension for playback: record mode
// must not come back by itself at the end of a later track.
int toggleRecordMode(RecorderApp& app) {
    if (app.transport.playing) REPORT_CHECK(recorderTransportStop(app, false));
    app.transport.recordSuspended = false;
    // Record mode that waits for an output shows as off; a click asks for it
    // again, and the user hears why nothing records.
    if (app.modes.recordMode && !recorderFaultsRecordShown(app)) {
        recorderFaultsTell(app, kMsgNoSoundOutput);
        return OKAY;
    }
    REPORT_CHECK(recorderSetRecordMode(app, !app.modes.recordMode));
    return OKAY;
}

int toggleHideShort(RecorderApp& app) {
    REPORT_CHECK(recorderSetHideShort(app, !app.modes.hideShort));
    REPORT_CHECK(recorderSongListFill(app));
    return OKAY;
}

int toggleAutoSegment(RecorderApp& app) {
    bool autoSegment = true;
    REPORT_CHECK(recorderSessionGetAutoSegment(autoSegment));
    REPORT_CHECK(recorderSetAutoSegment(app, !autoSegment));
    return OKAY;
}

// The new-track hotspot acts only while its button is shown (a recording
// runs with auto segment off). A click on the hidden button would otherwise
// arm the recorder in playback mode, even under a playing track.
int newTrackIfShown(RecorderApp& app) {
    int shown = 0;
    REPORT_CHECK(skinComponentGetValue(app.owned.skin.get(), kSkinNewTrack, shown));
    if (shown != 0) REPORT_CHECK(recorderMainNewTrack(app));
    return OKAY;
}

}  // namespace

int recorderMainHotspotAction(RecorderApp& app, int hotspot, int x, int y) {
    switch (hotspot) {
        case kSkinHotMenu:
            return recorderMainMenu(app);
        case kSkinHotLogo:
            return recorderMainOpenPage(app, kRecorderPageLogo);
        case kSkinHotRecordMode:
            return toggleRecordMode(app);
        case kSkinHotHideShort:
            return toggleHideShort(app);
        case kSkinHotAutoSegment:
            return toggleAutoSegment(app);
        case kSkinHotDelete:
            return recorderSongListDelete(app);
        case kSkinHotSave:
            return recorderSaveButton(app, x, y);
        case kSkinHotPrevious:
            return recorderTransportPrevious(app);
        case kSkinHotNext:
            return recorderTransportNext(app);
        case kSkinHotPlayPause:
            return recorderTransportPlayPause(app);
        case kSkinHotNewTrack:
            return newTrackIfShown(app);
        case kSkinHotRename:
            return recorderDlgRename(app);
        case kSkinHotFindSongs:
            return recorderDlgFindSongsOpen(app);
        case kSkinHotMinimise:
            if (!app.window.mainWindow) return REPORT_ERR();
            app.window.mainWindow->showMinimized();
            return OKAY;
        case kSkinHotClose:
            return recorderMainQuit(app);
        default:
            return OKAY;
    }
}

std::string recorderProductVersionText() {
    // Without the user's locale, which could make the decimal point a comma.
    char version[32];
    const auto done = std::to_chars(version, version + sizeof version - 1, kRecorderProductVersion,
                                    std::chars_format::fixed, 3);
    *done.ptr = '\0';
    return version;
}

std::string recorderMainPageAddress(const std::string& service, const char* directive, int vendor,
                                    int subvendor) {
    char address[512];
    std::snprintf(address, sizeof address,
                  "%s/%s/%s/?directive=%s&vendor=%d&subvendor=%d&plus=%d&product_version=%s", service.c_str(),
                  "fromPlayer", "redirect", directive, vendor, subvendor, 1,
                  recorderProductVersionText().c_str());
    return address;
}

int recorderMainOpenPage(RecorderApp& app, const char* directive) {
    int subvendor = 0, vendor = 0;
    REPORT_CHECK(recorderProductCodes(subvendor, vendor));
    std::string service;
    REPORT_CHECK(recorderSessionGetWebServiceAddress(service));
    REPORT_CHECK(
        recorderMainWindowOpenPage(app, recorderMainPageAddress(service, directive, vendor, subvendor)));
    return OKAY;
}

int recorderMainQuit(RecorderApp& app) {
    if (!app.window.mainWindow) return REPORT_ERR();
    app.window.mainWindow->close();
    return OKAY;
}

int recorderMainNewTrack(RecorderApp& app) {
    if (!app.owned.engine) return REPORT_ERR();
    app.modes.recordMode = false;
    int result = 0;
    REPORT_CHECK(sndDevicesSetRecordState(*app.owned.engine, kSndRecordDisarm, result));
    REPORT_CHECK(recorderUpdateRecordModeButton(app));
    REPORT_CHECK(recorderSetRecordMode(app, true));
    return OKAY;
}

int recorderMainMouseMove(RecorderApp& app, int x, int y) {
    // The window system reports the pointer leaving once it is asked to; Qt
    // always reports it, so asking is only noting it.
    if (!app.window.trackingMouse) app.window.trackingMouse = true;
    app.window.pointerInside = true;
    app.window.pointer = QPoint(x, y);
    // Without a main skin there is nothing to hover or drag.
    if (!app.owned.skin) return OKAY;
    REPORT_CHECK(recorderMainHover(app, x, y));
    bool down = false;
    REPORT_CHECK(skinMouseButtonDown(1, down));
    if (!down) return OKAY;
    int dragged = -1;
    REPORT_CHECK(skinSliderGetDrag(app.owned.skin.get(), dragged));
    if (dragged != kSkinSliderVolume && dragged != kSkinSliderPosition) return OKAY;
    float value = 0.0f;
    REPORT_CHECK(skinSliderXToValue(app.owned.skin.get(), dragged, x, value));
    if (dragged == kSkinSliderVolume) {
        if (!app.owned.engine) return REPORT_ERR();
        REPORT_CHECK(sndDevicesPlaySetGain(*app.owned.engine, value));
    }
    REPORT_CHECK(skinSliderSetValue(app.owned.skin.get(), app.window.mainWindow.data(), dragged, value));
    return OKAY;
}

int recorderMainLButtonDown(RecorderApp& app, int x, int y) {
    if (!app.owned.skin) return OKAY;
    Skin* skin = app.owned.skin.get();
    int hotspot = -1;
    REPORT_CHECK(skinHotspotHitTest(skin, x, y, hotspot));
    if (hotspot != -1) {
        REPORT_CHECK(recorderMainHotspotAction(app, hotspot, x, y));
        return OKAY;
    }
    int knob = -1;
    REPORT_CHECK(skinSliderHitTest(skin, x, y, knob));
    if (knob == kSkinSliderVolume || knob == kSkinSliderPosition) {
        REPORT_CHECK(skinSliderSetDrag(skin, knob, x, y));
        return OKAY;
    }
    // A press on the groove beside the knob brings the knob there and goes on
    // as a drag of it: the volume changes at once, the play position when the
    // button is let go. A hidden knob (nothing loaded) is not moved.
    int track = -1;
    REPORT_CHECK(skinSliderTrackHitTest(skin, x, y, track));
    if (track != kSkinSliderVolume && track != kSkinSliderPosition) return OKAY;
    for (const SkinSlider& s : skin->sliders)
        if (s.key == track && s.enabled == 0) return OKAY;
    float value = 0.0f;
    REPORT_CHECK(skinSliderXToValue(skin, track, x, value));
    if (track == kSkinSliderVolume) {
        if (!app.owned.engine) return REPORT_ERR();
        REPORT_CHECK(sndDevicesPlaySetGain(*app.owned.engine, value));
    }
    REPORT_CHECK(skinSliderSetValue(skin, app.window.mainWindow.data(), track, value));
    REPORT_CHECK(skinSliderSetDrag(skin, track, x, y));
    return OKAY;
}

bool recorderMainOnBackground(RecorderApp& app, int x, int y) {
    if (!app.owned.skin) return true;
    int hotspot = -1, knob = -1, track = -1;
    if (skinHotspotHitTest(app.owned.skin.get(), x, y, hotspot) != OKAY) return false;
    if (skinSliderHitTest(app.owned.skin.get(), x, y, knob) != OKAY) return false;
    if (skinSliderTrackHitTest(app.owned.skin.get(), x, y, track) != OKAY) return false;
    return hotspot == -1 && knob == -1 && track == -1;
}

int recorderMainLButtonUp(RecorderApp& app, int x) {
    if (!app.owned.skin) return OKAY;
    int dragged = -1;
    REPORT_CHECK(skinSliderGetDrag(app.owned.skin.get(), dragged));
    if (dragged == kSkinSliderPosition) {
        float value = 0.0f;
        REPORT_CHECK(skinSliderXToValue(app.owned.skin.get(), kSkinSliderPosition, x, value));
        REPORT_CHECK(recorderPlayPositionSliderMoved(app, value));
        REPORT_CHECK(skinSliderSetValue(app.owned.skin.get(), app.window.mainWindow.data(),
                                        kSkinSliderPosition, value));
    }
    REPORT_CHECK(skinSliderSetDrag(app.owned.skin.get(), -1, -1, -1));
    return OKAY;
}

int recorderMainMouseLeave(RecorderApp& app) {
    app.window.trackingMouse = false;
    app.window.pointerInside = false;
    if (!app.owned.skin) return OKAY;
    REPORT_CHECK(recorderMainHover(app, 0, 0));
    return OKAY;
}
