// The default skin as shipped: it loads cleanly, its pieces fit together
// (overlays inside the window, hotspots apart, nothing painted over the time
// read-outs, knobs inside their tracks), the normal-state overlays match the
// background pixel for pixel, and the read-outs have room for their longest text.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>

#include "recorderMainSkin.h"
#include "report.h"
#include "skinTestSupport.h"
#include "testsupport.h"

using namespace skintest;

namespace {

::testing::Environment* const gui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

class DefaultSkin : public ::testing::Test {
  protected:
    void SetUp() override {
        RecorderMainSkinHooks hooks;
        hooks.sizeWindow = [this](int w, int h) {
            size = QSize(w, h);
            return OKAY;
        };
        ASSERT_EQ(recorderInitMainSkin(testsupport::sourceDir() + "/Skins", nullptr, &dialog, hooks, skin),
                  OKAY);
        ASSERT_TRUE(skin);
    }
    const SkinComponent& component(int key) {
        for (const auto& c : skin->components)
            if (c.key == key) return c;
        throw std::runtime_error("no component " + std::to_string(key));
    }
    static QRect rectOf(const SkinComponent& c) {
        return c.kind == kSkinKindBitmap ? QRect(c.x, c.y, c.width, c.height)
                                         : QRect(c.rect.left, c.rect.top, c.rect.width(), c.rect.height());
    }

