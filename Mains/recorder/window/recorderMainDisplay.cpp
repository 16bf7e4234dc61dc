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
#include <vector>

#include "pstr.h"
#include "recCache.h"
#include "recorderApp.h"
#include "recorderDlgFindSongs.h"
#include "recorderFaults.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderSession.h"
#include "report.h"
#include "skin.h"
#include "sndDevicesEngine.h"

static constexpr const char* kReportModule = "./recorderMainDisplay";

namespace {

// The tooltip window: owned by the main window, never shown itself; it
// watches the main window's events and shows the text while the pointer
// rests on its tool, whether the main window is active or not.
class RecorderTooltip : public QWidget {
  public:
    explicit RecorderTooltip(QWidget* owner) : QWidget(owner, Qt::ToolTip) {
        setObjectName(kRecorderTooltipName);
        setAttribute(Qt::WA_DontShowOnScreen);
        owner->setAttribute(Qt::WA_AlwaysShowToolTips);
        owner->installEventFilter(this);
    }

    void addTool(QRect rect, QString text) {
        rect_ = rect;
        text_ = std::move(text);
        hasTool_ = true;
    }
    void activate() { active_ = true; }

    bool hasTool() const { return hasTool_; }
    QRect toolRect() const { return rect_; }
    const QString& toolText() const { return text_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !active_ || !hasTool_) return false;
        auto* help = static_cast<QHelpEvent*>(event);
        auto* owner = static_cast<QWidget*>(watched);
        if (!rect_.contains(help->pos())) {
            QToolTip::hideText();
            return false;
        }
        QToolTip::showText(help->globalPos(), text_, owner, rect_);
        return true;
    }

  private:
    QRect rect_;
    QString text_;
    bool hasTool_ = false;
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

// One step of the indicator: the current frame goes; the next one comes while
// the engine's indicator is on, the idle image otherwise.
int indicatorStep(RecorderApp& app, int indicator) {
    const int lastFrame = kSkinIndicatorFrame1 + kSkinIndicatorFrames - 1;
    if (app.window.recordFlashFrame < kSkinIndicatorFrame1 || app.window.recordFlashFrame > lastFrame)
        app.window.recordFlashFrame = kSkinIndicatorFrame1;
    REPORT_CHECK(skinComponentSetValueAndRefresh(app.owned.skin.get(), app.window.recordFlashFrame, 0,
                                                 paintWindow(app)));
    if (indicator != 0) {
        app.window.recordFlashFrame =
            app.window.recordFlashFrame == lastFrame ? kSkinIndicatorFrame1 : app.window.recordFlashFrame + 1;
        REPORT_CHECK(skinComponentSetValueAndRefresh(app.owned.skin.get(), app.window.recordFlashFrame, 1,
                                                     paintWindow(app)));
    } else {
        REPORT_CHECK(
            skinComponentSetValueAndRefresh(app.owned.skin.get(), kSkinIndicatorIdle, 1, paintWindow(app)));
    }
    return OKAY;
}

// The recording time: shown while a recording runs with auto segment off, or
// while the indicator is on with auto segment on. Its value changes without a
// repaint; the text, which always changes with it, repaints.
int recordingTime(RecorderApp& app, bool autoSegment, int indicator, long durationMs) {
    const bool noOutput = recorderFaultsNoOutput(app);
    const bool shown = noOutput || (autoSegment ? indicator != 0 : durationMs > 0);
    int value = 0;
    REPORT_CHECK(skinComponentGetValue(app.owned.skin.get(), kSkinTextRecordTime, value));
    if ((value != 0) != shown)
        REPORT_CHECK(skinComponentSetValue(app.owned.skin.get(), kSkinTextRecordTime, shown ? 1 : 0));
    const std::string text = noOutput ? std::string(kRecorderTimeNoOutput)
                             : shown  ? recorderTimeText(durationMs)
                                      : std::string(kRecorderTimeStopped);
    REPORT_CHECK(skinTextUpdate(app.owned.skin.get(), kSkinTextRecordTime, text, paintWindow(app)));
    return OKAY;
}

int hide(RecorderApp& app, int key) {
    REPORT_CHECK(skinComponentSetValueAndRefresh(app.owned.skin.get(), key, 0, paintWindow(app)));
    return OKAY;
}

}  // namespace

std::string recorderTimeText(long durationMs) { return pstrTimeDisplay(durationMs / 1000); }

int recorderCreateTooltips(RecorderApp& app) {
    if (app.owned.tooltip) {
        delete app.owned.tooltip.data();
        app.owned.tooltip = nullptr;
    }
    if (!app.window.mainWindow) return REPORT_ERR();
    auto* tip = new RecorderTooltip(app.window.mainWindow);
    app.owned.tooltip = tip;
    int enabled = 0, left = 0, top = 0, right = 0, bottom = 0;
    if (app.owned.skin)
        REPORT_CHECK(
            skinHotspotGet(app.owned.skin.get(), kSkinHotFindSongs, enabled, left, top, right, bottom));
    if (enabled != 0)
        tip->addTool(QRect(QPoint(left, top), QPoint(right, bottom)), QString::fromUtf8(kFindSongsTooltip));
    tip->activate();
    return OKAY;
}

int recorderTooltipTool(RecorderApp& app, bool& present, int& left, int& top, int& right, int& bottom,
                        std::string& text) {
    present = false;
    auto* tip = dynamic_cast<RecorderTooltip*>(app.owned.tooltip.data());
    if (!tip) return REPORT_ERR();
    if (!tip->hasTool()) return OKAY;
    present = true;
    const QRect r = tip->toolRect();
    left = r.left();
    top = r.top();
    right = r.right();
    bottom = r.bottom();
    text = tip->toolText().toStdString();
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
    REPORT_CHECK(indicatorStep(app, indicator));
    REPORT_CHECK(recordingTime(app, autoSegment != 0, indicator, durationMs));
    REPORT_CHECK(recorderUpdateNewTrackButton(app, autoSegment != 0, durationMs));
    return OKAY;
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
