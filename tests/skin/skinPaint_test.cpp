// Painting a skin under the offscreen platform and checking the pixels, the
// invalidated rectangles, hotspot hit-testing and hover images.
#include <gtest/gtest.h>

#include <QTest>
#include <QWindow>

#include "report.h"
#include "skin.h"
#include "skinTestSupport.h"
#include "testsupport.h"

using namespace skintest;

namespace {

::testing::Environment* const gui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

enum Key {
    kBack = 1,
    kCover = 2,
    kUnplaced = 3,
    kText = 4,
    kHotFirst = 10,
    kHotSecond = 11,
    kHotOff = 12,
    kSlider = 20
};

// Background 40x30 red at (0,0), a 20x20 blue cover at (10,10) painted after
// it, a green component never placed, a text field (50,0)-(90,20); hotspots:
// a disabled one, (0,0)-(19,19), then the overlapping (10,10)-(39,29);
// a slider 10..110 x 30..40 with a 10x8 red knob and a green hover knob.
class PaintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeBmp(dir.file("back.bmp"), 40, 30, kRed);
        writeBmp(dir.file("cover.bmp"), 20, 20, kBlue);
        writeBmp(dir.file("green.bmp"), 10, 10, kGreen);
        writeBmp(dir.file("knob.bmp"), 10, 8, kRed);
        writeBmp(dir.file("knobhover.bmp"), 10, 8, kGreen);
        ASSERT_EQ(skinInit(skin, 1, nullptr), OKAY);
        Skin* s = skin.get();
        ASSERT_EQ(skinComponentAdd(s, kBack, kSkinKindBitmap), OKAY);
        ASSERT_EQ(skinComponentAdd(s, kCover, kSkinKindBitmap), OKAY);
        ASSERT_EQ(skinComponentAdd(s, kUnplaced, kSkinKindBitmap), OKAY);
        ASSERT_EQ(skinComponentAdd(s, kText, kSkinKindText), OKAY);
        ASSERT_EQ(skinComponentBitmapLoad(s, kBack, dir.file("back.bmp")), OKAY);
        ASSERT_EQ(skinComponentBitmapLoad(s, kCover, dir.file("cover.bmp")), OKAY);
        ASSERT_EQ(skinComponentBitmapLoad(s, kUnplaced, dir.file("green.bmp")), OKAY);
        ASSERT_EQ(skinComponentSetPosition(s, kBack, 0, 0), OKAY);
        ASSERT_EQ(skinComponentSetPosition(s, kCover, 10, 10), OKAY);
        ASSERT_EQ(skinTextSetRect(s, kText, 50, 0, 90, 20), OKAY);
        ASSERT_EQ(skinTextSetSize(s, kText, 18), OKAY);
        ASSERT_EQ(skinTextSetColour(s, kText, 255, 0, 128), OKAY);
        ASSERT_EQ(skinHotspotAdd(s, kHotOff), OKAY);
        ASSERT_EQ(skinHotspotAdd(s, kHotFirst), OKAY);
        ASSERT_EQ(skinHotspotAdd(s, kHotSecond), OKAY);
        ASSERT_EQ(skinHotspotSetRect(s, kHotFirst, 0, 0, 19, 19), OKAY);
        ASSERT_EQ(skinHotspotSetRect(s, kHotSecond, 10, 10, 39, 29), OKAY);
        ASSERT_EQ(skinSliderAdd(s, kSlider), OKAY);
        ASSERT_EQ(skinSliderBitmapLoad(s, kSlider, false, dir.file("knob.bmp")), OKAY);
        ASSERT_EQ(skinSliderBitmapLoad(s, kSlider, true, dir.file("knobhover.bmp")), OKAY);
        ASSERT_EQ(skinSliderSetRect(s, kSlider, 10, 30, 110, 40), OKAY);
    }
    void show(int key, int value) { ASSERT_EQ(skinComponentSetValue(skin.get(), key, value), OKAY); }
    void paint() { ASSERT_EQ(skinPaint(skin.get(), &window), OKAY); }
    int count(QRgb colour, QRect area) const {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) n += window.pixel(x, y) == colour;
        return n;
    }
    int hit(int x, int y) {
        int key = 99;
        EXPECT_EQ(skinHotspotHitTest(skin.get(), x, y, key), OKAY);
        return key;
    }

    testsupport::TempDir dir;
    std::unique_ptr<Skin> skin;
    ImageWindow window{120, 60};
};

