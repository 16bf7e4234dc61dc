// The play time read-out and the position slider of the main window, and the
// seek the slider asks for.
//
// The read-out shows "stopped" while no track is loaded, else the position
// and the track's length ("0:24 / 3:00", both truncated to whole seconds);
// it is drawn only while a track is loaded. The slider follows the position,
// except while its knob is being dragged: the drag ends in a seek instead.
#include "recorderPlayPosition.h"

#include <charconv>
#include <cstdio>
#include <string>

#include "CSlout.h"
#include "recorderApp.h"
#include "recorderMainDisplay.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "report.h"
#include "skin.h"
#include "sndDevicesPlay.h"

static constexpr const char* kReportModule = "./recorderPlayPosition";

namespace {

int playTime(RecorderApp& app, int positionMs, int lengthMs) {
    const bool shown = app.transport.loaded;
    int value = 0;
    REPORT_CHECK(skinComponentGetValue(app.owned.skin.get(), kSkinTextPlayTime, value));
    if ((value != 0) != shown)
        REPORT_CHECK(skinComponentSetValue(app.owned.skin.get(), kSkinTextPlayTime, shown ? 1 : 0));
    const std::string text =
        shown ? recorderPlayTimeText(positionMs, lengthMs) : std::string(kRecorderTimeStopped);
    REPORT_CHECK(skinTextUpdate(app.owned.skin.get(), kSkinTextPlayTime, text, app.window.mainWindow.data()));
    return OKAY;
}

// Enabling or disabling a knob repaints nothing by itself; the knob's track is
// repainted here so that a knob never lingers after its track was closed.
int setSliderEnabled(RecorderApp& app, bool enabled) {
    Skin* skin = app.owned.skin.get();
    for (const SkinSlider& s : skin->sliders) {
        if (s.key != kSkinSliderPosition) continue;
        if ((s.enabled != 0) == enabled) return OKAY;
        REPORT_CHECK(skinSliderSetEnabled(skin, kSkinSliderPosition, enabled ? 1 : 0));
        REPORT_CHECK(skinRefreshSlider(skin, app.window.mainWindow.data(), kSkinSliderPosition));
        return OKAY;
    }
    return REPORT_ERR();
}

int slider(RecorderApp& app, int positionMs, int lengthMs) {
    if (!app.transport.loaded) {
        REPORT_CHECK(setSliderEnabled(app, false));
        return OKAY;
    }
    int dragged = -1;
    REPORT_CHECK(skinSliderGetDrag(app.owned.skin.get(), dragged));
    if (dragged == kSkinSliderPosition) return OKAY;
    const float value = lengthMs > 0 ? static_cast<float>(positionMs) / static_cast<float>(lengthMs) : 0.0f;
    REPORT_CHECK(
        skinSliderSetValue(app.owned.skin.get(), app.window.mainWindow.data(), kSkinSliderPosition, value));
    REPORT_CHECK(setSliderEnabled(app, true));
    return OKAY;
}

}  // namespace

std::string recorderPlayTimeText(long positionMs, long lengthMs) {
    return recorderTimeText(positionMs) + " / " + recorderTimeText(lengthMs);
}

int recorderPlayPositionSliderMoved(RecorderApp& app, float x) {
    if (!app.transport.loaded) return OKAY;
    if (!app.owned.engine) return REPORT_ERR();
    int playing = 0, positionMs = 0, lengthMs = 0;
    REPORT_CHECK(sndDevicesPlayStatus(*app.owned.engine, playing, positionMs, lengthMs));
    const long newPosition = static_cast<long>(static_cast<double>(lengthMs) * x);
    if (app.modes.verbose && app.owned.trace) {
        // As "%g" prints it, but with a decimal point whatever the user's locale.
        char value[32];
        *std::to_chars(value, value + sizeof value - 1, static_cast<double>(x), std::chars_format::general, 6)
             .ptr = '\0';
        char line[256];
        std::snprintf(
            line, sizeof line,
            "recorderPlayPositionSliderMoved(): r_new_relative_slider_value = %s, l_totalDurationMS = %ld, "
            "l_newFilePosMS = %ld",
            value, static_cast<long>(lengthMs), newPosition);
        app.owned.trace->messageA(1, line);
    }
    REPORT_CHECK(sndDevicesPlaySeek(*app.owned.engine, static_cast<int>(newPosition)));
    return OKAY;
}

int recorderPlayPositionUpdate(RecorderApp& app) {
    if (!app.owned.skin) return OKAY;
    if (!app.owned.engine) return REPORT_ERR();
    int playing = 0, positionMs = 0, lengthMs = 0;
    REPORT_CHECK(sndDevicesPlayStatus(*app.owned.engine, playing, positionMs, lengthMs));
    REPORT_CHECK(playTime(app, positionMs, lengthMs));
    REPORT_CHECK(slider(app, positionMs, lengthMs));
    return OKAY;
}
