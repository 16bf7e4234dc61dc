// Sliders and quantizers: value <-> pixel conversion, storing only visible
// moves, knob hit-testing and the dragging state.
#include <gtest/gtest.h>

#include "Qnt.h"
#include "report.h"
#include "skin.h"
#include "skinTestSupport.h"
#include "testsupport.h"

using skintest::ImageWindow;
using skintest::Invalidation;

namespace {

TEST(Qnt, IntToRealTableEndsExactlyAtTheTop) {
    QntIntToReal table;
    ASSERT_EQ(QntIntToRealInit(table, 15, 105, 0.0f, 1.0f), OKAY);
    ASSERT_EQ(table.table.size(), 91u);
    float v = -1;
    ASSERT_EQ(QntIntToRealLookup(table, 15, v), OKAY);
    EXPECT_EQ(v, 0.0f);
    ASSERT_EQ(QntIntToRealLookup(table, 60, v), OKAY);
    EXPECT_FLOAT_EQ(v, 0.5f);
    ASSERT_EQ(QntIntToRealLookup(table, 105, v), OKAY);
    EXPECT_EQ(v, 1.0f);
    ReportRecorder reports;
    v = -1;
    EXPECT_NE(QntIntToRealLookup(table, 14, v), OKAY);
    EXPECT_NE(QntIntToRealLookup(table, 106, v), OKAY);
    EXPECT_EQ(v, -1.0f);
    EXPECT_EQ(reports.count(), 2u);

    // A travel of one pixel holds just the top; a reversed one holds nothing.
    ASSERT_EQ(QntIntToRealInit(table, 7, 7, 0.0f, 1.0f), OKAY);
    ASSERT_EQ(QntIntToRealLookup(table, 7, v), OKAY);
    EXPECT_EQ(v, 1.0f);
    ASSERT_EQ(QntIntToRealInit(table, 8, 7, 0.0f, 1.0f), OKAY);
    EXPECT_TRUE(table.table.empty());
}

TEST(Qnt, RealToIntRoundsHalfUpAndRejectsNonsense) {
    QntRealToInt q;
    ASSERT_EQ(QntRealToIntInit(q, 0.0, 1.0, 15, 105), OKAY);
    int x = 0;
    ASSERT_EQ(QntRealToIntConvert(q, 0.5, x), OKAY);
    EXPECT_EQ(x, 60);
    ASSERT_EQ(QntRealToIntConvert(q, 0.0001, x), OKAY);
    EXPECT_EQ(x, 15);
    ASSERT_EQ(QntRealToIntConvert(q, 0.995, x), OKAY);
    EXPECT_EQ(x, 105);
    ReportRecorder reports;
    EXPECT_NE(QntRealToIntConvert(q, std::nan(""), x), OKAY);
    EXPECT_NE(QntRealToIntInit(q, 1.0, 1.0, 0, 10), OKAY);
    EXPECT_EQ(reports.count(), 2u);
}

// A skin with one slider whose track runs from 10 to 110 with a 10-pixel knob.
class SliderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(skinInit(skin, 1, nullptr), OKAY);
        skintest::writeBmp(dir.file("knob.bmp"), 10, 8, skintest::kRed);
        ASSERT_EQ(skinSliderAdd(skin.get(), 7), OKAY);
        ASSERT_EQ(skinSliderBitmapLoad(skin.get(), 7, false, dir.file("knob.bmp")), OKAY);
        ASSERT_EQ(skinSliderSetRect(skin.get(), 7, 10, 20, 110, 30), OKAY);
    }
    float xToValue(int x) {
        float v = -1;
        EXPECT_EQ(skinSliderXToValue(skin.get(), 7, x, v), OKAY);
        return v;
    }
    int valueToX(float value) {
        int x = -1;
        EXPECT_EQ(skinSliderValueToX(skin.get(), 7, value, x), OKAY);
        return x;
    }
    float stored() {
        float v = -1;
        EXPECT_EQ(skinSliderGetValue(skin.get(), 7, v), OKAY);
        return v;
    }

    testsupport::TempDir dir;
    std::unique_ptr<Skin> skin;
    ImageWindow window{200, 50};
};

TEST_F(SliderTest, ConversionTable) {
    struct {
        float value;
        int x;
    } toX[] = {{0.5f, 60}, {0.0001f, 15}, {0.0f, 15}, {-3.0f, 15}, {1.0f, 105}, {7.0f, 105}, {0.25f, 38}};
    for (auto c : toX) EXPECT_EQ(valueToX(c.value), c.x) << c.value;
    struct {
        int x;
        float value;
    } toValue[] = {{15, 0.0f}, {0, 0.0f}, {-40, 0.0f}, {105, 1.0f}, {500, 1.0f}, {60, 0.5f}};
    for (auto c : toValue) EXPECT_FLOAT_EQ(xToValue(c.x), c.value) << c.x;
}

