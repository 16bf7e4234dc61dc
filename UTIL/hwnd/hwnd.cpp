// Window-placement arithmetic (see hwnd.h).
#include "hwnd.h"

#include <algorithm>

hwndRect hwndMoveKeepingSize(const hwndRect& window, int x, int y) {
    return {x, y, x + window.width(), y + window.height()};
}

hwndRect hwndPlaceAt(const hwndRect& window, int x, int y, int areaWidth, int areaHeight) {
    // In 64 bits: a saved position or an area may be anything an int holds.
    const long long w = static_cast<long long>(window.right) - window.left;
    const long long h = static_cast<long long>(window.bottom) - window.top;
    if (x >= 0 && y >= 0 && x + w <= areaWidth && y + h <= areaHeight)
        return hwndMoveKeepingSize(window, x, y);
    return hwndMoveKeepingSize(window, hwndClampCoord(std::max(0LL, (areaWidth - w) / 2)),
                               hwndClampCoord(std::max(0LL, (areaHeight - h) / 2)));
}

hwndRect hwndCentreIn(const hwndRect& window, const hwndRect& area) {
    const int x = area.left + std::max(0, (area.width() - window.width()) / 2);
    const int y = area.top + std::max(0, (area.height() - window.height()) / 2);
    return hwndMoveKeepingSize(window, x, y);
}

hwndRect hwndWithClientSize(const hwndRect& window, const hwndRect& client, int clientWidth,
                            int clientHeight) {
    const int frameW = window.width() - client.width();
    const int frameH = window.height() - client.height();
    return {window.left, window.top, window.left + clientWidth + frameW, window.top + clientHeight + frameH};
}

int hwndFrameHeight(const hwndRect& window, const hwndRect& client) {
    return window.height() - client.height();
}
