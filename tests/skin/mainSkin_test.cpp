// Loading the main window's skin: the definition file's layout and reading
// rules, the version check, the bitmaps, and what happens when parts are
// missing. Fixture skins are written into a scratch Skins folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "recorderMainSkin.h"
#include "report.h"
#include "skinTestSupport.h"
#include "testsupport.h"

using namespace skintest;

namespace {

::testing::Environment* const gui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

const char* const kBitmaps[] = {"auto_record_off.bmp",
                                "auto_record_on.bmp",
                                "hide_short_files_off.bmp",
                                "hide_short_files_on.bmp",
                                "manual_segment.bmp",
                                "auto_segment_off.bmp",
                                "auto_segment_on.bmp",
                                "recording_progress_off.bmp",
                                "delete_disabled.bmp",
                                "save_disabled.bmp",
                                "pause.bmp",
                                "play.bmp",
                                "recording_instructions.bmp",
                                "auto_record_off_hover.bmp",
                                "auto_record_on_hover.bmp",
                                "auto_segment_off_hover.bmp",
                                "auto_segment_on_hover.bmp",
                                "delete_hover.bmp",
                                "rename_hover.bmp",
                                "hide_short_files_off_hover.bmp",
                                "hide_short_files_on_hover.bmp",
                                "manual_segment_hover.bmp",
                                "logo_hover.bmp",
                                "menu_hover.bmp",
                                "pause_hover.bmp",
                                "play_hover.bmp",
                                "save_hover.bmp",
                                "track_next_hover.bmp",
                                "track_previous_hover.bmp",
                                "find_songs_hover.bmp",
                                "recording_progress_on_1.bmp",
                                "recording_progress_on_2.bmp",
                                "recording_progress_on_3.bmp",
                                "recording_progress_on_4.bmp"};
const char* const kKnobs[] = {"volume_slider.bmp", "volume_slider_hover.bmp", "play_position_slider.bmp",
                              "play_position_slider_hover.bmp"};

// Line numbers (0-based) of the definition file's value groups.
int pointLine(int group) { return 4 + 2 * (group - 5); }  // groups 5..19
int rectLine(int group) {                                 // groups 20..35
    return group <= 21 ? 34 + 4 * (group - 20) : 42 + 4 * (group - 22);
}
constexpr int kListTextColourLine = 98;
constexpr int kListBackColourLine = 99;
constexpr int kPlayTimeRectLine = 100;
constexpr int kPlayTimeColourLine = 105;

// A valid skin: master 200x100 grey, 8x8 overlays, 10x10 knobs. Point group g
// places at (10 * (g - 5), 50); hotspot i of the file order gets
// (10i, 0)-(10i + 9, 9).
class MainSkinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = skins.str() + "/default_Tobrel";
        std::filesystem::create_directories(folder);
        writeBmp(folder + "/master.bmp", 200, 100, 0x808080);
        for (const char* name : kBitmaps) writeBmp(folder + "/" + name, 8, 8, kBlue);
        for (const char* name : kKnobs) writeBmp(folder + "/" + name, 10, 10, kGreen);
        lines = {"Fixture skin", "for tests", "Version 1", "3"};
        for (int g = 5; g <= 19; ++g) add({10 * (g - 5), 50});
        add({20, 60, 120, 70});
        add({20, 80, 180, 90});
        for (int i = 0; i < 13; ++i) add({10 * i, 0, 10 * i + 9, 9});
        add({0, 20, 100, 50});
        lines.push_back("1,2,3");
        lines.push_back("4,5,6");
        for (int t = 0; t < 3; ++t) {
            add({100, 20 + 20 * t, 190, 38 + 20 * t, 14 + t});
            lines.push_back("200,100,50");
        }
        ASSERT_EQ(lines.size(), 118u);
        hooks.applyToTrackList = [this](Skin& s) {
            listCalls++;
            return recorderMainSkinListLayout(&s, list[0], list[1], list[2], list[3], listText, listBack);
        };
        hooks.sizeWindow = [this](int w, int h) {
            sizes.emplace_back(w, h);
            return OKAY;
        };
    }
    void add(std::initializer_list<int> values) {
        for (int v : values) lines.push_back(std::to_string(v));
    }
    void writeDefinition(const std::string& separator = "\n") {
        std::string text;
        for (const auto& line : lines) text += line + separator;
        testsupport::writeText(folder + "/skin_definition.txt", text);
    }
    int load() {
        writeDefinition();
        return recorderInitMainSkin(skins.str(), nullptr, &dialog, hooks, skin);
    }
    SkinComponent& component(int key) {
        for (auto& c : skin->components)
            if (c.key == key) return c;
        throw std::runtime_error("no component " + std::to_string(key));
    }
    int hit(int x, int y) {
        int key = 99;
        EXPECT_EQ(skinHotspotHitTest(skin.get(), x, y, key), OKAY);
        return key;
    }

    testsupport::TempDir skins;
    std::string folder;
    std::vector<std::string> lines;
    testsupport::RecordingDialog dialog;
    RecorderMainSkinHooks hooks;
    std::unique_ptr<Skin> skin;
    int listCalls = 0;
    int list[4] = {};
    RecorderSkinColour listText, listBack;
    std::vector<std::pair<int, int>> sizes;
};

