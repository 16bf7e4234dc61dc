// The skin record and its tables: components, hotspots, text fields and
// additional values (see skin.h). Painting is in skinPaint.cpp, sliders in
// skinSlider.cpp.
#include "skin.h"

#include <algorithm>
#include <new>

#include <QFile>
#include <QString>

#include "report.h"
#include "skinInternal.h"

static constexpr const char* kReportModule = "../../UTIL/skin/skin";

template <typename T>
static T* findByKey(std::vector<T>& items, int key) {
    for (auto& item : items)
        if (item.key == key) return &item;
    return nullptr;
}

SkinComponent* skinFindComponent(Skin& skin, int key) { return findByKey(skin.components, key); }
SkinHotspot* skinFindHotspot(Skin& skin, int key) { return findByKey(skin.hotspots, key); }
SkinSlider* skinFindSlider(Skin& skin, int key) { return findByKey(skin.sliders, key); }

static SkinValue* findValue(Skin& skin, int key) { return findByKey(skin.values, key); }

// Appends one element; running out of memory is an internal error, not a crash.
template <typename T>
static int append(std::vector<T>& items, T item) {
    try {
        items.push_back(std::move(item));
    } catch (const std::bad_alloc&) {
        return REPORT_ERR();
    }
    return OKAY;
}

int skinInit(std::unique_ptr<Skin>& out, int doubleBuffered, CSlout* trace) {
    auto skin = std::make_unique<Skin>();
    skin->trace = trace;
    skin->doubleBuffered = doubleBuffered;
    skin->draggedSlider = -1;
    out = std::move(skin);
    return OKAY;
}

void skinFree(std::unique_ptr<Skin>& skin) {
    if (!skin) return;
    doubleBuffFree(skin->backBuffer);
    skin.reset();
}

// Loads a bitmap file at its own size.
int skinLoadBitmapFile(const std::string& path, QImage& image) {
    const QString name = QString::fromStdString(path);
    if (!QFile::exists(name)) return REPORT_ERR();
    QImage loaded;
    if (!loaded.load(name, "BMP") || loaded.isNull()) return REPORT_ERR();
    image = std::move(loaded);
    return OKAY;
}

int skinComponentAdd(Skin* skin, int key, int kind) {
    if (!skin) return OKAY;
    if (kind != kSkinKindBitmap && kind != kSkinKindText) return REPORT_ERR();
    SkinComponent c;
    c.key = key;
    c.kind = kind;
    REPORT_CHECK(append(skin->components, std::move(c)));
    return OKAY;
}

int skinComponentSetPosition(Skin* skin, int key, int x, int y) {
    if (!skin) return OKAY;
    SkinComponent* c = skinFindComponent(*skin, key);
    if (!c) return REPORT_ERR();
    c->x = x;
    c->y = y;
    c->placed = 1;
    return OKAY;
}

int skinComponentSetValue(Skin* skin, int key, int value) {
    if (!skin) return OKAY;
    SkinComponent* c = skinFindComponent(*skin, key);
    if (!c) return REPORT_ERR();
    c->value = value;
    return OKAY;
}

int skinComponentGetValue(Skin* skin, int key, int& value) {
    if (!skin) return OKAY;
    SkinComponent* c = skinFindComponent(*skin, key);
    if (!c) return REPORT_ERR();
    value = c->value;
    return OKAY;
}

int skinComponentSetValueAndRefresh(Skin* skin, int key, int value, PaintWindow* window) {
    if (!skin) return OKAY;
    if (!window) return REPORT_ERR();
    SkinComponent* c = skinFindComponent(*skin, key);
    if (!c) return REPORT_ERR();
    if (c->value == value) return OKAY;
    c->value = value;
    REPORT_CHECK(skinRefreshComponent(skin, window, key));
    return OKAY;
}

int skinComponentBitmapLoad(Skin* skin, int key, const std::string& path) {
    if (!skin) return OKAY;
    SkinComponent* c = skinFindComponent(*skin, key);
    if (!c || c->kind != kSkinKindBitmap) return REPORT_ERR();
    QImage image;
    if (skinLoadBitmapFile(path, image) != OKAY) {
        c->bitmap = QImage();
        c->width = 0;
        c->height = 0;
        return REPORT_ERR();
    }
    c->width = image.width();
    c->height = image.height();
    c->bitmap = std::move(image);
    return OKAY;
}

int skinComponentBitmapGetSize(Skin* skin, int key, int& width, int& height) {
    if (!skin) return OKAY;
    SkinComponent* c = skinFindComponent(*skin, key);
    if (!c) return REPORT_ERR();
    width = c->width;
    height = c->height;
    return OKAY;
}

int skinComponentSetShownWidth(Skin* skin, int key, int width, PaintWindow* window) {
    if (!skin) return OKAY;
    if (!window) return REPORT_ERR();
    SkinComponent* c = skinFindComponent(*skin, key);
    if (!c || c->kind != kSkinKindBitmap) return REPORT_ERR();
    const int shown = width < 0 ? -1 : std::min(width, c->width);
    if (shown == c->shownWidth) return OKAY;
    const int before = c->shownWidth < 0 ? c->width : c->shownWidth;
    const int after = shown < 0 ? c->width : shown;
    c->shownWidth = shown;
    if (c->bitmap.isNull() || before == after) return OKAY;
    window->invalidate(
        {c->x + std::min(before, after), c->y, c->x + std::max(before, after), c->y + c->height}, false);
    return OKAY;
}

