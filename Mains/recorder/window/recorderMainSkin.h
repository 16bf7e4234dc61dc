// The main window's skin: its keys, and loading it from the skin folder at
// start-up.
//
// The main window is drawn entirely by one skin, "default_Tobrel" in the
// Skins folder. Loading registers every component, slider, hotspot and
// additional value under the keys below, checks the definition file's
// version, loads the bitmaps and applies the definition file. Laying out the
// track list and sizing the window belong to the window layer, which hands
// them in as callbacks.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "skin.h"

class CSlout;
class ModalMessageDialog;

// Component keys.
constexpr int kSkinMaster = 1000;
constexpr int kSkinRecordModeOff = 1001;
constexpr int kSkinRecordModeOn = 1002;
constexpr int kSkinAutoSegmentOff = 1003;
constexpr int kSkinAutoSegmentOn = 1004;
constexpr int kSkinHideShortOff = 1005;
constexpr int kSkinHideShortOn = 1006;
constexpr int kSkinPause = 1007;
constexpr int kSkinPlay = 1008;
constexpr int kSkinIndicatorIdle = 1009;
constexpr int kSkinDeleteDisabled = 1010;
constexpr int kSkinSaveDisabled = 1012;
constexpr int kSkinNewTrack = 1013;
constexpr int kSkinInstructions = 1014;
// Pieces a skin may add (older skins have none, and load as before): the
// level bar, drawn from the left as far as the sound reaches, and the
// indicator's face while a track plays (at the indicator's place).
constexpr int kSkinLevelMeter = 1015;
constexpr int kSkinIndicatorPlayback = 1016;
constexpr int kSkinIndicatorFrame1 = 1101;  // frames 1101..1104
constexpr int kSkinIndicatorFrames = 4;
constexpr int kSkinRecordModeOffHover = 1200;
constexpr int kSkinRecordModeOnHover = 1201;
constexpr int kSkinAutoSegmentOffHover = 1202;
constexpr int kSkinAutoSegmentOnHover = 1203;
constexpr int kSkinDeleteHover = 1205;
constexpr int kSkinHideShortOffHover = 1206;
constexpr int kSkinHideShortOnHover = 1207;
constexpr int kSkinLogoHover = 1208;
constexpr int kSkinMenuHover = 1209;
constexpr int kSkinPauseHover = 1212;
constexpr int kSkinPlayHover = 1213;
constexpr int kSkinSaveHover = 1214;
constexpr int kSkinNextHover = 1216;
constexpr int kSkinPreviousHover = 1217;
constexpr int kSkinNewTrackHover = 1218;
constexpr int kSkinRenameHover = 1219;
constexpr int kSkinFindSongsHover = 1220;
// The window buttons a skin may add at the end of its definition (older skins
// have none): minimise and close, hover images only, the background shows
// their normal look.
constexpr int kSkinMinimiseHover = 1221;
constexpr int kSkinCloseHover = 1222;
// Text keys.
constexpr int kSkinTextTrackList = 1800;  // the track list's rectangle, never painted
constexpr int kSkinTextPlayTime = 1801;
constexpr int kSkinTextRecordTime = 1802;
constexpr int kSkinTextSpare = 1803;
// Slider keys.
constexpr int kSkinSliderVolume = 1700;
constexpr int kSkinSliderPosition = 1701;
// Hotspot keys.
constexpr int kSkinHotMenu = 1500;
constexpr int kSkinHotLogo = 1504;
constexpr int kSkinHotRecordMode = 1505;
constexpr int kSkinHotHideShort = 1506;
constexpr int kSkinHotAutoSegment = 1507;
constexpr int kSkinHotDelete = 1508;
constexpr int kSkinHotSave = 1510;
constexpr int kSkinHotPrevious = 1512;
constexpr int kSkinHotNext = 1513;
constexpr int kSkinHotPlayPause = 1514;
constexpr int kSkinHotNewTrack = 1515;
constexpr int kSkinHotRename = 1516;
constexpr int kSkinHotFindSongs = 1518;
constexpr int kSkinHotMinimise = 1519;
constexpr int kSkinHotClose = 1520;
// Additional values: the track list's item text and background colours.
constexpr int kSkinListTextRed = 1901;
constexpr int kSkinListTextGreen = 1902;
constexpr int kSkinListTextBlue = 1903;
constexpr int kSkinListBackRed = 1910;
constexpr int kSkinListBackGreen = 1911;
constexpr int kSkinListBackBlue = 1912;

// The skin folder inside the Skins folder, and the definition file's name.
inline constexpr const char* kMainSkinFolder = "default_Tobrel";
inline constexpr const char* kSkinDefinitionFile = "skin_definition.txt";
// The window buttons' hover images, loaded when the definition places the buttons.
inline constexpr const char* kSkinMinimiseHoverFile = "minimise_hover.bmp";
inline constexpr const char* kSkinCloseHoverFile = "close_hover.bmp";
// The level bar's bitmap (loaded when the definition places the bar) and the
// indicator's playback face (loaded when the file is there).
inline constexpr const char* kSkinLevelMeterFile = "level_meter.bmp";
inline constexpr const char* kSkinIndicatorPlaybackFile = "playback_indicator.bmp";
// The user messages of a skin that cannot be used (strings 1005 and 1006).
inline constexpr const char* kMsgSkinBitmaps = "Unable to read main skin bitmaps.";
inline constexpr const char* kMsgSkinDefinition = "Unable to read main skin definition file.";

struct RecorderSkinColour {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const RecorderSkinColour&) const = default;
};

// What the window layer does with a freshly loaded skin, before it becomes
// the main skin. Either may be empty (nothing is done for it).
struct RecorderMainSkinHooks {
    // Moves the track list into text rectangle 1800 and gives it the skin's
    // item colours (recorderMainSkinListLayout reads them).
    std::function<int(Skin& skin)> applyToTrackList;
    // Sizes the main window so its client area is width x height, keeping its
    // top-left corner.
    std::function<int(int width, int height)> sizeWindow;
};

// Loads the main skin from skinsFolder/default_Tobrel.
//
// A missing definition file, a wrong version line, a definition that ends
// early or holds a bad value: internal error, NOT_OKAY (start-up fails).
// A bitmap that cannot be loaded (message 1005) or a definition file that
// disappeared after the version check (message 1006): the message is shown in
// `dialog`, mainSkin is left null and the result is OKAY, so start-up goes on
// without a main skin. On success the new skin replaces mainSkin.
int recorderInitMainSkin(const std::string& skinsFolder, CSlout* trace, ModalMessageDialog* dialog,
                         const RecorderMainSkinHooks& hooks, std::unique_ptr<Skin>& mainSkin);

// The track list's item text and background colours as the definition file
// of the main skin in skinsFolder gives them, read without loading the skin
// (the look of boxes shown before the main window exists).
int recorderMainSkinListColours(const std::string& skinsFolder, RecorderSkinColour& text,
                                RecorderSkinColour& background);

// The track list's rectangle (text 1800) and its item text and background
// colours, as the main skin gives them.
int recorderMainSkinListLayout(Skin* skin, int& left, int& top, int& right, int& bottom,
                               RecorderSkinColour& text, RecorderSkinColour& background);
