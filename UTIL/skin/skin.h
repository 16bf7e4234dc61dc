// The skin engine: a window surface made of bitmaps, text fields, clickable
// rectangles (hotspots) and horizontal sliders, all addressed by integer keys
// that the application chooses.
//
// The engine knows nothing of what a piece means. Components are painted in
// the order they were added, so later ones (hover images) lie on top of
// earlier ones (the background); hotspots are hit-tested in the order they
// were added, so the first one wins where two overlap. Painting goes through
// a back buffer for a double-buffered skin, and every change invalidates
// only the area whose look changed, so the next paint shows it.
//
// Every operation returns OKAY, or NOT_OKAY after reporting an internal error
// (a key that does not exist, a missing window or bitmap). Operations on the
// components, hotspots, texts and additional values of a null skin, and the
// painting, refresh, hit-test and hover operations, do nothing on a null skin
// and return OKAY; slider operations on a null skin are internal errors.
//
// Qt Gui only: QImage holds the bitmaps, QPainter draws. UI thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QColor>
#include <QImage>

#include "Qnt.h"
#include "doubleBuff.h"
#include "hwnd.h"

class CSlout;

constexpr int kSkinKindBitmap = 1;
constexpr int kSkinKindText = 2;
// Longest text of a text component, in UTF-16 code units.
constexpr int kSkinTextMax = 511;

struct SkinComponent {
    int key = 0;
    int kind = 0;   // kSkinKindBitmap or kSkinKindText
    int value = 0;  // 0 hidden, nonzero shown
    QImage bitmap;  // bitmap component: null until loaded
    int width = 0;  // size of the loaded bitmap
    int height = 0;
    std::string text;  // text component, UTF-8
    int colourA = 0;   // colour triple in definition-file order: red = a, green = c, blue = b
    int colourB = 0;
    int colourC = 0;
    int fontSize = 0;  // character height in pixels
    int halfSize = 0;  // fontSize / 2, the character width
    hwndRect rect;     // text rectangle
    int placed = 0;    // an unplaced component is never drawn
    int x = 0;
    int y = 0;
    // Bitmap component: how many of its columns, from the left, are drawn
    // (a level bar); -1 draws the whole bitmap.
    int shownWidth = -1;
};

struct SkinHotspot {
    int key = 0;
    int enabled = 0;  // 0 until a rectangle is set; a disabled hotspot is never hit
    hwndRect rect;
    // The shape of the button under the hotspot, which the focus ring
    // follows: a rectangle with rounded corners (a radius of half its side
    // makes a circle). Without one the ring follows the hotspot's rectangle.
    bool hasOutline = false;
    hwndRect outline;
    int outlineRadius = 0;
};

// The control that has the keyboard focus: a hotspot or a slider's knob (-1: none).
struct SkinFocus {
    int hotspot = -1;
    int slider = -1;
    bool operator==(const SkinFocus&) const = default;
};

struct SkinSlider {
    int key = 0;
    // The track: the knob's centre travels from track.left + knobWidth / 2 to
    // track.right - knobWidth / 2, on the track's middle row.
    hwndRect track;
    float value = 0.0f;                     // 0.0 .. 1.0
    std::optional<QntRealToInt> realToInt;  // built when the track is set
    std::optional<QntIntToReal> intToReal;
    QImage knob;
    int knobWidth = 0;
    int knobHeight = 0;
    QImage knobHover;
    int hoverWidth = 0;
    int hoverHeight = 0;
    int dragX = -1;  // where the current drag started
    int dragY = -1;
    int enabled = 0;  // a disabled knob is not drawn
    int hover = 0;    // which knob bitmap is drawn
};

struct SkinValue {
    int key = 0;
    int value = 0;
};

struct Skin {
    CSlout* trace = nullptr;
    std::vector<SkinComponent> components;
    std::vector<SkinHotspot> hotspots;
    std::vector<SkinSlider> sliders;
    std::vector<SkinValue> values;
    int draggedSlider = -1;
    SkinFocus focus;
    QColor focusColour{76, 141, 255};  // the focus ring's colour
    int doubleBuffered = 0;
    std::unique_ptr<DoubleBuff> backBuffer;  // created at the first paint
};

// --- skin and its tables ----------------------------------------------------
int skinInit(std::unique_ptr<Skin>& out, int doubleBuffered, CSlout* trace);
// Frees everything the skin owns and clears the caller's pointer.
void skinFree(std::unique_ptr<Skin>& skin);

int skinComponentAdd(Skin* skin, int key, int kind);
int skinComponentSetPosition(Skin* skin, int key, int x, int y);
int skinComponentSetValue(Skin* skin, int key, int value);
int skinComponentGetValue(Skin* skin, int key, int& value);
// Stores the value and, only when it changed, invalidates the component's area.
int skinComponentSetValueAndRefresh(Skin* skin, int key, int value, PaintWindow* window);
// Loads a bitmap file at its own size; a missing or unreadable file is an
// internal error and leaves the component without bitmap.
int skinComponentBitmapLoad(Skin* skin, int key, const std::string& path);
int skinComponentBitmapGetSize(Skin* skin, int key, int& width, int& height);
// A level bar: the left `width` columns of the component's bitmap are drawn
// (clamped to 0..bitmap width; -1 draws it whole). Only the columns that
// change are invalidated, and nothing when the width does not change.
int skinComponentSetShownWidth(Skin* skin, int key, int width, PaintWindow* window);
int skinComponentGetShownWidth(Skin* skin, int key, int& width);

