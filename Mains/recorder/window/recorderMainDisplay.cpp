// The main window's displays: which skin component shows what, switched from
// the application's state and the engine's record status, the hover images
// and the tooltip of the find-songs button.
//
// The component values are the only display state; every rule recomputes
// them, and skinComponentSetValueAndRefresh repaints only what changed.
#include "recorderMainDisplay.h"

#include <QEvent>
#include <QHelpEvent>
#include <QToolTip>
#include <QTreeWidget>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>
#include <utility>
#include <vector>

#include "pstr.h"
#include "recCache.h"
#include "recorderApp.h"
#include "recorderDlgFindSongs.h"
#include "recorderFaults.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "report.h"
#include "skin.h"
#include "sndDevicesEngine.h"
#include "sndDevicesPlay.h"

static constexpr const char* kReportModule = "./recorderMainDisplay";

namespace {

// The tooltip window: owned by the main window, never shown itself; it
// watches the main window's events and shows a tool's text while the pointer
// rests on the tool, whether the main window is active or not. A tool's text
// is asked for each time, so it can say how things stand at that moment.
class RecorderTooltip : public QWidget {
  public:
    explicit RecorderTooltip(QWidget* owner) : QWidget(owner, Qt::ToolTip) {
        setObjectName(kRecorderTooltipName);
        setAttribute(Qt::WA_DontShowOnScreen);
        owner->setAttribute(Qt::WA_AlwaysShowToolTips);
        owner->installEventFilter(this);
    }

    void addTool(int key, QRect rect, std::function<std::string()> text) {
        tools_.push_back({key, rect, std::move(text)});
    }
    void activate() { active_ = true; }

    const RecorderTooltipTool* tool(int key) const {
        for (const RecorderTooltipTool& t : tools_)
            if (t.key == key) return &t;
        return nullptr;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !active_) return false;
        auto* help = static_cast<QHelpEvent*>(event);
        auto* owner = static_cast<QWidget*>(watched);
        for (const RecorderTooltipTool& t : tools_) {
            if (!t.rect.contains(help->pos())) continue;
            QToolTip::showText(help->globalPos(), QString::fromStdString(t.text()), owner, t.rect);
            return true;
        }
        QToolTip::hideText();
        return false;
    }

  private:
    std::vector<RecorderTooltipTool> tools_;
    bool active_ = false;
};

PaintWindow* paintWindow(RecorderApp& app) { return app.window.mainWindow.data(); }

// A two-state button's faces. Its hover face is re-evaluated at once where
// the pointer rests, so a click (or a key, or a track that ends) never leaves
// the hover face of the old state showing until the pointer moves.
int setPair(RecorderApp& app, int onKey, int offKey, bool on) {
    REPORT_CHECK(skinComponentSetValueAndRefresh(app.owned.skin.get(), onKey, on ? 1 : 0, paintWindow(app)));
    REPORT_CHECK(skinComponentSetValueAndRefresh(app.owned.skin.get(), offKey, on ? 0 : 1, paintWindow(app)));
    if (app.window.pointerInside)
        REPORT_CHECK(recorderMainHover(app, app.window.pointer.x(), app.window.pointer.y()));
    return OKAY;
}

int recordStatus(RecorderApp& app, int& indicator, long& durationMs) {
    if (!app.owned.engine) return REPORT_ERR();
    uint32_t start = 0, duration = 0;
    REPORT_CHECK(sndDevicesGetRecordStatus(*app.owned.engine, indicator, start, duration));
    durationMs = static_cast<long>(duration);
    return OKAY;
}

// Whether the skin has the piece `key` to show (a skin may leave some out).
bool hasBitmap(RecorderApp& app, int key) {
    int width = 0, height = 0;
    return skinComponentBitmapGetSize(app.owned.skin.get(), key, width, height) == OKAY && width > 0;
}

// One step of the indicator: the current frame goes; the next one comes while
// the engine's indicator is on, the playback face while a track is loaded
// (when the skin has one), the idle image otherwise.
int indicatorStep(RecorderApp& app, int indicator, bool playback) {
    const int lastFrame = kSkinIndicatorFrame1 + kSkinIndicatorFrames - 1;
    if (app.window.recordFlashFrame < kSkinIndicatorFrame1 || app.window.recordFlashFrame > lastFrame)
        app.window.recordFlashFrame = kSkinIndicatorFrame1;
    Skin* skin = app.owned.skin.get();
    REPORT_CHECK(skinComponentSetValueAndRefresh(skin, app.window.recordFlashFrame, 0, paintWindow(app)));
    if (indicator != 0) {
        app.window.recordFlashFrame =
            app.window.recordFlashFrame == lastFrame ? kSkinIndicatorFrame1 : app.window.recordFlashFrame + 1;
        REPORT_CHECK(skinComponentSetValueAndRefresh(skin, app.window.recordFlashFrame, 1, paintWindow(app)));
    } else {
        REPORT_CHECK(skinComponentSetValueAndRefresh(skin, kSkinIndicatorIdle, 1, paintWindow(app)));
    }
    // The face lies over the idle image, as the frames do.
    REPORT_CHECK(
        skinComponentSetValueAndRefresh(skin, kSkinIndicatorPlayback, playback ? 1 : 0, paintWindow(app)));
    return OKAY;
}