TEST_F(PaintTest, ComponentsPaintInInsertionOrderAndOnlyWhenShownAndPlaced) {
    show(kBack, 1);
    show(kCover, 1);
    show(kUnplaced, 1);
    paint();
    EXPECT_EQ(window.pixel(5, 5), kRed);
    EXPECT_EQ(window.pixel(15, 15), kBlue);  // the later component covers the earlier
    EXPECT_EQ(window.pixel(29, 29), kBlue);
    EXPECT_EQ(window.pixel(39, 29), kRed);
    EXPECT_EQ(window.pixel(100, 5), kBlack);           // back buffer beyond every piece
    EXPECT_EQ(count(kGreen, window.image.rect()), 0);  // shown but never placed
    EXPECT_EQ(skin->backBuffer->width, 120);
    EXPECT_EQ(skin->backBuffer->height, 60);

    show(kCover, 0);
    paint();
    EXPECT_EQ(window.pixel(15, 15), kRed);
}

// A paint that covers part of the window redraws that part as a whole paint
// would (a piece no longer shown leaves its place there) and leaves the rest.
TEST_F(PaintTest, PaintOfAPartRedrawsThatPartOnly) {
    show(kBack, 1);
    show(kCover, 1);
    paint();
    show(kCover, 0);
    window.part = hwndRect{10, 10, 20, 20};
    paint();
    EXPECT_EQ(window.pixel(10, 10), kRed);  // the cover went where the paint reached
    EXPECT_EQ(window.pixel(19, 19), kRed);
    EXPECT_EQ(window.pixel(20, 20), kBlue);  // and stays beyond it
    EXPECT_EQ(window.pixel(29, 29), kBlue);
    EXPECT_EQ(count(kRed, QRect(10, 10, 10, 10)), 100);

    window.part = hwndRect{200, 200, 220, 220};  // outside the window: nothing
    paint();
    EXPECT_EQ(window.pixel(29, 29), kBlue);
    window.part.reset();
    paint();
    EXPECT_EQ(window.pixel(29, 29), kRed);
}

TEST_F(PaintTest, TextUsesItsColourOrderAndIsCutAtItsRectangle) {
    ASSERT_EQ(skinTextSetText(skin.get(), kText, "HHHHHHHHHHHHHHHHHHHH"), OKAY);
    show(kText, 1);
    paint();
    // Colour line 255,0,128 paints red 255, green 128, blue 0.
    EXPECT_GT(count(0xFF8000, QRect(50, 0, 40, 20)), 20);
    EXPECT_EQ(count(0xFF0080, window.image.rect()), 0);
    // Nothing to the right of or below the rectangle (right and bottom exclusive).
    EXPECT_EQ(count(kBlack, QRect(90, 0, 30, 60)), 30 * 60 - count(kRed, QRect(90, 30, 30, 30)));
    EXPECT_EQ(count(kBlack, QRect(50, 20, 40, 10)), 40 * 10);

    show(kText, 0);
    paint();
    EXPECT_EQ(count(0xFF8000, window.image.rect()), 0);
}

TEST_F(PaintTest, KnobIsDrawnAtItsValueWithTheHoverBitmapAndNotWhenDisabled) {
    paint();
    EXPECT_EQ(count(kRed, QRect(0, 30, 120, 30)), 0);  // disabled at creation
    ASSERT_EQ(skinSliderSetEnabled(skin.get(), kSlider, 1), OKAY);
    ASSERT_EQ(skinSliderSetValue(skin.get(), &window, kSlider, 0.5f), OKAY);
    paint();
    // Centre 60, 35: the knob covers (55,31)-(64,38).
    EXPECT_EQ(count(kRed, QRect(55, 31, 10, 8)), 80);
    EXPECT_EQ(count(kRed, QRect(0, 30, 120, 30)), 80);
    ASSERT_EQ(skinSliderHover(skin.get(), &window, 60, 35, kSlider), OKAY);
    paint();
    EXPECT_EQ(count(kGreen, QRect(55, 31, 10, 8)), 80);
    ASSERT_EQ(skinSliderSetEnabled(skin.get(), kSlider, 0), OKAY);
    paint();
    EXPECT_EQ(count(kGreen, window.image.rect()) + count(kRed, QRect(0, 30, 120, 30)), 0);
}