    ReportRecorder reports;
    testsupport::RecordingDialog dialog;
    std::unique_ptr<Skin> skin;
    QSize size;
};

TEST_F(DefaultSkin, LoadsAndFitsTogether) {
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_TRUE(dialog.texts.empty());
    EXPECT_GE(size.width(), 560);
    EXPECT_LE(size.width(), 720);
    const QRect window(QPoint(0, 0), size);
    for (const auto& c : skin->components) {
        if (c.key == kSkinTextSpare) continue;
        EXPECT_TRUE(c.placed) << c.key;
        EXPECT_TRUE(window.contains(rectOf(c))) << c.key;
    }
    for (size_t i = 0; i < skin->hotspots.size(); ++i) {
        const SkinHotspot& a = skin->hotspots[i];
        EXPECT_TRUE(a.enabled) << a.key;
        const QRect ra(a.rect.left, a.rect.top, a.rect.width(), a.rect.height());
        for (size_t j = i + 1; j < skin->hotspots.size(); ++j) {
            const SkinHotspot& b = skin->hotspots[j];
            EXPECT_FALSE(ra.intersects(QRect(b.rect.left, b.rect.top, b.rect.width(), b.rect.height())))
                << a.key << " and " << b.key;
        }
    }
    // Images painted after a read-out would cover it.
    for (int text : {kSkinTextPlayTime, kSkinTextRecordTime}) {
        bool after = false;
        for (const auto& c : skin->components) {
            if (c.key == text) {
                after = true;
            } else if (after && c.kind == kSkinKindBitmap) {
                EXPECT_FALSE(rectOf(c).intersects(rectOf(component(text)))) << c.key << " over " << text;
            }
        }
    }
    for (const SkinSlider& s : skin->sliders) {
        EXPECT_GT(s.track.width(), 2 * s.knobWidth) << s.key;
        EXPECT_LE(s.knobHeight, s.track.height()) << s.key;
        EXPECT_EQ(s.hoverWidth, s.knobWidth) << s.key;
        EXPECT_EQ(s.hoverHeight, s.knobHeight) << s.key;
    }
    int l, t, r, b;
    RecorderSkinColour ink, back;
    ASSERT_EQ(recorderMainSkinListLayout(skin.get(), l, t, r, b, ink, back), OKAY);
    EXPECT_GT(r - l, 400);
    EXPECT_GT(b - t, 120);
    EXPECT_GT(
        std::abs(ink.red - back.red) + std::abs(ink.green - back.green) + std::abs(ink.blue - back.blue),
        300);
    // The instructions take the list's place exactly.
    EXPECT_EQ(rectOf(component(kSkinInstructions)), QRect(l, t, r - l, b - t));
}

TEST_F(DefaultSkin, NormalOverlaysMatchTheBackground) {
    const QImage& master = component(kSkinMaster).bitmap;
    for (int key :
         {kSkinRecordModeOff, kSkinAutoSegmentOff, kSkinHideShortOff, kSkinPlay, kSkinIndicatorIdle}) {
        const SkinComponent& c = component(key);
        EXPECT_EQ(c.bitmap.convertToFormat(QImage::Format_RGB32),
                  master.copy(rectOf(c)).convertToFormat(QImage::Format_RGB32))
            << key;
    }
    // Every state image differs from the one it replaces, so each state shows.
    const int pairs[][2] = {{kSkinRecordModeOn, kSkinRecordModeOff},
                            {kSkinAutoSegmentOn, kSkinAutoSegmentOff},
                            {kSkinHideShortOn, kSkinHideShortOff},
                            {kSkinPause, kSkinPlay},
                            {kSkinRecordModeOnHover, kSkinRecordModeOn},
                            {kSkinRecordModeOffHover, kSkinRecordModeOff},
                            {kSkinPlayHover, kSkinPlay},
                            {kSkinPauseHover, kSkinPause},
                            {kSkinNewTrackHover, kSkinNewTrack},
                            {1101, 1102},
                            {1102, 1103},
                            {1103, 1104},
                            {1104, kSkinIndicatorIdle},
                            {kSkinIndicatorPlayback, kSkinIndicatorIdle}};
    for (auto& p : pairs) EXPECT_NE(component(p[0]).bitmap, component(p[1]).bitmap) << p[0] << " vs " << p[1];
    // The level bar: lit in its bitmap, unlit in the background beneath it,
    // and in the display beside the recording time, which it does not cover.
    const SkinComponent& bar = component(kSkinLevelMeter);
    ASSERT_FALSE(bar.bitmap.isNull());
    EXPECT_NE(bar.bitmap.convertToFormat(QImage::Format_RGB32),
              master.copy(rectOf(bar)).convertToFormat(QImage::Format_RGB32));
    EXPECT_GE(bar.width, 80);
    EXPECT_LE(bar.height, 6);
    EXPECT_FALSE(rectOf(bar).intersects(rectOf(component(kSkinTextRecordTime))));
}

TEST_F(DefaultSkin, ReadOutsHaveRoomForTheirLongestText) {
    for (auto [key, longest] :
         {std::pair{kSkinTextRecordTime, "88:88:88"}, std::pair{kSkinTextPlayTime, "stopped"},
          std::pair{kSkinTextPlayTime, "8:88:88 / 8:88:88"}}) {
        const SkinComponent& c = component(key);
        QFont font;
        font.setStyleHint(QFont::SansSerif);
        font.setPixelSize(c.fontSize);
        const QFontMetrics metrics(font);
        EXPECT_LE(metrics.horizontalAdvance(longest), c.rect.width()) << key;
        EXPECT_LE(metrics.height(), c.rect.height() + 4) << key;
    }
    // Painted: the recording time shows in its colour inside its rectangle.
    ImageWindow window(size.width(), size.height());
    ASSERT_EQ(skinTextSetText(skin.get(), kSkinTextRecordTime, "1:01:01"), OKAY);
    ASSERT_EQ(skinComponentSetValue(skin.get(), kSkinTextRecordTime, 1), OKAY);
    ASSERT_EQ(skinPaint(skin.get(), &window), OKAY);
    const SkinComponent& c = component(kSkinTextRecordTime);
    const QRgb ink = qRgb(c.colourA, c.colourC, c.colourB) & 0xFFFFFF;
    int inked = 0;
    for (int y = c.rect.top; y < c.rect.bottom; ++y)
        for (int x = c.rect.left; x < c.rect.right; ++x) inked += window.pixel(x, y) == ink;
    EXPECT_GT(inked, 20);
}

}  // namespace