TEST_F(MainSkinTest, LoadsEveryPieceInItsOrderAndHandsOnTheLayout) {
    ReportRecorder reports;
    ASSERT_EQ(load(), OKAY);
    ASSERT_TRUE(skin);
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_TRUE(dialog.texts.empty());

    std::vector<int> order;
    for (const auto& c : skin->components) order.push_back(c.key);
    const std::vector<int> expected = {1000, 1001, 1002, 1005, 1006, 1003, 1004, 1007, 1008, 1009, 1010,
                                       1012, 1013, 1014, 1101, 1102, 1103, 1104, 1016, 1015, 1800, 1801,
                                       1802, 1803, 1200, 1201, 1202, 1203, 1205, 1219, 1206, 1207, 1208,
                                       1209, 1212, 1213, 1214, 1216, 1217, 1218, 1220, 1221, 1222};
    EXPECT_EQ(order, expected);
    for (const auto& c : skin->components) {
        EXPECT_EQ(c.value, c.key == 1000 ? 1 : 0) << c.key;
        if (c.kind == kSkinKindBitmap && c.key != kSkinMinimiseHover && c.key != kSkinCloseHover &&
            c.key != kSkinLevelMeter && c.key != kSkinIndicatorPlayback) {
            EXPECT_FALSE(c.bitmap.isNull()) << c.key;
        }
    }
    EXPECT_EQ(component(1000).width, 200);
    EXPECT_EQ(component(1000).placed, 1);

    // Point groups, in file order.
    const std::vector<std::vector<int>> groups = {{1209},
                                                  {1208},
                                                  {1001, 1002, 1200, 1201},
                                                  {1003, 1004, 1202, 1203},
                                                  {1009, 1101, 1102, 1103, 1104, 1016},
                                                  {1005, 1006, 1206, 1207},
                                                  {1205, 1010},
                                                  {1214, 1012},
                                                  {1219},
                                                  {1217},
                                                  {1216},
                                                  {1220},
                                                  {1007, 1008, 1212, 1213},
                                                  {1013, 1218},
                                                  {1014}};
    for (size_t g = 0; g < groups.size(); ++g)
        for (int key : groups[g]) {
            EXPECT_EQ(component(key).placed, 1) << key;
            EXPECT_EQ(component(key).x, 10 * static_cast<int>(g)) << key;
            EXPECT_EQ(component(key).y, 50) << key;
        }

    // Hotspots are registered in one order and read in another.
    const int fileOrder[] = {1500, 1504, 1505, 1507, 1506, 1508, 1510, 1516, 1512, 1513, 1514, 1515, 1518};
    for (int i = 0; i < 13; ++i) EXPECT_EQ(hit(10 * i + 9, 9), fileOrder[i]) << i;
    std::vector<int> registered;
    for (const auto& h : skin->hotspots) registered.push_back(h.key);
    EXPECT_EQ(registered, std::vector<int>({1500, 1504, 1505, 1506, 1507, 1508, 1510, 1516, 1512, 1513, 1514,
                                            1515, 1518, 1519, 1520}));

    ASSERT_EQ(skin->sliders.size(), 2u);
    EXPECT_EQ(skin->sliders[0].key, 1700);
    EXPECT_EQ(skin->sliders[0].enabled, 1);
    EXPECT_EQ(skin->sliders[1].key, 1701);
    EXPECT_EQ(skin->sliders[1].enabled, 0);
    EXPECT_EQ(skin->sliders[1].track.right, 180);
    float v = -1;
    ASSERT_EQ(skinSliderXToValue(skin.get(), 1700, 70, v), OKAY);  // 25..115
    EXPECT_FLOAT_EQ(v, 0.5f);

    const SkinComponent& recordTime = component(1802);
    EXPECT_EQ(std::vector<int>({recordTime.rect.left, recordTime.rect.top, recordTime.rect.right,
                                recordTime.rect.bottom, recordTime.fontSize, recordTime.halfSize}),
              std::vector<int>({100, 40, 190, 58, 15, 7}));
    EXPECT_EQ(std::vector<int>({recordTime.colourA, recordTime.colourB, recordTime.colourC}),
              std::vector<int>({200, 100, 50}));

    EXPECT_EQ(listCalls, 1);
    EXPECT_EQ(std::vector<int>(list, list + 4), std::vector<int>({0, 20, 100, 50}));
    EXPECT_EQ(listText, (RecorderSkinColour{1, 2, 3}));
    EXPECT_EQ(listBack, (RecorderSkinColour{4, 5, 6}));
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{200, 100}}));
}