TEST_F(PaintTest, HoverShowsItsImageAndInvalidatesOnlyOnChange) {
    show(kBack, 1);
    ASSERT_EQ(skinHover(skin.get(), &window, 39, 29, kCover, kHotSecond),
              OKAY);  // right-bottom corner: inside
    ASSERT_EQ(skinHover(skin.get(), &window, 30, 20, kCover, kHotSecond), OKAY);
    ASSERT_EQ(window.invalidations.size(), 1u);
    EXPECT_EQ(window.invalidations[0], (Invalidation{{10, 10, 30, 30}, false}));
    paint();
    EXPECT_EQ(window.pixel(15, 15), kBlue);
    ASSERT_EQ(skinHover(skin.get(), &window, 40, 29, kCover, kHotSecond), OKAY);  // just outside
    EXPECT_EQ(window.invalidations.size(), 2u);
    paint();
    EXPECT_EQ(window.pixel(15, 15), kRed);
    // A disabled hotspot shows nothing.
    ASSERT_EQ(skinHover(skin.get(), &window, 0, 0, kCover, kHotOff), OKAY);
    EXPECT_EQ(window.invalidations.size(), 2u);
}

TEST_F(PaintTest, HitTestIncludesRightAndBottomEdgesAndTheFirstHotspotWins) {
    struct {
        int x, y, key;
    } cases[] = {{0, 0, kHotFirst},    {19, 19, kHotFirst},  {15, 15, kHotFirst} /* overlap */,
                 {20, 19, kHotSecond}, {39, 29, kHotSecond}, {40, 29, -1},
                 {39, 30, -1},         {-1, 0, -1}};
    for (auto c : cases) EXPECT_EQ(hit(c.x, c.y), c.key) << c.x << "," << c.y;
}

TEST_F(PaintTest, RefreshRectangles) {
    ASSERT_EQ(skinComponentSetValueAndRefresh(skin.get(), kCover, 0, &window), OKAY);  // unchanged
    EXPECT_TRUE(window.invalidations.empty());
    ASSERT_EQ(skinComponentSetValueAndRefresh(skin.get(), kCover, 1, &window), OKAY);
    ASSERT_EQ(skinTextUpdate(skin.get(), kText, "1:05", &window), OKAY);
    ASSERT_EQ(skinTextUpdate(skin.get(), kText, "1:05", &window), OKAY);  // same text: once
    ASSERT_EQ(skinTextUpdate(skin.get(), kText, "1:5", &window), OKAY);
    const std::vector<Invalidation> expected = {
        {{10, 10, 30, 30}, false}, {{50, 0, 90, 20}, true}, {{50, 0, 90, 20}, true}};
    EXPECT_EQ(window.invalidations, expected);
    std::string text;
    ASSERT_EQ(skinTextGetText(skin.get(), kText, text), OKAY);
    EXPECT_EQ(text, "1:5");

    // A bitmap component without a bitmap has nothing to repaint.
    ASSERT_EQ(skinComponentAdd(skin.get(), 30, kSkinKindBitmap), OKAY);
    ASSERT_EQ(skinRefreshComponent(skin.get(), &window, 30), OKAY);
    EXPECT_EQ(window.invalidations.size(), 3u);
}

