// Painting a skin into its window, invalidating what changed, hotspot
// hit-testing and hover images (see skin.h).
//
// A paint redraws the visible pieces over the part of the window the paint
// covers (the whole window when the window does not say which part), so a
// one-second tick of the recording time redraws the time, not the skin.
#include <algorithm>

#include <QFont>
#include <QGuiApplication>
#include <QPainter>

#include "report.h"
#include "skin.h"
#include "skinInternal.h"

static constexpr const char* kReportModule = "../../UTIL/skin/skinPaint";

static int paintText(QPainter& painter, const SkinComponent& c) {
    if (!painter.isActive()) return REPORT_ERR();
    const hwndRect& r = c.rect;
    if (r.right <= r.left || r.bottom <= r.top) return OKAY;  // nothing fits
    painter.save();
    // The definition file gives the triple as red, blue, green.
    painter.setPen(QColor(c.colourA, c.colourC, c.colourB));
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    if (c.fontSize > 0) font.setPixelSize(c.fontSize);
    painter.setFont(font);
    painter.setClipRect(QRect(r.left, r.top, r.width(), r.height()));
    // One line from (left, top); what does not fit is cut by the clip, never wrapped.
    painter.drawText(QRect(r.left, r.top, 1 << 16, 1 << 14),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                     QString::fromStdString(c.text));
    painter.restore();
    return OKAY;
}

static int paintKnob(Skin& skin, QPainter& painter, const SkinSlider& s) {
    int cx = 0;
    REPORT_CHECK(skinSliderValueToX(&skin, s.key, s.value, cx));
    const int cy = s.track.top + s.track.height() / 2;
    const QImage& image = s.hover && !s.knobHover.isNull() ? s.knobHover : s.knob;
    // Both knobs are copied at the normal knob's size, so they cover the same pixels.
    painter.drawImage(QPoint(cx - s.knobWidth / 2, cy - s.knobHeight / 2), image,
                      QRect(0, 0, s.knobWidth, s.knobHeight));
    return OKAY;
}

// Pieces wholly outside `area` are left out; the painter's clip cuts the rest.
static int paintPieces(Skin& skin, QPainter& painter, const QRect& area) {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const SkinComponent& c : skin.components) {
        if (!c.value || !c.placed) continue;
        if (c.kind == kSkinKindBitmap && !c.bitmap.isNull()) {
            const int width = c.shownWidth < 0 ? c.width : c.shownWidth;
            if (width == 0 || !area.intersects(QRect(c.x, c.y, width, c.height))) continue;
            painter.drawImage(QPoint(c.x, c.y), c.bitmap, QRect(0, 0, width, c.height));
        } else if (c.kind == kSkinKindText) {
            // A text never draws outside its rectangle (paintText clips to it).
            if (!area.intersects(QRect(c.rect.left, c.rect.top, c.rect.width(), c.rect.height()))) continue;
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);  // transparent background
            REPORT_CHECK(paintText(painter, c));
            painter.setCompositionMode(QPainter::CompositionMode_Source);
        }
    }
    for (const SkinSlider& s : skin.sliders)
        if (!s.knob.isNull() && s.enabled) REPORT_CHECK(paintKnob(skin, painter, s));
    skinPaintFocusRing(skin, painter);
    return OKAY;
}

int skinPaint(Skin* skin, PaintWindow* window) {
    if (!skin) return OKAY;
    if (!window) return REPORT_ERR();
    // The buffer belongs to one window; painting another one (never done by
    // the program, but possible) gets it a buffer of its own rather than
    // drawing through a window that may be gone.
    if (skin->backBuffer && skin->backBuffer->window != window) doubleBuffFree(skin->backBuffer);
    if (skin->doubleBuffered && !skin->backBuffer)
        REPORT_CHECK(doubleBuffInit(skin->backBuffer, window, skin->trace));
    if (skin->components.empty() && skin->sliders.empty()) return OKAY;
    int width = 0, height = 0;
    window->clientSize(width, height);
    hwndRect part{0, 0, width, height};
    const bool partial = window->paintRect(part);
    const QRect area =
        QRect(part.left, part.top, part.width(), part.height()).intersected(QRect(0, 0, width, height));
    if (area.isEmpty()) return OKAY;
    if (skin->doubleBuffered) {
        QImage* target = nullptr;
        REPORT_CHECK(doubleBuffGet(skin->backBuffer.get(), target));
        {
            QPainter painter(target);
            if (!painter.isActive()) return REPORT_ERR();
            painter.setClipRect(area);
            // Cleared first, so a piece that is no longer drawn leaves nothing behind.
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(area, Qt::black);
            REPORT_CHECK(paintPieces(*skin, painter, area));
        }
        const hwndRect copied{area.left(), area.top(), area.left() + area.width(),
                              area.top() + area.height()};
        REPORT_CHECK(doubleBuffPaint(skin->backBuffer.get(), partial ? &copied : nullptr));
        return OKAY;
    }
    QPaintDevice* device = window->paintDevice();
    if (!device) return REPORT_ERR();
    QPainter painter(device);
    if (!painter.isActive()) return REPORT_ERR();
    if (partial) painter.setClipRect(area);
    REPORT_CHECK(paintPieces(*skin, painter, area));
    return OKAY;
}