// The window buttons follow the last group older skins end with. Without them
// the skin loads as before (the fixture above has none: its buttons stay
// disabled and unplaced); with them they are hit-tested and light up.
TEST_F(MainSkinTest, WindowButtonsAreOptionalAfterTheLastGroup) {
    ReportRecorder reports;
    ASSERT_EQ(load(), OKAY);
    ASSERT_TRUE(skin);
    EXPECT_EQ(hit(165, 75), -1);
    EXPECT_EQ(component(kSkinMinimiseHover).placed, 0);

    struct {
        std::vector<std::string> extra;
        int minimiseHit, closeHit;
        bool closeImage;
    } cases[] = {
        {{"", "150", "70", "169", "89", "", "170", "70", "189", "89"}, kSkinHotMinimise, kSkinHotClose, true},
        {{"150", "70", "169", "89"}, kSkinHotMinimise, -1, false},  // close left out
        {{"-1", "70", "169", "89", "170", "70", "189", "89"}, -1, kSkinHotClose, true},
    };
    writeBmp(folder + "/minimise_hover.bmp", 20, 20, kRed);
    writeBmp(folder + "/close_hover.bmp", 20, 20, kRed);
    const std::vector<std::string> base = lines;
    for (const auto& c : cases) {
        lines = base;
        lines.insert(lines.end(), c.extra.begin(), c.extra.end());
        ASSERT_EQ(load(), OKAY);
        ASSERT_TRUE(skin);
        EXPECT_EQ(hit(160, 80), c.minimiseHit);
        EXPECT_EQ(hit(189, 89), c.closeHit);
        EXPECT_EQ(component(kSkinCloseHover).placed, c.closeImage ? 1 : 0);
        EXPECT_EQ(component(kSkinCloseHover).bitmap.isNull(), !c.closeImage);
    }
    EXPECT_EQ(reports.count(), 0u);

    // A button without its image still works; a group cut short is an error.
    std::filesystem::remove(folder + "/close_hover.bmp");
    lines = base;
    lines.insert(lines.end(), {"150", "70", "169", "89", "170", "70", "189", "89"});
    ASSERT_EQ(load(), OKAY);
    EXPECT_EQ(hit(175, 75), kSkinHotClose);
    EXPECT_TRUE(component(kSkinCloseHover).bitmap.isNull());
    lines = base;
    lines.insert(lines.end(), {"150", "70", "169"});
    EXPECT_NE(load(), OKAY);
    EXPECT_TRUE(reports.reported("../../UTIL/skin/skinRead"));
}