// A level bar: the left columns of its bitmap, as many as asked (clamped to
// the bitmap); only the columns that change are repainted.
TEST_F(PaintTest, ShownWidthDrawsTheLeftColumnsAndRepaintsOnlyTheChange) {
    show(kBack, 1);
    show(kCover, 1);
    ASSERT_EQ(skinComponentSetShownWidth(skin.get(), kCover, 5, &window), OKAY);
    ASSERT_EQ(skinComponentSetShownWidth(skin.get(), kCover, 5, &window), OKAY);  // unchanged
    ASSERT_EQ(skinComponentSetShownWidth(skin.get(), kCover, 12, &window), OKAY);
    ASSERT_EQ(skinComponentSetShownWidth(skin.get(), kCover, 99, &window), OKAY);  // the whole bitmap
    int shown = 0;
    ASSERT_EQ(skinComponentGetShownWidth(skin.get(), kCover, shown), OKAY);
    EXPECT_EQ(shown, 20);
    const std::vector<Invalidation> expected = {
        {{15, 10, 30, 30}, false}, {{15, 10, 22, 30}, false}, {{22, 10, 30, 30}, false}};
    EXPECT_EQ(window.invalidations, expected);

    ASSERT_EQ(skinComponentSetShownWidth(skin.get(), kCover, 7, &window), OKAY);
    paint();
    EXPECT_EQ(count(kBlue, QRect(10, 10, 7, 20)), 7 * 20);
    EXPECT_EQ(window.pixel(17, 15), kRed);  // the background beside it
    ASSERT_EQ(skinComponentSetShownWidth(skin.get(), kCover, 0, &window), OKAY);
    paint();
    EXPECT_EQ(count(kBlue, QRect(0, 0, 40, 30)), 0);
    ASSERT_EQ(skinComponentSetShownWidth(skin.get(), kCover, -1, &window), OKAY);
    paint();
    EXPECT_EQ(count(kBlue, QRect(10, 10, 20, 20)), 20 * 20);
}

// The focus ring lies outside the control, in its shape: around a round
// outline it is a circle (nothing in its corners), around a hotspot without
// one a rounded rectangle, around a knob a circle that moves with the knob.
TEST_F(PaintTest, TheFocusRingFollowsTheControlsShapeAndMoves) {
    show(kBack, 1);
    ASSERT_EQ(skinFocusSetColour(skin.get(), 0, 0, 255), OKAY);
    ASSERT_EQ(skinHotspotSetRect(skin.get(), kHotOff, 60, 10, 99, 49), OKAY);
    ASSERT_EQ(skinHotspotSetOutline(skin.get(), kHotOff, 70, 20, 89, 39, 10), OKAY);  // a circle
    ImageWindow big(140, 70);
    ASSERT_EQ(skinFocusSet(skin.get(), &big, SkinFocus{kHotOff, -1}), OKAY);
    hwndRect ring;
    ASSERT_EQ(skinFocusRingBounds(skin.get(), ring), OKAY);
    EXPECT_LE(ring.left, 66);
    EXPECT_GE(ring.right, 94);
    EXPECT_EQ(big.invalidations, (std::vector<Invalidation>{{ring, false}}));
    ASSERT_EQ(skinPaint(skin.get(), &big), OKAY);
    auto blue = [&](int x, int y) {
        return qBlue(big.image.pixel(x, y)) > 128 && qRed(big.image.pixel(x, y)) < 128;
    };
    EXPECT_TRUE(blue(67, 30));   // left of the circle, 2 px out
    EXPECT_TRUE(blue(80, 17));   // above it
    EXPECT_FALSE(blue(68, 18));  // the corner of its square stays clear
    EXPECT_FALSE(blue(80, 30));  // inside

    // Without an outline: the hotspot's rectangle with rounded corners.
    ASSERT_EQ(skinFocusSet(skin.get(), &big, SkinFocus{kHotFirst, -1}), OKAY);
    ASSERT_EQ(skinFocusRingBounds(skin.get(), ring), OKAY);
    EXPECT_LE(ring.left, -3);  // outside the hotspot, the gap and the pen
    ASSERT_EQ(skinPaint(skin.get(), &big), OKAY);
    EXPECT_FALSE(blue(80, 17));  // the old ring is gone
    EXPECT_TRUE(blue(10, 22));   // under the hotspot
    EXPECT_FALSE(blue(21, 21));  // its corner is rounded

    // A knob's ring goes where the knob goes, and the move repaints both places.
    ASSERT_EQ(skinSliderSetEnabled(skin.get(), kSlider, 1), OKAY);
    ASSERT_EQ(skinFocusSet(skin.get(), &big, SkinFocus{-1, kSlider}), OKAY);
    hwndRect before;
    ASSERT_EQ(skinFocusRingBounds(skin.get(), before), OKAY);
    big.invalidations.clear();
    ASSERT_EQ(skinSliderSetValue(skin.get(), &big, kSlider, 1.0f), OKAY);
    hwndRect after;
    ASSERT_EQ(skinFocusRingBounds(skin.get(), after), OKAY);
    EXPECT_GT(after.left, before.left);
    ASSERT_FALSE(big.invalidations.empty());
    const hwndRect& last = big.invalidations.back().rect;
    EXPECT_LE(last.left, before.left);
    EXPECT_GE(last.right, after.right);

    ReportRecorder reports;
    EXPECT_NE(skinFocusSet(skin.get(), &big, SkinFocus{kHotFirst, kSlider}), OKAY);  // one control at most
    EXPECT_NE(skinFocusSet(skin.get(), &big, SkinFocus{77, -1}), OKAY);
    ASSERT_EQ(skinFocusSet(skin.get(), &big, SkinFocus{}), OKAY);
    ASSERT_EQ(skinFocusRingBounds(skin.get(), ring), OKAY);
    EXPECT_EQ(ring.width(), 0);
}