int skinRefreshComponent(Skin* skin, PaintWindow* window, int key) {
    if (!skin) return OKAY;
    if (!window) return REPORT_ERR();
    SkinComponent* c = skinFindComponent(*skin, key);
    if (!c) return REPORT_ERR();
    if (c->kind == kSkinKindBitmap) {
        if (!c->bitmap.isNull()) window->invalidate({c->x, c->y, c->x + c->width, c->y + c->height}, false);
    } else {
        window->invalidate(c->rect, true);
    }
    return OKAY;
}

// The rows a knob covers may reach beyond the track when the knob is taller
// than the track; they are invalidated too, so no stale knob pixels remain.
static void knobRows(const SkinSlider& s, int& top, int& bottom) {
    const int knobTop = s.track.top + s.track.height() / 2 - s.knobHeight / 2;
    top = std::min(s.track.top, knobTop);
    bottom = std::max(s.track.bottom, knobTop + s.knobHeight);
}

int skinRefreshSlider(Skin* skin, PaintWindow* window, int key) {
    if (!skin) return OKAY;
    if (!window) return REPORT_ERR();
    SkinSlider* s = skinFindSlider(*skin, key);
    if (!s) return REPORT_ERR();
    if (s->knob.isNull()) return OKAY;
    int top = 0;
    int bottom = 0;
    knobRows(*s, top, bottom);
    // At the right end an odd-width knob reaches the track's right column.
    const int hw = s->knobWidth / 2;
    const int right = std::max(s->track.right, s->track.right - 2 * hw + s->knobWidth);
    window->invalidate({s->track.left, top, right, bottom}, false);
    return OKAY;
}

int skinRefreshSliderMove(Skin* skin, PaintWindow* window, int key, int oldX, int newX) {
    if (!skin) return OKAY;
    if (!window) return REPORT_ERR();
    SkinSlider* s = skinFindSlider(*skin, key);
    if (!s) return REPORT_ERR();
    if (s->knob.isNull()) return OKAY;
    const int w = s->knobWidth;
    int top = 0;
    int bottom = 0;
    knobRows(*s, top, bottom);
    window->invalidate({std::min(oldX, newX) - w / 2 - 1, top, std::max(oldX, newX) + w / 2 + 1, bottom},
                       false);
    // A focused knob takes its ring along: the ring where the knob is now
    // (the value is stored before this call) and where it was.
    if (skin->focus.slider == key) {
        hwndRect ring;
        REPORT_CHECK(skinFocusRingBounds(skin, ring));
        if (ring.width() > 0) {
            const int shift = oldX - newX;
            window->invalidate({std::min(ring.left, ring.left + shift), ring.top,
                                std::max(ring.right, ring.right + shift), ring.bottom},
                               false);
        }
    }
    return OKAY;
}

int skinHotspotHitTest(Skin* skin, int x, int y, int& key) {
    key = -1;
    if (!skin) return OKAY;
    for (const SkinHotspot& h : skin->hotspots) {
        if (h.enabled && h.rect.contains(x, y)) {
            key = h.key;
            return OKAY;
        }
    }
    return OKAY;
}

int skinHover(Skin* skin, PaintWindow* window, int x, int y, int componentKey, int hotspotKey) {
    if (!skin) return OKAY;
    if (!window) return REPORT_ERR();
    int enabled = 0, left = 0, top = 0, right = 0, bottom = 0;
    REPORT_CHECK(skinHotspotGet(skin, hotspotKey, enabled, left, top, right, bottom));
    if (!enabled) return OKAY;
    const bool inside = left <= x && x <= right && top <= y && y <= bottom;
    int value = 0;
    REPORT_CHECK(skinComponentGetValue(skin, componentKey, value));
    if ((value != 0) == inside) return OKAY;
    REPORT_CHECK(skinComponentSetValue(skin, componentKey, inside ? 1 : 0));
    REPORT_CHECK(skinRefreshComponent(skin, window, componentKey));
    return OKAY;
}

int skinMouseButtonDown(int button, bool& down) {
    // Qt reports logical buttons, so a swapped mouse is already accounted for,
    // and the state is the current one, not the one of a queued event.
    const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    down = (buttons & (button == 1 ? Qt::LeftButton : Qt::RightButton)) != 0;
    return OKAY;
}