// A text read-out: its value changes without a repaint; the text, which
// always changes with it, repaints.
int readOut(RecorderApp& app, int key, bool shown, const std::string& text) {
    int value = 0;
    REPORT_CHECK(skinComponentGetValue(app.owned.skin.get(), key, value));
    if ((value != 0) != shown) REPORT_CHECK(skinComponentSetValue(app.owned.skin.get(), key, shown ? 1 : 0));
    REPORT_CHECK(skinTextUpdate(app.owned.skin.get(), key, text, paintWindow(app)));
    return OKAY;
}

// The recording time: shown while a recording runs with auto segment off, or
// while the indicator is on with auto segment on. During playback it shows
// where the track is.
int recordingTime(RecorderApp& app, bool autoSegment, int indicator, long durationMs, bool playback) {
    const bool noOutput = recorderFaultsNoOutput(app);
    const bool recording = autoSegment ? indicator != 0 : durationMs > 0;
    std::string text = kRecorderTimeStopped;
    if (noOutput) {
        text = kRecorderTimeNoOutput;
    } else if (recording) {
        text = recorderTimeText(durationMs);
    } else if (playback) {
        int playing = 0, positionMs = 0, lengthMs = 0;
        REPORT_CHECK(sndDevicesPlayStatus(*app.owned.engine, playing, positionMs, lengthMs));
        text = recorderTimeText(positionMs);
    }
    REPORT_CHECK(readOut(app, kSkinTextRecordTime, noOutput || recording || playback, text));
    return OKAY;
}

// What plays, in the spare text field: the track's name as the list shows it
// (read from the cache when another track is loaded, or the list changed).
int playingName(RecorderApp& app, bool playback) {
    RecorderWindowState& w = app.window;
    if (playback && w.playingNameId != app.transport.playingTrack) {
        if (!app.owned.cacheDb) return REPORT_ERR();
        recCacheTrack track;
        recCacheTags tags;
        REPORT_CHECK(recCacheGetTrack(app.owned.cacheDb.get(), app.transport.playingTrack, track));
        REPORT_CHECK(recCacheGetTags(app.owned.cacheDb.get(), app.transport.playingTrack, tags));
        REPORT_CHECK(recorderSongListTrackName(tags, track.creationTime,
                                               static_cast<long>(std::time(nullptr)), w.playingName));
        w.playingNameId = app.transport.playingTrack;
    }
    REPORT_CHECK(readOut(app, kSkinTextSpare, playback, playback ? w.playingName : std::string()));
    return OKAY;
}

// The level bar: the loudest sample of the tick, played while a track plays,
// captured while record mode is on; it falls back slowly, as meters do.
int levelMeter(RecorderApp& app) {
    float captured = 0.0f, played = 0.0f;
    REPORT_CHECK(sndDevicesGetLevels(*app.owned.engine, captured, played));
    const float peak = app.transport.playing ? played : recorderFaultsRecordShown(app) ? captured : 0.0f;
    app.window.meterLevel =
        std::max(recorderLevelMeterFraction(peak), app.window.meterLevel - kRecorderMeterFallPerTick);
    if (!hasBitmap(app, kSkinLevelMeter)) return OKAY;
    int width = 0, height = 0;
    REPORT_CHECK(skinComponentBitmapGetSize(app.owned.skin.get(), kSkinLevelMeter, width, height));
    const int shown = static_cast<int>(std::lround(app.window.meterLevel * static_cast<float>(width)));
    REPORT_CHECK(skinComponentSetValue(app.owned.skin.get(), kSkinLevelMeter, 1));
    REPORT_CHECK(skinComponentSetShownWidth(app.owned.skin.get(), kSkinLevelMeter, shown, paintWindow(app)));
    return OKAY;
}

int hide(RecorderApp& app, int key) {
    REPORT_CHECK(skinComponentSetValueAndRefresh(app.owned.skin.get(), key, 0, paintWindow(app)));
    return OKAY;
}

}  // namespace

std::string recorderTimeText(long durationMs) { return pstrTimeDisplay(durationMs / 1000); }