int skinHotspotAdd(Skin* skin, int key);
// Stores the rectangle (bounds inclusive) and enables the hotspot.
int skinHotspotSetRect(Skin* skin, int key, int left, int top, int right, int bottom);
int skinHotspotGet(Skin* skin, int key, int& enabled, int& left, int& top, int& right, int& bottom);
// The button's shape for the focus ring (bounds inclusive, corner radius; a
// negative radius counts as 0).
int skinHotspotSetOutline(Skin* skin, int key, int left, int top, int right, int bottom, int radius);

// --- keyboard focus ------------------------------------------------------------
// The focus ring is drawn over everything, a little outside the focused
// control: around a hotspot's outline (its rectangle, rounded, when it has
// none), or as a circle around a slider's knob, wherever the knob is. Moving
// the focus invalidates the old ring and the new one.
int skinFocusSet(Skin* skin, PaintWindow* window, const SkinFocus& focus);
int skinFocusGet(Skin* skin, SkinFocus& focus);
int skinFocusSetColour(Skin* skin, int red, int green, int blue);
// The ring's bounds (what a paint of it may touch); empty without a focus.
int skinFocusRingBounds(Skin* skin, hwndRect& bounds);

// Stores the rectangle and places the component at (left, top).
int skinTextSetRect(Skin* skin, int key, int left, int top, int right, int bottom);
int skinTextSetSize(Skin* skin, int key, int size);
// Each of a, b, c must lie in 0..255.
int skinTextSetColour(Skin* skin, int key, int a, int b, int c);
int skinTextGetRect(Skin* skin, int key, int& left, int& top, int& right, int& bottom);
// Copies the text, cut to kSkinTextMax UTF-16 units (an empty view stands for none).
int skinTextSetText(Skin* skin, int key, std::string_view text);
int skinTextGetText(Skin* skin, int key, std::string& text);
// Stores the text and repaints it only when it differs from the current one.
int skinTextUpdate(Skin* skin, int key, std::string_view text, PaintWindow* window);

int skinAdditionalValueAdd(Skin* skin, int key);
int skinAdditionalValueSet(Skin* skin, int key, int value);
int skinAdditionalValueGet(Skin* skin, int key, int& value);

// --- painting and interaction ------------------------------------------------
// Answers the window's paint: every shown and placed component in insertion
// order, then every enabled slider's knob; through the back buffer for a
// double-buffered skin.
int skinPaint(Skin* skin, PaintWindow* window);
int skinRefreshComponent(Skin* skin, PaintWindow* window, int key);
int skinRefreshSlider(Skin* skin, PaintWindow* window, int key);
int skinRefreshSliderMove(Skin* skin, PaintWindow* window, int key, int oldX, int newX);
// The first enabled hotspot containing (x, y), or -1.
int skinHotspotHitTest(Skin* skin, int x, int y, int& key);
// Shows the component while (x, y) lies in the hotspot, hides it otherwise.
int skinHover(Skin* skin, PaintWindow* window, int x, int y, int componentKey, int hotspotKey);
// Whether the logical left (button 1) or right (any other value) mouse button
// is down at this moment.
int skinMouseButtonDown(int button, bool& down);

// --- sliders ------------------------------------------------------------------
int skinSliderAdd(Skin* skin, int key);
int skinSliderBitmapLoad(Skin* skin, int key, bool hover, const std::string& path);
// Needs the normal knob loaded; builds the conversions over the knob's travel.
int skinSliderSetRect(Skin* skin, int key, int left, int top, int right, int bottom);
// Shows or hides the knob; the change shows at the next paint.
int skinSliderSetEnabled(Skin* skin, int key, int enabled);
int skinSliderValueToX(Skin* skin, int key, float value, int& x);
int skinSliderXToValue(Skin* skin, int key, int x, float& value);
// Stores the value only when the knob moves by at least one pixel.
int skinSliderSetValue(Skin* skin, PaintWindow* window, int key, float value);
int skinSliderGetValue(Skin* skin, int key, float& value);
// The first slider whose knob contains (x, y), or -1; hidden knobs count.
int skinSliderHitTest(Skin* skin, int x, int y, int& key);
// The first slider with a knob whose track (its whole rectangle, the groove
// beside the knob included; right edge exclusive, bottom row included as for
// the knob) contains (x, y), or -1.
int skinSliderTrackHitTest(Skin* skin, int x, int y, int& key);
int skinSliderHover(Skin* skin, PaintWindow* window, int x, int y, int key);
// Key -1 ends any drag; another key starts dragging that slider from (x, y).
int skinSliderSetDrag(Skin* skin, int key, int x, int y);
int skinSliderGetDrag(Skin* skin, int& key);