// After the window buttons a skin may place a level bar and give its buttons'
// shapes for the focus ring; each of these groups comes only after the ones
// before it, and a skin without them loads as before (no bar, plain rings).
TEST_F(MainSkinTest, TheLevelBarAndTheFocusShapesAreOptionalToo) {
    ReportRecorder reports;
    ASSERT_EQ(load(), OKAY);
    ASSERT_TRUE(skin);
    EXPECT_EQ(component(kSkinLevelMeter).placed, 0);
    EXPECT_TRUE(component(kSkinLevelMeter).bitmap.isNull());
    for (const SkinHotspot& h : skin->hotspots) EXPECT_FALSE(h.hasOutline) << h.key;

    writeBmp(folder + "/level_meter.bmp", 60, 6, kGreen);  // wider and taller than its rectangle
    writeBmp(folder + "/playback_indicator.bmp", 8, 8, kRed);
    const std::vector<std::string> base = lines;
    const std::vector<std::string> buttons = {"150", "70", "169", "89", "170", "70", "189", "89"};
    lines.insert(lines.end(), buttons.begin(), buttons.end());
    lines.insert(lines.end(), {"100", "92", "140", "96"});  // the bar: 40 x 4
    // Shapes for the first two hotspots of the file order (menu, logo), then no more.
    lines.insert(lines.end(), {"1", "1", "8", "8", "4", "-1", "0", "0", "0", "3"});
    ASSERT_EQ(load(), OKAY);
    ASSERT_TRUE(skin);
    EXPECT_EQ(reports.count(), 0u);
    const SkinComponent& bar = component(kSkinLevelMeter);
    EXPECT_EQ(std::vector<int>({bar.placed, bar.x, bar.y, bar.width, bar.height}),
              std::vector<int>({1, 100, 92, 40, 4}));
    EXPECT_FALSE(component(kSkinIndicatorPlayback).bitmap.isNull());
    EXPECT_EQ(component(kSkinIndicatorPlayback).x, component(kSkinIndicatorIdle).x);
    for (const SkinHotspot& h : skin->hotspots) {
        EXPECT_EQ(h.hasOutline, h.key == kSkinHotMenu) << h.key;  // the logo's shape was "not given"
        if (h.key == kSkinHotMenu) {
            EXPECT_EQ(std::vector<int>({h.outline.left, h.outline.top, h.outline.right, h.outline.bottom,
                                        h.outlineRadius}),
                      std::vector<int>({1, 1, 9, 9, 4}));
        }
    }

    // Without its bitmap the bar is left out; the face without its file too.
    std::filesystem::remove(folder + "/level_meter.bmp");
    std::filesystem::remove(folder + "/playback_indicator.bmp");
    ASSERT_EQ(load(), OKAY);
    ASSERT_TRUE(skin);
    EXPECT_TRUE(component(kSkinLevelMeter).bitmap.isNull());
    EXPECT_TRUE(component(kSkinIndicatorPlayback).bitmap.isNull());
    EXPECT_EQ(reports.count(), 0u);

    // A shape cut short is a bad definition.
    lines = base;
    lines.insert(lines.end(), buttons.begin(), buttons.end());
    lines.insert(lines.end(), {"100", "92", "140", "96", "1", "1", "8", "8"});
    EXPECT_NE(load(), OKAY);
    EXPECT_TRUE(reports.reported("../../UTIL/skin/skinRead"));
}

TEST_F(MainSkinTest, BlankLinesTrailingSpacesAndCrLfAreAccepted) {
    lines.push_back("whatever follows the last colour is not read");
    for (auto& line : lines) line += "   ";
    lines.insert(lines.begin() + 3, "");
    writeDefinition("\r\n\r\n");
    ASSERT_EQ(recorderInitMainSkin(skins.str(), nullptr, &dialog, hooks, skin), OKAY);
    ASSERT_TRUE(skin);
    EXPECT_EQ(component(1013).x, 130);
    EXPECT_EQ(hit(129, 9), 1518);
    EXPECT_EQ(listBack, (RecorderSkinColour{4, 5, 6}));
    EXPECT_EQ(component(1803).fontSize, 16);
}

