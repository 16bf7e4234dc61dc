// Window-placement arithmetic as pure functions on plain rectangles. The
// window layer reads the window's rectangles and the screen areas, asks here
// where the window goes, and applies the result; nothing here touches a window.
#pragma once

// Coordinates read from outside (a skin, a saved window position) are kept
// within the range a screen coordinate can take before any arithmetic, so
// that sums of them never overflow.
inline constexpr int kHwndCoordMin = -32768;
inline constexpr int kHwndCoordMax = 32767;
constexpr int hwndClampCoord(long long v) {
    return v < kHwndCoordMin ? kHwndCoordMin : (v > kHwndCoordMax ? kHwndCoordMax : static_cast<int>(v));
}

// The program's one rectangle: left and top inclusive, right and bottom
// exclusive, as window rectangles are. Window placement, repainting and the
// skin's pieces all use it; where a skin definition gives inclusive bounds
// (hotspots), they are converted once, when the skin is built.
struct hwndRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
    bool operator==(const hwndRect&) const = default;
};

// Where a window of the given rectangle goes when asked to sit at (x, y):
// there, keeping its size, when the whole window then lies inside the
// maximised-window area of areaWidth x areaHeight (x >= 0, y >= 0, right edge
// <= areaWidth, bottom edge <= areaHeight); otherwise centred in that area,
// with a coordinate that would be negative set to 0.
hwndRect hwndPlaceAt(const hwndRect& window, int x, int y, int areaWidth, int areaHeight);

// The window moved to (x, y), keeping its size.
hwndRect hwndMoveKeepingSize(const hwndRect& window, int x, int y);

// The window centred in an area (the primary display's full-screen client
// area), keeping its size; a coordinate before the area's start is clamped to it.
hwndRect hwndCentreIn(const hwndRect& window, const hwndRect& area);

// The window rectangle whose client area becomes clientWidth x clientHeight,
// keeping the window's position and its frame (window size minus client size).
hwndRect hwndWithClientSize(const hwndRect& window, const hwndRect& client, int clientWidth,
                            int clientHeight);

// Window height minus client height (used to place pop-up menus).
int hwndFrameHeight(const hwndRect& window, const hwndRect& client);