TEST_F(PaintTest, TextsAreCutTo511Units) {
    std::string text(600, 'x');
    ASSERT_EQ(skinTextUpdate(skin.get(), kText, text, &window), OKAY);
    ASSERT_EQ(skinTextUpdate(skin.get(), kText, text, &window), OKAY);
    EXPECT_EQ(window.invalidations.size(), 1u);
    std::string stored;
    ASSERT_EQ(skinTextGetText(skin.get(), kText, stored), OKAY);
    EXPECT_EQ(stored.size(), 511u);
    // A character outside the basic plane is never cut in half.
    std::string astral = std::string(510, 'x') + "\xF0\x9F\x8E\xB5";
    ASSERT_EQ(skinTextSetText(skin.get(), kText, astral), OKAY);
    ASSERT_EQ(skinTextGetText(skin.get(), kText, stored), OKAY);
    EXPECT_EQ(stored, std::string(510, 'x'));
}

TEST_F(PaintTest, NullSkinIsANoOpAndMissingPiecesAreInternalErrors) {
    ReportRecorder reports;
    int value = 5, key = 5;
    EXPECT_EQ(skinPaint(nullptr, &window), OKAY);
    EXPECT_EQ(skinComponentGetValue(nullptr, kBack, value), OKAY);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(skinHotspotHitTest(nullptr, 1, 1, key), OKAY);
    EXPECT_EQ(key, -1);
    EXPECT_EQ(skinHover(nullptr, &window, 1, 1, kCover, kHotFirst), OKAY);
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_NE(skinSliderAdd(nullptr, 1), OKAY);
    EXPECT_NE(skinComponentSetValue(skin.get(), 77, 1), OKAY);
    EXPECT_NE(skinPaint(skin.get(), nullptr), OKAY);
    EXPECT_NE(skinTextSetColour(skin.get(), kText, 0, 256, 0), OKAY);
    EXPECT_NE(skinTextSetRect(skin.get(), kBack, 0, 0, 1, 1), OKAY);  // not a text
    EXPECT_NE(skinComponentBitmapLoad(skin.get(), kBack, dir.file("none.bmp")), OKAY);
    EXPECT_TRUE(skin->components[0].bitmap.isNull());  // a failed load leaves no bitmap
    EXPECT_EQ(skin->components[0].width, 0);
    EXPECT_GE(reports.count(), 6u);
}

TEST(MouseButton, ReflectsTheButtonsHeldNow) {
    QWindow w;
    w.resize(50, 50);
    w.show();
    bool down = true;
    ASSERT_EQ(skinMouseButtonDown(1, down), OKAY);
    EXPECT_FALSE(down);
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(skinMouseButtonDown(1, down), OKAY);
    EXPECT_TRUE(down);
    ASSERT_EQ(skinMouseButtonDown(2, down), OKAY);
    EXPECT_FALSE(down);
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(skinMouseButtonDown(1, down), OKAY);
    EXPECT_FALSE(down);
}

}  // namespace