TEST_F(MainSkinTest, ALineOfSpacesIsAValueLine) {
    lines[pointLine(5)] = "    ";  // the menu hover's x: read, but holds no number
    ASSERT_EQ(load(), OKAY);
    EXPECT_EQ(component(1209).placed, 0);
    EXPECT_EQ(component(1208).x, 10);  // everything after it stays in step
    EXPECT_EQ(listBack, (RecorderSkinColour{4, 5, 6}));
}

TEST_F(MainSkinTest, VersionLine) {
    struct {
        const char* line;
        bool ok;
    } cases[] = {{"Version 1", true}, {"Version 12", true},  {"Version 1.5 beta", true}, {"version 1", false},
                 {"Version", false},  {" Version 1", false}, {"Version 2", false}};
    for (auto c : cases) {
        lines[2] = c.line;
        ReportRecorder reports;
        skin.reset();
        EXPECT_EQ(load() == OKAY, c.ok) << c.line;
        EXPECT_EQ(skin != nullptr, c.ok) << c.line;
        if (!c.ok) {
            EXPECT_TRUE(reports.reported("./recorderMainSkin")) << c.line;
        }
    }
    EXPECT_TRUE(dialog.texts.empty());
}

TEST_F(MainSkinTest, NegativeGroupsAreNotGiven) {
    lines[pointLine(7)] = "-1";  // the record-mode button and its hovers
    lines[pointLine(7) + 1] = "5";
    lines[rectLine(22) + 2] = "-3";  // menu hotspot
    lines[rectLine(20)] = "-1";      // volume track
    lines[rectLine(38 - 3)] = "-1";  // track list rectangle (group 35)
    ASSERT_EQ(load(), OKAY);
    for (int key : {1001, 1002, 1200, 1201}) EXPECT_EQ(component(key).placed, 0) << key;
    EXPECT_EQ(hit(0, 0), -1);  // the menu hotspot stays disabled
    EXPECT_EQ(skin->hotspots[0].enabled, 0);
    EXPECT_FALSE(skin->sliders[0].realToInt.has_value());
    EXPECT_EQ(component(1800).placed, 0);

    // Shown, but never placed: not drawn.
    ImageWindow window(200, 100);
    ASSERT_EQ(skinComponentSetValue(skin.get(), 1002, 1), OKAY);
    ASSERT_EQ(skinPaint(skin.get(), &window), OKAY);
    int blue = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) blue += window.pixel(x, y) == kBlue;
    EXPECT_EQ(blue, 0);
    EXPECT_EQ(window.pixel(150, 5), 0x808080u);
}

TEST_F(MainSkinTest, ColourOrderDiffersBetweenTextsAndTheList) {
    lines[kListTextColourLine] = "255,0,128";
    lines[kPlayTimeColourLine] = "255,0,128";
    ASSERT_EQ(load(), OKAY);
    EXPECT_EQ(listText, (RecorderSkinColour{255, 0, 128}));
    ImageWindow window(200, 100);
    ASSERT_EQ(skinTextSetText(skin.get(), 1801, "8:88"), OKAY);
    ASSERT_EQ(skinComponentSetValue(skin.get(), 1801, 1), OKAY);
    ASSERT_EQ(skinPaint(skin.get(), &window), OKAY);
    int orange = 0, pink = 0;
    for (int y = 20; y < 38; ++y)
        for (int x = 100; x < 190; ++x) {
            orange += window.pixel(x, y) == 0xFF8000u;
            pink += window.pixel(x, y) == 0xFF0080u;
        }
    EXPECT_GT(orange, 0);
    EXPECT_EQ(pink, 0);
}

TEST_F(MainSkinTest, BadDefinitionsFailStartUp) {
    struct {
        const char* what;
        int line;
        const char* text;
    } cases[] = {{"two numbers on a colour line", kListBackColourLine, "4,5"},
                 {"colour out of range", kPlayTimeColourLine, "0,0,300"},
                 {"size line", -1, ""}};
    for (auto c : cases) {
        SetUp();
        if (c.line >= 0) {
            lines[c.line] = c.text;
        } else {
            lines.pop_back();  // the file ends one line early
        }
        ReportRecorder reports;
        skin.reset();
        EXPECT_NE(load(), OKAY) << c.what;
        EXPECT_FALSE(skin) << c.what;
        EXPECT_GE(reports.count(), 2u) << c.what;
        EXPECT_EQ(sizes.size(), 0u) << c.what;
    }
    std::filesystem::remove(folder + "/skin_definition.txt");
    ReportRecorder reports;
    EXPECT_NE(recorderInitMainSkin(skins.str(), nullptr, &dialog, hooks, skin), OKAY);
    EXPECT_TRUE(dialog.texts.empty());
}