std::string recorderNewTrackTooltip(RecorderApp& app) {
    int autoSegment = 1;
    if (app.owned.engine) sndDevicesGetAutoSegment(*app.owned.engine, autoSegment);
    if (autoSegment != 0) return kNewTrackTooltipAutoSplit;
    int indicator = 0;
    long durationMs = 0;
    if (!app.owned.engine || recordStatus(app, indicator, durationMs) != OKAY || durationMs <= 0)
        return kNewTrackTooltipNoRecording;
    return kNewTrackTooltip;
}

int recorderCreateTooltips(RecorderApp& app) {
    if (app.owned.tooltip) {
        delete app.owned.tooltip.data();
        app.owned.tooltip = nullptr;
    }
    if (!app.window.mainWindow) return REPORT_ERR();
    auto* tip = new RecorderTooltip(app.window.mainWindow);
    app.owned.tooltip = tip;
    RecorderApp* a = &app;
    const std::pair<int, std::function<std::string()>> tools[] = {
        {kSkinHotFindSongs, [] { return std::string(kFindSongsTooltip); }},
        {kSkinHotNewTrack, [a] { return recorderNewTrackTooltip(*a); }},
    };
    for (const auto& [key, text] : tools) {
        int enabled = 0, left = 0, top = 0, right = 0, bottom = 0;
        if (app.owned.skin)
            REPORT_CHECK(skinHotspotGet(app.owned.skin.get(), key, enabled, left, top, right, bottom));
        if (enabled != 0) tip->addTool(key, QRect(QPoint(left, top), QPoint(right, bottom)), text);
    }
    tip->activate();
    return OKAY;
}

int recorderTooltipTool(RecorderApp& app, int hotspot, bool& present, int& left, int& top, int& right,
                        int& bottom, std::string& text) {
    present = false;
    auto* tip = dynamic_cast<RecorderTooltip*>(app.owned.tooltip.data());
    if (!tip) return REPORT_ERR();
    const RecorderTooltipTool* tool = tip->tool(hotspot);
    if (!tool) return OKAY;
    present = true;
    left = tool->rect.left();
    top = tool->rect.top();
    right = tool->rect.right();
    bottom = tool->rect.bottom();
    text = tool->text();
    return OKAY;
}

int recorderUpdateMainModeDisplays(RecorderApp& app) {
    if (!app.owned.skin) return OKAY;
    bool autoSegment = true;
    REPORT_CHECK(recorderSessionGetAutoSegment(autoSegment));
    REPORT_CHECK(recorderUpdateRecordModeButton(app));
    REPORT_CHECK(recorderUpdateHideShortButton(app));
    REPORT_CHECK(recorderUpdateAutoSegmentButton(app, autoSegment));
    REPORT_CHECK(recorderDisplayRecordingFlash(app));
    REPORT_CHECK(recorderUpdatePlayButton(app));
    int indicator = 0;
    long durationMs = 0;
    REPORT_CHECK(recordStatus(app, indicator, durationMs));
    REPORT_CHECK(recorderUpdateNewTrackButton(app, autoSegment, durationMs));
    return OKAY;
}

int recorderUpdateRecordModeButton(RecorderApp& app) {
    if (!app.owned.skin) return OKAY;
    REPORT_CHECK(setPair(app, kSkinRecordModeOn, kSkinRecordModeOff, recorderFaultsRecordShown(app)));
    return OKAY;
}

int recorderUpdateAutoSegmentButton(RecorderApp& app, bool autoSegment) {
    if (!app.owned.skin) return OKAY;
    REPORT_CHECK(setPair(app, kSkinAutoSegmentOn, kSkinAutoSegmentOff, autoSegment));
    return OKAY;
}

int recorderUpdateHideShortButton(RecorderApp& app) {
    if (!app.owned.skin) return OKAY;
    REPORT_CHECK(setPair(app, kSkinHideShortOn, kSkinHideShortOff, app.modes.hideShort));
    return OKAY;
}

int recorderUpdatePlayButton(RecorderApp& app) {
    if (!app.owned.skin) return OKAY;
    REPORT_CHECK(setPair(app, kSkinPause, kSkinPlay, app.transport.playing));
    return OKAY;
}

int recorderUpdateNewTrackButton(RecorderApp& app, bool autoSegment, long durationMs) {
    if (!app.owned.skin) return OKAY;
    const bool shown = !autoSegment && durationMs > 0;
    REPORT_CHECK(skinComponentSetValueAndRefresh(app.owned.skin.get(), kSkinNewTrack, shown ? 1 : 0,
                                                 paintWindow(app)));
    return OKAY;
}