TEST_F(SliderTest, ValueIsStoredOnlyWhenTheKnobMovesAPixel) {
    ASSERT_EQ(skinSliderSetValue(skin.get(), &window, 7, 0.5f), OKAY);
    EXPECT_EQ(stored(), 0.5f);
    // Knob from 15 to 60: the strip between both knobs, track top to bottom.
    ASSERT_EQ(window.invalidations.size(), 1u);
    EXPECT_EQ(window.invalidations[0], (Invalidation{{15 - 5 - 1, 20, 60 + 5 + 1, 30}, false}));
    ASSERT_EQ(skinSliderSetValue(skin.get(), &window, 7, 0.504f), OKAY);  // still pixel 60
    EXPECT_EQ(stored(), 0.5f);
    EXPECT_EQ(window.invalidations.size(), 1u);
    ASSERT_EQ(skinSliderSetValue(skin.get(), &window, 7, 0.0001f), OKAY);  // back to 15
    EXPECT_EQ(stored(), 0.0001f);
    EXPECT_EQ(window.invalidations.back(), (Invalidation{{9, 20, 66, 30}, false}));
}

TEST_F(SliderTest, OnlyTheKnobIsATargetAndHiddenKnobsCount) {
    ASSERT_EQ(skinSliderSetValue(skin.get(), &window, 7, 0.5f), OKAY);  // knob 55..65
    struct {
        int x, y, key;
    } cases[] = {{60, 25, 7},  {55, 20, 7},  {65, 30, 7},
                 {54, 25, -1}, {66, 25, -1}, {30, 25, -1} /* track beside the knob */,
                 {60, 19, -1}, {60, 31, -1}};
    for (auto c : cases) {
        int key = 99;
        ASSERT_EQ(skinSliderHitTest(skin.get(), c.x, c.y, key), OKAY);
        EXPECT_EQ(key, c.key) << c.x << "," << c.y;
    }
    ASSERT_EQ(skinSliderSetEnabled(skin.get(), 7, 0), OKAY);
    int key = -1;
    ASSERT_EQ(skinSliderHitTest(skin.get(), 60, 25, key), OKAY);
    EXPECT_EQ(key, 7);
}

TEST_F(SliderTest, TheTrackHitTestCoversTheGrooveBesideTheKnob) {
    struct {
        int x, y, key;
    } cases[] = {{10, 20, 7}, {30, 25, 7},  {109, 30, 7}, {110, 25, -1},
                 {9, 25, -1}, {60, 19, -1}, {60, 31, -1}};
    for (auto c : cases) {
        int key = 99;
        ASSERT_EQ(skinSliderTrackHitTest(skin.get(), c.x, c.y, key), OKAY);
        EXPECT_EQ(key, c.key) << c.x << "," << c.y;
    }
}

TEST_F(SliderTest, HoverRepaintsTheTrackOnlyOnChange) {
    ASSERT_EQ(skinSliderHover(skin.get(), &window, 15, 25, 7), OKAY);
    ASSERT_EQ(skinSliderHover(skin.get(), &window, 16, 25, 7), OKAY);
    ASSERT_EQ(window.invalidations.size(), 1u);
    EXPECT_EQ(window.invalidations[0], (Invalidation{{10, 20, 110, 30}, false}));
    EXPECT_EQ(skin->sliders[0].hover, 1);
    ASSERT_EQ(skinSliderHover(skin.get(), &window, 80, 25, 7), OKAY);
    EXPECT_EQ(skin->sliders[0].hover, 0);
    EXPECT_EQ(window.invalidations.size(), 2u);
}

TEST_F(SliderTest, DraggingState) {
    int key = 0;
    ASSERT_EQ(skinSliderGetDrag(skin.get(), key), OKAY);
    EXPECT_EQ(key, -1);
    ASSERT_EQ(skinSliderSetDrag(skin.get(), 7, 16, 22), OKAY);
    ASSERT_EQ(skinSliderGetDrag(skin.get(), key), OKAY);
    EXPECT_EQ(key, 7);
    EXPECT_EQ(skin->sliders[0].dragX, 16);
    EXPECT_EQ(skin->sliders[0].dragY, 22);
    ASSERT_EQ(skinSliderSetDrag(skin.get(), -1, 0, 0), OKAY);
    ASSERT_EQ(skinSliderGetDrag(skin.get(), key), OKAY);
    EXPECT_EQ(key, -1);
}

TEST_F(SliderTest, FaultsAreInternalErrors) {
    ReportRecorder reports;
    float v = 0;
    int x = 0;
    EXPECT_NE(skinSliderXToValue(skin.get(), 8, 10, v), OKAY);  // unknown key
    EXPECT_NE(skinSliderSetDrag(skin.get(), 8, 0, 0), OKAY);
    EXPECT_NE(skinSliderValueToX(nullptr, 7, 0.5f, x), OKAY);           // null skin
    EXPECT_NE(skinSliderSetValue(skin.get(), nullptr, 7, 0.5f), OKAY);  // no window
    ASSERT_EQ(skinSliderAdd(skin.get(), 8), OKAY);
    EXPECT_NE(skinSliderSetRect(skin.get(), 8, 0, 0, 100, 10), OKAY);  // no knob yet
    EXPECT_NE(skinSliderBitmapLoad(skin.get(), 8, false, dir.file("missing.bmp")), OKAY);
    EXPECT_TRUE(skin->sliders[1].knob.isNull());
    EXPECT_EQ(reports.count(), 7u);  // the failed load reports a chain of two
}

}  // namespace