int skinComponentGetShownWidth(Skin* skin, int key, int& width) {
    if (!skin) return OKAY;
    SkinComponent* c = skinFindComponent(*skin, key);
    if (!c) return REPORT_ERR();
    width = c->shownWidth;
    return OKAY;
}

int skinHotspotAdd(Skin* skin, int key) {
    if (!skin) return OKAY;
    SkinHotspot h;
    h.key = key;
    REPORT_CHECK(append(skin->hotspots, h));
    return OKAY;
}

int skinHotspotSetRect(Skin* skin, int key, int left, int top, int right, int bottom) {
    if (!skin) return OKAY;
    SkinHotspot* h = skinFindHotspot(*skin, key);
    if (!h) return REPORT_ERR();
    h->rect = hwndRect{left, top, right + 1, bottom + 1};  // given inclusive
    h->enabled = 1;
    return OKAY;
}

int skinHotspotGet(Skin* skin, int key, int& enabled, int& left, int& top, int& right, int& bottom) {
    if (!skin) return OKAY;
    SkinHotspot* h = skinFindHotspot(*skin, key);
    if (!h) return REPORT_ERR();
    enabled = h->enabled;
    left = h->rect.left;
    top = h->rect.top;
    right = h->rect.right - 1;
    bottom = h->rect.bottom - 1;
    return OKAY;
}

int skinHotspotSetOutline(Skin* skin, int key, int left, int top, int right, int bottom, int radius) {
    if (!skin) return OKAY;
    SkinHotspot* h = skinFindHotspot(*skin, key);
    if (!h) return REPORT_ERR();
    h->outline = hwndRect{left, top, right + 1, bottom + 1};  // given inclusive
    h->outlineRadius = std::max(radius, 0);
    h->hasOutline = true;
    return OKAY;
}

static SkinComponent* findText(Skin& skin, int key) {
    SkinComponent* c = skinFindComponent(skin, key);
    return c && c->kind == kSkinKindText ? c : nullptr;
}

int skinTextSetRect(Skin* skin, int key, int left, int top, int right, int bottom) {
    if (!skin) return OKAY;
    SkinComponent* c = findText(*skin, key);
    if (!c) return REPORT_ERR();
    c->rect = hwndRect{left, top, right, bottom};
    c->x = left;
    c->y = top;
    c->placed = 1;
    return OKAY;
}

int skinTextSetSize(Skin* skin, int key, int size) {
    if (!skin) return OKAY;
    SkinComponent* c = findText(*skin, key);
    if (!c) return REPORT_ERR();
    c->fontSize = size;
    c->halfSize = size / 2;
    return OKAY;
}

int skinTextSetColour(Skin* skin, int key, int a, int b, int c) {
    if (!skin) return OKAY;
    SkinComponent* t = findText(*skin, key);
    if (!t) return REPORT_ERR();
    for (int v : {a, b, c})
        if (v < 0 || v > 255) return REPORT_ERR();
    t->colourA = a;
    t->colourB = b;
    t->colourC = c;
    return OKAY;
}

int skinTextGetRect(Skin* skin, int key, int& left, int& top, int& right, int& bottom) {
    if (!skin) return OKAY;
    SkinComponent* c = findText(*skin, key);
    if (!c) return REPORT_ERR();
    left = c->rect.left;
    top = c->rect.top;
    right = c->rect.right;
    bottom = c->rect.bottom;
    return OKAY;
}

// The text as stored: at most kSkinTextMax UTF-16 units, never half a pair.
static std::string cutText(std::string_view text) {
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (s.size() > kSkinTextMax) {
        qsizetype n = kSkinTextMax;
        if (s.at(n - 1).isHighSurrogate()) --n;
        s.truncate(n);
    }
    return s.toStdString();
}

int skinTextSetText(Skin* skin, int key, std::string_view text) {
    if (!skin) return OKAY;
    SkinComponent* c = findText(*skin, key);
    if (!c) return REPORT_ERR();
    c->text = cutText(text);
    return OKAY;
}

int skinTextGetText(Skin* skin, int key, std::string& text) {
    if (!skin) return OKAY;
    SkinComponent* c = findText(*skin, key);
    if (!c) return REPORT_ERR();
    text = c->text;
    return OKAY;
}

int skinTextUpdate(Skin* skin, int key, std::string_view text, PaintWindow* window) {
    if (!skin) return OKAY;
    if (!window) return REPORT_ERR();
    SkinComponent* c = findText(*skin, key);
    if (!c) return REPORT_ERR();
    // Compared as stored, so a text longer than the limit repaints only once.
    std::string stored = cutText(text);
    if (stored == c->text) return OKAY;
    c->text = std::move(stored);
    REPORT_CHECK(skinRefreshComponent(skin, window, key));
    return OKAY;
}

int skinAdditionalValueAdd(Skin* skin, int key) {
    if (!skin) return OKAY;
    REPORT_CHECK(append(skin->values, SkinValue{key, 0}));
    return OKAY;
}

int skinAdditionalValueSet(Skin* skin, int key, int value) {
    if (!skin) return OKAY;
    SkinValue* v = findValue(*skin, key);
    if (!v) return REPORT_ERR();
    v->value = value;
    return OKAY;
}

int skinAdditionalValueGet(Skin* skin, int key, int& value) {
    if (!skin) return OKAY;
    SkinValue* v = findValue(*skin, key);
    if (!v) return REPORT_ERR();
    value = v->value;
    return OKAY;
}
