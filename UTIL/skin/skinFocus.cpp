// The keyboard focus of a skinned window: which control has it, and its ring
// (see skin.h). The ring follows the control's own shape, a little outside
// it, so a round button gets a round ring and a knob a circle that travels
// with it.
#include <algorithm>
#include <cmath>

#include <QPainter>

#include "report.h"
#include "skin.h"
#include "skinInternal.h"

static constexpr const char* kReportModule = "../../UTIL/skin/skinFocus";

namespace {

constexpr double kRingGap = 2.0;    // between the control's edge and the ring
constexpr double kRingWidth = 2.0;  // the ring's pen
// The corners of a ring around a hotspot without an outline: never square.
constexpr int kPlainRadius = 6;

struct Ring {
    QRectF rect;  // the middle of the pen
    double radius = 0;
};

// The ring of the focused control; false when nothing (or nothing visible) has the focus.
bool ringOf(Skin& skin, Ring& ring) {
    const double out = kRingGap + kRingWidth / 2;
    if (skin.focus.hotspot >= 0) {
        const SkinHotspot* h = skinFindHotspot(skin, skin.focus.hotspot);
        if (!h || !h->enabled) return false;
        const hwndRect& shape = h->hasOutline ? h->outline : h->rect;
        const int radius = h->hasOutline ? h->outlineRadius : kPlainRadius;
        ring.rect =
            QRectF(shape.left, shape.top, shape.width(), shape.height()).adjusted(-out, -out, out, out);
        ring.radius = std::min(radius + out, std::min(ring.rect.width(), ring.rect.height()) / 2);
        return true;
    }
    if (skin.focus.slider >= 0) {
        const SkinSlider* s = skinFindSlider(skin, skin.focus.slider);
        if (!s || s->knob.isNull() || !s->enabled) return false;
        int cx = 0;
        if (skinSliderValueToX(&skin, s->key, s->value, cx) != OKAY) return false;
        // The knob's pixels are centred on (cx, cy) as paintKnob places them.
        const double x = cx - s->knobWidth / 2 + s->knobWidth / 2.0;
        const double y = s->track.top + s->track.height() / 2 - s->knobHeight / 2 + s->knobHeight / 2.0;
        const double r = std::max(s->knobWidth, s->knobHeight) / 2.0 + out;
        ring.rect = QRectF(x - r, y - r, 2 * r, 2 * r);
        ring.radius = r;
        return true;
    }
    return false;
}

hwndRect boundsOf(const Ring& ring) {
    const QRectF outer = ring.rect.adjusted(-kRingWidth, -kRingWidth, kRingWidth, kRingWidth);
    return {static_cast<int>(std::floor(outer.left())), static_cast<int>(std::floor(outer.top())),
            static_cast<int>(std::ceil(outer.right())) + 1, static_cast<int>(std::ceil(outer.bottom())) + 1};
}

}  // namespace

int skinFocusRingBounds(Skin* skin, hwndRect& bounds) {
    bounds = {};
    if (!skin) return OKAY;
    Ring ring;
    if (ringOf(*skin, ring)) bounds = boundsOf(ring);
    return OKAY;
}

void skinRefreshFocusRing(Skin& skin, PaintWindow& window) {
    hwndRect bounds;
    skinFocusRingBounds(&skin, bounds);
    if (bounds.width() > 0) window.invalidate(bounds, false);
}

int skinFocusSet(Skin* skin, PaintWindow* window, const SkinFocus& focus) {
    if (!skin) return OKAY;
    if (!window) return REPORT_ERR();
    if (focus.hotspot >= 0 && !skinFindHotspot(*skin, focus.hotspot)) return REPORT_ERR();
    if (focus.slider >= 0 && !skinFindSlider(*skin, focus.slider)) return REPORT_ERR();
    if (focus.hotspot >= 0 && focus.slider >= 0) return REPORT_ERR();
    if (skin->focus == focus) return OKAY;
    skinRefreshFocusRing(*skin, *window);
    skin->focus = focus;
    skinRefreshFocusRing(*skin, *window);
    return OKAY;
}

int skinFocusGet(Skin* skin, SkinFocus& focus) {
    focus = {};
    if (!skin) return OKAY;
    focus = skin->focus;
    return OKAY;
}

int skinFocusSetColour(Skin* skin, int red, int green, int blue) {
    if (!skin) return OKAY;
    for (int v : {red, green, blue})
        if (v < 0 || v > 255) return REPORT_ERR();
    skin->focusColour = QColor(red, green, blue);
    return OKAY;
}

void skinPaintFocusRing(Skin& skin, QPainter& painter) {
    Ring ring;
    if (!ringOf(skin, ring)) return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(skin.focusColour, kRingWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(ring.rect, ring.radius, ring.radius);
    painter.restore();
}