int recorderDisplayRecordingFlash(RecorderApp& app) {
    if (!app.owned.skin) return OKAY;
    int indicator = 0;
    long durationMs = 0;
    REPORT_CHECK(recordStatus(app, indicator, durationMs));
    // Every tick: the engine's word, which every switch of auto segment sets
    // together with the stored setting, rather than a read of the setting.
    int autoSegment = 1;
    REPORT_CHECK(sndDevicesGetAutoSegment(*app.owned.engine, autoSegment));
    // A loaded track is shown only when nothing records (the display shows
    // one of the two, and recording comes first).
    const bool playback = app.transport.loaded && app.transport.playingTrack != kRecorderNoTrack &&
                          indicator == 0 && durationMs <= 0;
    REPORT_CHECK(indicatorStep(app, indicator, playback && hasBitmap(app, kSkinIndicatorPlayback)));
    REPORT_CHECK(recordingTime(app, autoSegment != 0, indicator, durationMs, playback));
    REPORT_CHECK(playingName(app, playback));
    REPORT_CHECK(levelMeter(app));
    REPORT_CHECK(recorderUpdateNewTrackButton(app, autoSegment != 0, durationMs));
    return OKAY;
}

float recorderLevelMeterFraction(float peak) {
    if (!(peak > 0.0f)) return 0.0f;
    const float db = 20.0f * std::log10(std::min(peak, 1.0f));
    return std::clamp((db + kRecorderMeterRangeDb) / kRecorderMeterRangeDb, 0.0f, 1.0f);
}

int recorderUpdateMainDisplay(RecorderApp& app) {
    if (!app.owned.skin) return OKAY;
    if (!app.owned.cacheDb || !app.owned.listView) return REPORT_ERR();
    const bool wizardOnScreen = recorderDlgFindSongsOnScreen(app);
    int indicator = 0;
    long durationMs = 0;
    REPORT_CHECK(recordStatus(app, indicator, durationMs));
    bool anyTrack = false;
    REPORT_CHECK(recCacheHasTracks(app.owned.cacheDb.get(), anyTrack));
    const bool instructions = !wizardOnScreen && !anyTrack && durationMs <= 0;
    // The list window hides or shows itself; the window system repaints what
    // lies beneath it, so 1014 needs no invalidation of its own.
    REPORT_CHECK(skinComponentSetValue(app.owned.skin.get(), kSkinInstructions, instructions ? 1 : 0));
    if (app.owned.listView->isHidden() != instructions) app.owned.listView->setVisible(!instructions);
    return OKAY;
}

int recorderMainHover(RecorderApp& app, int x, int y) {
    if (!app.owned.skin) return REPORT_ERR();
    Skin* skin = app.owned.skin.get();
    PaintWindow* window = paintWindow(app);
    static constexpr int kPlainPairs[][2] = {
        {kSkinMenuHover, kSkinHotMenu},         {kSkinLogoHover, kSkinHotLogo},
        {kSkinDeleteHover, kSkinHotDelete},     {kSkinSaveHover, kSkinHotSave},
        {kSkinRenameHover, kSkinHotRename},     {kSkinPreviousHover, kSkinHotPrevious},
        {kSkinNextHover, kSkinHotNext},         {kSkinFindSongsHover, kSkinHotFindSongs},
        {kSkinMinimiseHover, kSkinHotMinimise}, {kSkinCloseHover, kSkinHotClose},
    };
    for (const auto& pair : kPlainPairs) REPORT_CHECK(skinHover(skin, window, x, y, pair[0], pair[1]));

    // The two-state buttons: the hover image of the other state goes, the one
    // of the current state follows the pointer.
    bool autoSegment = true;
    REPORT_CHECK(recorderSessionGetAutoSegment(autoSegment));
    struct TwoState {
        bool on;
        int onHover, offHover, hotspot;
    };
    const TwoState twoStates[] = {
        {recorderFaultsRecordShown(app), kSkinRecordModeOnHover, kSkinRecordModeOffHover, kSkinHotRecordMode},
        {app.modes.hideShort, kSkinHideShortOnHover, kSkinHideShortOffHover, kSkinHotHideShort},
        {autoSegment, kSkinAutoSegmentOnHover, kSkinAutoSegmentOffHover, kSkinHotAutoSegment},
        {app.transport.playing, kSkinPauseHover, kSkinPlayHover, kSkinHotPlayPause},
    };
    for (const TwoState& b : twoStates) {
        REPORT_CHECK(hide(app, b.on ? b.offHover : b.onHover));
        REPORT_CHECK(skinHover(skin, window, x, y, b.on ? b.onHover : b.offHover, b.hotspot));
    }

    int newTrackShown = 0;
    REPORT_CHECK(skinComponentGetValue(skin, kSkinNewTrack, newTrackShown));
    if (newTrackShown != 0)
        REPORT_CHECK(skinHover(skin, window, x, y, kSkinNewTrackHover, kSkinHotNewTrack));
    else
        REPORT_CHECK(hide(app, kSkinNewTrackHover));

    REPORT_CHECK(skinSliderHover(skin, window, x, y, kSkinSliderVolume));
    REPORT_CHECK(skinSliderHover(skin, window, x, y, kSkinSliderPosition));
    return OKAY;
}
