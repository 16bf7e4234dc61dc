// The main window's keyboard focus (see recorderMainFocus.h). The skin's
// buttons are no widgets, so the window itself holds the keyboard while one
// of them has the focus, and the skin keeps which one (SkinFocus) and draws
// its ring; the track list is a widget of its own and takes the keyboard.
#include "recorderMainFocus.h"

#include <QApplication>
#include <QStyle>
#include <QTreeWidget>
#include <QVariant>
#include <algorithm>

#include "recorderApp.h"
#include "recorderMainInput.h"
#include "recorderMainSkin.h"
#include "recorderMainWindow.h"
#include "recorderPlayPosition.h"
#include "recorderSkinLook.h"
#include "report.h"
#include "skin.h"
#include "sndDevicesPlay.h"

static constexpr const char* kReportModule = "./recorderMainFocus";

namespace {

// Rows from the top: an item belongs to the row of the first item of the row
// when it begins above that item's bottom; each row from the left.
void readingOrder(std::vector<RecorderFocusItem>& items) {
    std::stable_sort(items.begin(), items.end(), [](const RecorderFocusItem& a, const RecorderFocusItem& b) {
        return a.rect.top() < b.rect.top();
    });
    for (size_t start = 0; start < items.size();) {
        size_t end = start + 1;
        while (end < items.size() && items[end].rect.top() <= items[start].rect.bottom()) ++end;
        std::stable_sort(items.begin() + static_cast<long>(start), items.begin() + static_cast<long>(end),
                         [](const RecorderFocusItem& a, const RecorderFocusItem& b) {
                             return a.rect.left() < b.rect.left();
                         });
        start = end;
    }
}

// The list's edge shows a focus the keyboard gave it (recorderSkinLook.h).
void markKeyboardFocus(QWidget* widget, bool on) {
    if (widget->property(kSkinLookKeyboardFocus).toBool() == on) return;
    widget->setProperty(kSkinLookKeyboardFocus, on);
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}

bool listShown(RecorderApp& app) { return app.owned.listView && app.owned.listView->isVisible(); }

int setSkinFocus(RecorderApp& app, const SkinFocus& focus) {
    REPORT_CHECK(skinFocusSet(app.owned.skin.get(), app.window.mainWindow.data(), focus));
    return OKAY;
}

int moveSlider(RecorderApp& app, int key, float to) {
    Skin* skin = app.owned.skin.get();
    const float value = std::clamp(to, 0.0f, 1.0f);
    if (key == kSkinSliderVolume) {
        if (!app.owned.engine) return REPORT_ERR();
        REPORT_CHECK(sndDevicesPlaySetGain(*app.owned.engine, value));
    } else {
        REPORT_CHECK(recorderPlayPositionSliderMoved(app, value));
    }
    REPORT_CHECK(skinSliderSetValue(skin, app.window.mainWindow.data(), key, value));
    return OKAY;
}

}  // namespace

int recorderMainFocusInstall(RecorderApp& app) {
    RecorderMainWindow* window = app.window.mainWindow;
    if (!window) return REPORT_ERR();
    RecorderApp* a = &app;
    // The list taking the keyboard (a click, say) takes the ring away; a
    // dialog taking it does not, so the ring is back where it was after it.
    QObject::connect(qApp, &QApplication::focusChanged, window, [a](QWidget*, QWidget* now) {
        RecorderMainWindow* w = a->window.mainWindow;
        if (!w || !now || now == w || !w->isAncestorOf(now)) return;
        if (recorderMainFocusClear(*a) != OKAY) REPORT_ERR();
        markKeyboardFocus(now, false);  // a click, say; Tab marks it again
    });
    return OKAY;
}

int recorderMainFocusChain(RecorderApp& app, std::vector<RecorderFocusItem>& chain) {
    chain.clear();
    Skin* skin = app.owned.skin.get();
    if (skin) {
        int newTrackShown = 0;
        REPORT_CHECK(skinComponentGetValue(skin, kSkinNewTrack, newTrackShown));
        for (const SkinHotspot& h : skin->hotspots) {
            if (!h.enabled || (h.key == kSkinHotNewTrack && newTrackShown == 0)) continue;
            chain.push_back({RecorderFocusKind::Hotspot, h.key,
                             QRect(h.rect.left, h.rect.top, h.rect.width(), h.rect.height())});
        }
        for (const SkinSlider& s : skin->sliders) {
            if (s.knob.isNull() || !s.enabled) continue;
            chain.push_back({RecorderFocusKind::Slider, s.key,
                             QRect(s.track.left, s.track.top, s.track.width(), s.track.height())});
        }
    }
    if (listShown(app)) chain.push_back({RecorderFocusKind::List, -1, app.owned.listView->geometry()});
    readingOrder(chain);
    return OKAY;
}

