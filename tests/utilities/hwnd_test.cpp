// Window-placement arithmetic: place-at inside or outside the maximised area,
// centring, and client-size changes.
#include <gtest/gtest.h>

#include "hwnd.h"

namespace {

TEST(hwnd, PlaceAtKeepsInsidePositionsAndCentresOthers) {
    const hwndRect window{500, 500, 800, 700};  // 300 x 200
    struct Case {
        int x, y, areaW, areaH;
        hwndRect expected;
    };
    const Case cases[] = {
        {10, 20, 1920, 1040, {10, 20, 310, 220}},          // inside
        {0, 0, 1920, 1040, {0, 0, 300, 200}},              // the corner is inside
        {1620, 840, 1920, 1040, {1620, 840, 1920, 1040}},  // touching the far edges is inside
        {1621, 20, 1920, 1040, {810, 420, 1110, 620}},     // one pixel out: centred
        {-1, -1, 1920, 1040, {810, 420, 1110, 620}},       // the "no position" pair: centred
        {10, 10, 200, 100, {0, 0, 300, 200}},              // area smaller than the window: 0, not negative
        // Extreme saved positions and areas: no sum overflows (checked under UBSan).
        {2147483647, 2147483647, 1920, 1040, {810, 420, 1110, 620}},
        {-2147483647 - 1, 5, 1920, 1040, {810, 420, 1110, 620}},
        {10, 20, 2147483647, 2147483647, {10, 20, 310, 220}},
        {2147483647, 0, 2147483647, 1040, {32767, 420, 33067, 620}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hwndPlaceAt(window, c.x, c.y, c.areaW, c.areaH), c.expected) << c.x << "," << c.y;
    }
}

TEST(hwnd, CentreMoveAndClientSize) {
    const hwndRect window{100, 100, 400, 300};
    EXPECT_EQ(hwndCentreIn(window, {0, 0, 1000, 800}), (hwndRect{350, 300, 650, 500}));
    EXPECT_EQ(hwndCentreIn(window, {1920, 0, 3840, 1080}), (hwndRect{2730, 440, 3030, 640}));
    EXPECT_EQ(hwndCentreIn(window, {0, 0, 100, 100}), (hwndRect{0, 0, 300, 200}));
    EXPECT_EQ(hwndMoveKeepingSize(window, -5, 7), (hwndRect{-5, 7, 295, 207}));

    const hwndRect client{0, 0, 290, 170};  // frame: 10 wide, 30 high
    EXPECT_EQ(hwndFrameHeight(window, client), 30);
    EXPECT_EQ(hwndWithClientSize(window, client, 400, 250), (hwndRect{100, 100, 510, 380}));
}

}  // namespace
