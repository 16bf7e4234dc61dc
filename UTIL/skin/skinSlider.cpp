// Skin sliders: knob bitmaps, track geometry, value <-> pixel conversion,
// hit-testing, hover and the dragging state (see skin.h).
//
// The knob's centre travels from minX = left + w/2 to maxX = right - w/2, so
// the knob never leaves its track. A value is stored only when the knob moves
// by at least one pixel: whoever reads it sees the value of the last visible move.
#include <new>

#include "report.h"
#include "skin.h"
#include "skinInternal.h"

static constexpr const char* kReportModule = "../../UTIL/skin/skinSlider";

static int minX(const SkinSlider& s) { return s.track.left + s.knobWidth / 2; }
static int maxX(const SkinSlider& s) { return s.track.right - s.knobWidth / 2; }

int skinSliderAdd(Skin* skin, int key) {
    if (!skin) return REPORT_ERR();
    SkinSlider s;
    s.key = key;
    try {
        skin->sliders.push_back(std::move(s));
    } catch (const std::bad_alloc&) {
        return REPORT_ERR();  // out of memory: reported, not a crash
    }
    return OKAY;
}

int skinSliderBitmapLoad(Skin* skin, int key, bool hover, const std::string& path) {
    if (!skin) return REPORT_ERR();
    SkinSlider* s = skinFindSlider(*skin, key);
    if (!s) return REPORT_ERR();
    QImage image;
    const int result = skinLoadBitmapFile(path, image);  // a failed load leaves the knob without bitmap
    if (hover) {
        s->hoverWidth = image.width();
        s->hoverHeight = image.height();
        s->knobHover = std::move(image);
    } else {
        s->knobWidth = image.width();
        s->knobHeight = image.height();
        s->knob = std::move(image);
    }
    if (result != OKAY) return REPORT_ERR();
    return OKAY;
}

int skinSliderSetRect(Skin* skin, int key, int left, int top, int right, int bottom) {
    if (!skin) return REPORT_ERR();
    SkinSlider* s = skinFindSlider(*skin, key);
    if (!s || s->knob.isNull()) return REPORT_ERR();
    s->track = hwndRect{left, top, right, bottom};
    s->realToInt.reset();
    s->intToReal.reset();
    QntIntToReal intToReal;
    REPORT_CHECK(QntIntToRealInit(intToReal, minX(*s), maxX(*s), 0.0f, 1.0f));
    QntRealToInt realToInt;
    REPORT_CHECK(QntRealToIntInit(realToInt, 0.0, 1.0, minX(*s), maxX(*s)));
    s->intToReal = std::move(intToReal);
    s->realToInt = realToInt;
    return OKAY;
}

int skinSliderSetEnabled(Skin* skin, int key, int enabled) {
    if (!skin) return REPORT_ERR();
    SkinSlider* s = skinFindSlider(*skin, key);
    if (!s) return REPORT_ERR();
    s->enabled = enabled;
    return OKAY;
}

int skinSliderValueToX(Skin* skin, int key, float value, int& x) {
    if (!skin) return REPORT_ERR();
    SkinSlider* s = skinFindSlider(*skin, key);
    if (!s) return REPORT_ERR();
    if (value <= 0.0f) {
        x = minX(*s);
    } else if (value >= 1.0f) {
        x = maxX(*s);
    } else {
        if (!s->realToInt) return REPORT_ERR();
        REPORT_CHECK(QntRealToIntConvert(*s->realToInt, value, x));
    }
    return OKAY;
}

int skinSliderXToValue(Skin* skin, int key, int x, float& value) {
    if (!skin) return REPORT_ERR();
    SkinSlider* s = skinFindSlider(*skin, key);
    if (!s) return REPORT_ERR();
    if (x <= minX(*s)) {
        value = 0.0f;
    } else if (x >= maxX(*s)) {
        value = 1.0f;
    } else {
        if (!s->intToReal) return REPORT_ERR();
        REPORT_CHECK(QntIntToRealLookup(*s->intToReal, x, value));
    }
    return OKAY;
}

int skinSliderSetValue(Skin* skin, PaintWindow* window, int key, float value) {
    if (!skin || !window) return REPORT_ERR();
    SkinSlider* s = skinFindSlider(*skin, key);
    if (!s) return REPORT_ERR();
    int oldX = 0;
    int newX = 0;
    REPORT_CHECK(skinSliderValueToX(skin, key, s->value, oldX));
    REPORT_CHECK(skinSliderValueToX(skin, key, value, newX));
    if (oldX == newX) return OKAY;
    s->value = value;
    REPORT_CHECK(skinRefreshSliderMove(skin, window, key, oldX, newX));
    return OKAY;
}

int skinSliderGetValue(Skin* skin, int key, float& value) {
    if (!skin) return REPORT_ERR();
    SkinSlider* s = skinFindSlider(*skin, key);
    if (!s) return REPORT_ERR();
    value = s->value;
    return OKAY;
}

int skinSliderHitTest(Skin* skin, int x, int y, int& key) {
    key = -1;
    if (!skin) return REPORT_ERR();
    for (const SkinSlider& s : skin->sliders) {
        if (s.knob.isNull()) continue;
        int cx = 0;
        REPORT_CHECK(skinSliderValueToX(skin, s.key, s.value, cx));
        const int hw = s.knobWidth / 2;
        // The knob is caught on the track's bottom row too.
        if (cx - hw <= x && x <= cx + hw && s.track.top <= y && y <= s.track.bottom) {
            key = s.key;
            return OKAY;
        }
    }
    return OKAY;
}

int skinSliderTrackHitTest(Skin* skin, int x, int y, int& key) {
    key = -1;
    if (!skin) return REPORT_ERR();
    for (const SkinSlider& s : skin->sliders) {
        if (s.knob.isNull()) continue;
        if (s.track.left <= x && x < s.track.right && s.track.top <= y && y <= s.track.bottom) {
            key = s.key;
            return OKAY;
        }
    }
    return OKAY;
}

int skinSliderHover(Skin* skin, PaintWindow* window, int x, int y, int key) {
    if (!skin || !window) return REPORT_ERR();
    SkinSlider* s = skinFindSlider(*skin, key);
    if (!s) return REPORT_ERR();
    int hit = -1;
    REPORT_CHECK(skinSliderHitTest(skin, x, y, hit));
    const int hover = hit == key ? 1 : 0;
    if (hover == s->hover) return OKAY;
    s->hover = hover;
    REPORT_CHECK(skinRefreshSlider(skin, window, key));
    return OKAY;
}

int skinSliderSetDrag(Skin* skin, int key, int x, int y) {
    if (!skin) return REPORT_ERR();
    if (key != -1) {
        SkinSlider* s = skinFindSlider(*skin, key);
        if (!s) return REPORT_ERR();
        s->dragX = x;
        s->dragY = y;
    }
    skin->draggedSlider = key;
    return OKAY;
}

int skinSliderGetDrag(Skin* skin, int& key) {
    if (!skin) return REPORT_ERR();
    key = skin->draggedSlider;
    return OKAY;
}