int recorderMainFocusCurrent(RecorderApp& app, RecorderFocusItem& item, bool& found) {
    found = false;
    std::vector<RecorderFocusItem> chain;
    REPORT_CHECK(recorderMainFocusChain(app, chain));
    SkinFocus focus;
    REPORT_CHECK(skinFocusGet(app.owned.skin.get(), focus));
    const bool listHas = listShown(app) && app.owned.listView->hasFocus();
    for (const RecorderFocusItem& c : chain) {
        const bool current = c.kind == RecorderFocusKind::List      ? listHas
                             : c.kind == RecorderFocusKind::Hotspot ? focus.hotspot == c.key
                                                                    : focus.slider == c.key;
        if (current) {
            item = c;
            found = true;
            return OKAY;
        }
    }
    return OKAY;
}

int recorderMainFocusTo(RecorderApp& app, const RecorderFocusItem& item) {
    RecorderMainWindow* window = app.window.mainWindow;
    if (!window) return REPORT_ERR();
    SkinFocus focus;
    if (item.kind == RecorderFocusKind::Hotspot) focus.hotspot = item.key;
    if (item.kind == RecorderFocusKind::Slider) focus.slider = item.key;
    REPORT_CHECK(setSkinFocus(app, focus));
    if (item.kind == RecorderFocusKind::List) {
        app.owned.listView->setFocus(Qt::TabFocusReason);
        markKeyboardFocus(app.owned.listView, true);
    } else {
        window->setFocus(Qt::TabFocusReason);
    }
    return OKAY;
}

int recorderMainFocusNext(RecorderApp& app, bool forward, bool& handled) {
    handled = false;
    std::vector<RecorderFocusItem> chain;
    REPORT_CHECK(recorderMainFocusChain(app, chain));
    if (chain.empty()) return OKAY;
    RecorderFocusItem current;
    bool found = false;
    REPORT_CHECK(recorderMainFocusCurrent(app, current, found));
    const long n = static_cast<long>(chain.size());
    long next = forward ? 0 : n - 1;
    if (found) {
        const long at = std::find(chain.begin(), chain.end(), current) - chain.begin();
        next = ((forward ? at + 1 : at - 1) % n + n) % n;
    }
    REPORT_CHECK(recorderMainFocusTo(app, chain[static_cast<size_t>(next)]));
    handled = true;
    return OKAY;
}

bool recorderMainFocusOnSkin(RecorderApp& app) {
    SkinFocus focus;
    if (skinFocusGet(app.owned.skin.get(), focus) != OKAY) return false;
    return focus.hotspot >= 0 || focus.slider >= 0;
}

int recorderMainFocusClear(RecorderApp& app) {
    if (!app.owned.skin || !app.window.mainWindow) return OKAY;
    REPORT_CHECK(setSkinFocus(app, SkinFocus{}));
    return OKAY;
}

int recorderMainFocusKey(RecorderApp& app, int key, bool& handled) {
    handled = false;
    if (!app.window.mainWindow || !app.window.mainWindow->hasFocus()) return OKAY;
    RecorderFocusItem item;
    bool found = false;
    REPORT_CHECK(recorderMainFocusCurrent(app, item, found));
    if (!found) return OKAY;
    if (item.kind == RecorderFocusKind::Hotspot) {
        if (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter) return OKAY;
        handled = true;
        const QPoint centre = item.rect.center();
        REPORT_CHECK(recorderMainHotspotAction(app, item.key, centre.x(), centre.y()));
        return OKAY;
    }
    if (item.kind != RecorderFocusKind::Slider) return OKAY;
    float value = 0.0f;
    REPORT_CHECK(skinSliderGetValue(app.owned.skin.get(), item.key, value));
    float to = value;
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            to = value - kRecorderSliderKeyStep;
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            to = value + kRecorderSliderKeyStep;
            break;
        case Qt::Key_PageDown:
            to = value - 4 * kRecorderSliderKeyStep;
            break;
        case Qt::Key_PageUp:
            to = value + 4 * kRecorderSliderKeyStep;
            break;
        case Qt::Key_Home:
            to = 0.0f;
            break;
        case Qt::Key_End:
            to = 1.0f;
            break;
        default:
            return OKAY;
    }
    handled = true;
    REPORT_CHECK(moveSlider(app, item.key, to));
    return OKAY;
}