TEST_F(MainSkinTest, AMissingBitmapMeansNoSkinButNoFailedStart) {
    ASSERT_EQ(load(), OKAY);  // an earlier main skin goes away too
    sizes.clear();
    std::filesystem::remove(folder + "/recording_progress_on_3.bmp");
    ReportRecorder reports;
    ASSERT_EQ(load(), OKAY);
    EXPECT_FALSE(skin);
    EXPECT_EQ(dialog.texts, std::vector<std::string>({"Unable to read main skin bitmaps."}));
    EXPECT_EQ(dialog.withCancel, std::vector<bool>({false}));
    EXPECT_TRUE(reports.reported("./recorderMainSkin"));
    EXPECT_TRUE(sizes.empty());
}

TEST_F(MainSkinTest, AFailingHookFailsStartUp) {
    hooks.sizeWindow = [](int, int) { return NOT_OKAY; };
    ReportRecorder reports;
    EXPECT_NE(load(), OKAY);
    EXPECT_FALSE(skin);
}

}  // namespace

TEST_F(MainSkinTest, ExtremeCoordinatesLoadPaintAndHoverWithoutOverflow) {
    // Every point and rectangle of the definition at one extreme; the text
    // groups' rectangles too. Run under UBSan, an overflow ends the test.
    for (const char* extreme : {"2147483647", "-2147483648", "99999999999"}) {
        SCOPED_TRACE(extreme);
        SetUp();
        for (int line = pointLine(5); line < kListTextColourLine; ++line) lines[size_t(line)] = extreme;
        for (int group = 0; group < 3; ++group)
            for (int k = 0; k < 4; ++k) lines[size_t(kPlayTimeRectLine + 6 * group + k)] = extreme;
        // And the window buttons' two rectangles at the end.
        lines.insert(lines.end(), 8, extreme);
        ReportRecorder reports;
        ASSERT_EQ(load(), OKAY);
        ASSERT_TRUE(skin);
        ImageWindow window(200, 100);
        EXPECT_EQ(skinPaint(skin.get(), &window), OKAY);
        for (int x : {0, 199, 32767, -32768})
            for (int y : {0, 99, 32767, -32768}) {
                int key = 0;
                EXPECT_EQ(skinHotspotHitTest(skin.get(), x, y, key), OKAY);
                EXPECT_EQ(skinSliderHitTest(skin.get(), x, y, key), OKAY);
                for (int slider : {kSkinSliderVolume, kSkinSliderPosition})
                    EXPECT_EQ(skinSliderHover(skin.get(), &window, x, y, slider), OKAY);
                // Each hover image over each hotspot, shown and hidden.
                for (size_t c = 0; c < skin->components.size(); c += 5)
                    for (size_t h = 0; h < skin->hotspots.size(); h += 3)
                        EXPECT_EQ(skinHover(skin.get(), &window, x, y, skin->components[c].key,
                                            skin->hotspots[h].key),
                                  OKAY);
            }
        // Negative rectangles and numbers beyond an int are "not given": the
        // sliders then have no travel to set.
        for (int slider : {kSkinSliderVolume, kSkinSliderPosition}) {
            if (std::string(extreme) != "2147483647") break;
            for (float value : {0.0f, 0.5f, 1.0f}) {
                int x = 0;
                EXPECT_EQ(skinSliderSetValue(skin.get(), &window, slider, value), OKAY);
                EXPECT_EQ(skinSliderValueToX(skin.get(), slider, value, x), OKAY);
            }
            float value = 0;
            EXPECT_EQ(skinSliderXToValue(skin.get(), slider, 32767, value), OKAY);
        }
        EXPECT_EQ(skinPaint(skin.get(), &window), OKAY);
        EXPECT_EQ(reports.count(), 0u);
        skin.reset();
    }
}
