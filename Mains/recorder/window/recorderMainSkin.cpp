// Loading the main window's skin at start-up (see recorderMainSkin.h).
//
// The order of everything here is part of the skin format: components are
// registered in paint order, bitmaps are loaded in a fixed order, and the
// definition file's value groups are applied in file order, each as soon as
// it is read.
#include "recorderMainSkin.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>

#include "CSlout.h"
#include "File.h"
#include "report.h"
#include "skinRead.h"

static constexpr const char* kReportModule = "./recorderMainSkin";

namespace {

// Bitmap components in paint order (texts 1800-1803 go between the frames
// and the hover images).
constexpr int kBitmapsBeforeTexts[] = {kSkinMaster,
                                       kSkinRecordModeOff,
                                       kSkinRecordModeOn,
                                       kSkinHideShortOff,
                                       kSkinHideShortOn,
                                       kSkinAutoSegmentOff,
                                       kSkinAutoSegmentOn,
                                       kSkinPause,
                                       kSkinPlay,
                                       kSkinIndicatorIdle,
                                       kSkinDeleteDisabled,
                                       kSkinSaveDisabled,
                                       kSkinNewTrack,
                                       kSkinInstructions,
                                       1101,
                                       1102,
                                       1103,
                                       1104,
                                       kSkinIndicatorPlayback,
                                       kSkinLevelMeter};
constexpr int kTexts[] = {kSkinTextTrackList, kSkinTextPlayTime, kSkinTextRecordTime, kSkinTextSpare};
constexpr int kBitmapsAfterTexts[] = {
    kSkinRecordModeOffHover, kSkinRecordModeOnHover, kSkinAutoSegmentOffHover, kSkinAutoSegmentOnHover,
    kSkinDeleteHover,        kSkinRenameHover,       kSkinHideShortOffHover,   kSkinHideShortOnHover,
    kSkinLogoHover,          kSkinMenuHover,         kSkinPauseHover,          kSkinPlayHover,
    kSkinSaveHover,          kSkinNextHover,         kSkinPreviousHover,       kSkinNewTrackHover,
    kSkinFindSongsHover,     kSkinMinimiseHover,     kSkinCloseHover};
constexpr int kHotspots[] = {kSkinHotMenu,        kSkinHotLogo,     kSkinHotRecordMode, kSkinHotHideShort,
                             kSkinHotAutoSegment, kSkinHotDelete,   kSkinHotSave,       kSkinHotRename,
                             kSkinHotPrevious,    kSkinHotNext,     kSkinHotPlayPause,  kSkinHotNewTrack,
                             kSkinHotFindSongs,   kSkinHotMinimise, kSkinHotClose};
constexpr int kValues[] = {kSkinListTextRed, kSkinListTextGreen, kSkinListTextBlue,
                           kSkinListBackRed, kSkinListBackGreen, kSkinListBackBlue};

// One bitmap file and where it goes: a component, or a slider's knob.
struct BitmapFile {
    const char* name;
    int key;
    bool slider;
    bool hover;
};

constexpr BitmapFile kBitmapFiles[] = {
    {"master.bmp", kSkinMaster, false, false},
    {"auto_record_off.bmp", kSkinRecordModeOff, false, false},
    {"auto_record_on.bmp", kSkinRecordModeOn, false, false},
    {"hide_short_files_off.bmp", kSkinHideShortOff, false, false},
    {"hide_short_files_on.bmp", kSkinHideShortOn, false, false},
    {"manual_segment.bmp", kSkinNewTrack, false, false},
    {"auto_segment_off.bmp", kSkinAutoSegmentOff, false, false},
    {"auto_segment_on.bmp", kSkinAutoSegmentOn, false, false},
    {"recording_progress_off.bmp", kSkinIndicatorIdle, false, false},
    {"delete_disabled.bmp", kSkinDeleteDisabled, false, false},
    {"save_disabled.bmp", kSkinSaveDisabled, false, false},
    {"pause.bmp", kSkinPause, false, false},
    {"play.bmp", kSkinPlay, false, false},
    {"recording_instructions.bmp", kSkinInstructions, false, false},
    {"auto_record_off_hover.bmp", kSkinRecordModeOffHover, false, false},
    {"auto_record_on_hover.bmp", kSkinRecordModeOnHover, false, false},
    {"auto_segment_off_hover.bmp", kSkinAutoSegmentOffHover, false, false},
    {"auto_segment_on_hover.bmp", kSkinAutoSegmentOnHover, false, false},
    {"delete_hover.bmp", kSkinDeleteHover, false, false},
    {"rename_hover.bmp", kSkinRenameHover, false, false},
    {"hide_short_files_off_hover.bmp", kSkinHideShortOffHover, false, false},
    {"hide_short_files_on_hover.bmp", kSkinHideShortOnHover, false, false},
    {"manual_segment_hover.bmp", kSkinNewTrackHover, false, false},
    {"logo_hover.bmp", kSkinLogoHover, false, false},
    {"menu_hover.bmp", kSkinMenuHover, false, false},
    {"pause_hover.bmp", kSkinPauseHover, false, false},
    {"play_hover.bmp", kSkinPlayHover, false, false},
    {"save_hover.bmp", kSkinSaveHover, false, false},
    {"track_next_hover.bmp", kSkinNextHover, false, false},
    {"track_previous_hover.bmp", kSkinPreviousHover, false, false},
    {"find_songs_hover.bmp", kSkinFindSongsHover, false, false},
    {"volume_slider.bmp", kSkinSliderVolume, true, false},
    {"volume_slider_hover.bmp", kSkinSliderVolume, true, true},
    {"play_position_slider.bmp", kSkinSliderPosition, true, false},
    {"play_position_slider_hover.bmp", kSkinSliderPosition, true, true},
};

// Point groups of the definition file, in file order, with the components
// each one places.
struct PointGroup {
    int keys[6];
    int count;
};

constexpr PointGroup kPointGroups[] = {
    {{kSkinMenuHover}, 1},
    {{kSkinLogoHover}, 1},
    {{kSkinRecordModeOff, kSkinRecordModeOn, kSkinRecordModeOffHover, kSkinRecordModeOnHover}, 4},
    {{kSkinAutoSegmentOff, kSkinAutoSegmentOn, kSkinAutoSegmentOffHover, kSkinAutoSegmentOnHover}, 4},
    {{kSkinIndicatorIdle, 1101, 1102, 1103, 1104, kSkinIndicatorPlayback}, 6},
    {{kSkinHideShortOff, kSkinHideShortOn, kSkinHideShortOffHover, kSkinHideShortOnHover}, 4},
    {{kSkinDeleteHover, kSkinDeleteDisabled}, 2},
    {{kSkinSaveHover, kSkinSaveDisabled}, 2},
    {{kSkinRenameHover}, 1},
    {{kSkinPreviousHover}, 1},
    {{kSkinNextHover}, 1},
    {{kSkinFindSongsHover}, 1},
    {{kSkinPause, kSkinPlay, kSkinPauseHover, kSkinPlayHover}, 4},
    {{kSkinNewTrack, kSkinNewTrackHover}, 2},
    {{kSkinInstructions}, 1},
};

// Hotspot rectangles in file order (auto segment before short-track filter,
// unlike the order in which they are registered).
constexpr int kHotspotFileOrder[] = {
    kSkinHotMenu,      kSkinHotLogo,     kSkinHotRecordMode, kSkinHotAutoSegment, kSkinHotHideShort,
    kSkinHotDelete,    kSkinHotSave,     kSkinHotRename,     kSkinHotPrevious,    kSkinHotNext,
    kSkinHotPlayPause, kSkinHotNewTrack, kSkinHotFindSongs};

// The window buttons, groups 47 and 48 of the definition, after everything
// older skins hold: a hotspot each, and a hover image placed at its corner.
struct WindowButton {
    int hotspot;
    int hover;
    const char* file;
};
constexpr WindowButton kWindowButtons[] = {{kSkinHotMinimise, kSkinMinimiseHover, kSkinMinimiseHoverFile},
                                           {kSkinHotClose, kSkinCloseHover, kSkinCloseHoverFile}};

// After the window buttons, a skin may give the level bar's rectangle (group
// 49; its bitmap is drawn at its top left, cut to it) and then, for each
// hotspot in file order and the two window buttons, the shape of its button
// for the focus ring: a rectangle and a corner radius (groups 50 to 79).
constexpr int kFocusOutlineOrder[] = {
    kSkinHotMenu,      kSkinHotLogo,     kSkinHotRecordMode, kSkinHotAutoSegment, kSkinHotHideShort,
    kSkinHotDelete,    kSkinHotSave,     kSkinHotRename,     kSkinHotPrevious,    kSkinHotNext,
    kSkinHotPlayPause, kSkinHotNewTrack, kSkinHotFindSongs,  kSkinHotMinimise,    kSkinHotClose};

// Whether a rectangle read from the definition is given (no negative value).
bool given(int left, int top, int right, int bottom) {
    return left >= 0 && top >= 0 && right >= 0 && bottom >= 0;
}

std::string skinFile(const std::string& skinsFolder, const std::string& name) {
    return skinsFolder + "/" + kMainSkinFolder + "/" + name;
}

int registerPieces(Skin* skin) {
    for (int key : kBitmapsBeforeTexts) REPORT_CHECK(skinComponentAdd(skin, key, kSkinKindBitmap));
    for (int key : kTexts) REPORT_CHECK(skinComponentAdd(skin, key, kSkinKindText));
    for (int key : kBitmapsAfterTexts) REPORT_CHECK(skinComponentAdd(skin, key, kSkinKindBitmap));
    REPORT_CHECK(skinSliderAdd(skin, kSkinSliderVolume));
    REPORT_CHECK(skinSliderAdd(skin, kSkinSliderPosition));
    for (int key : kHotspots) REPORT_CHECK(skinHotspotAdd(skin, key));
    for (int key : kValues) REPORT_CHECK(skinAdditionalValueAdd(skin, key));
    REPORT_CHECK(skinComponentSetPosition(skin, kSkinMaster, 0, 0));
    for (const SkinComponent& c : skin->components)
        REPORT_CHECK(skinComponentSetValue(skin, c.key, c.key == kSkinMaster ? 1 : 0));
    REPORT_CHECK(skinSliderSetEnabled(skin, kSkinSliderVolume, 1));
    REPORT_CHECK(skinSliderSetEnabled(skin, kSkinSliderPosition, 0));
    return OKAY;
}

// The header: two free lines, then the version line.
int readHeader(std::FILE* file, std::string& version) {
    REPORT_CHECK(skinReadLine(file, version));
    REPORT_CHECK(skinReadLine(file, version));
    REPORT_CHECK(skinReadLine(file, version));
    return OKAY;
}

// Only the first nine characters count: "Version 12" is version 1 too.
int checkVersion(const std::string& path) {
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) return REPORT_ERR();
    std::string version;
    REPORT_CHECK(readHeader(file.get(), version));
    if (version.compare(0, 9, "Version 1") != 0) return REPORT_ERR();
    return OKAY;
}

// Loads every bitmap in order and stops at the first one that fails, after
// reporting which step it was; whether all loaded is the answer.
bool loadBitmaps(Skin* skin, const std::string& skinsFolder) {
    for (const BitmapFile& b : kBitmapFiles) {
        const std::string path = skinFile(skinsFolder, b.name);
        const int result = b.slider ? skinSliderBitmapLoad(skin, b.key, b.hover, path)
                                    : skinComponentBitmapLoad(skin, b.key, path);
        if (result != OKAY) return REPORT_ERR() == OKAY;
    }
    for (int frame = 1; frame <= kSkinIndicatorFrames; ++frame) {
        char name[64];
        std::snprintf(name, sizeof name, "%s_%d%s", "recording_progress_on", frame, ".bmp");
        if (skinComponentBitmapLoad(skin, kSkinIndicatorFrame1 + frame - 1, skinFile(skinsFolder, name)) !=
            OKAY)
            return REPORT_ERR() == OKAY;
    }
    return true;
}

// Text groups: rectangle, font size, colour.
int readText(std::FILE* file, Skin* skin, int key) {
    int left = -1, top = -1, right = -1, bottom = -1;
    REPORT_CHECK(skinReadRect(file, left, top, right, bottom));
    if (left >= 0 && top >= 0 && right >= 0 && bottom >= 0)
        REPORT_CHECK(skinTextSetRect(skin, key, left, top, right, bottom));
    int size = -1;
    REPORT_CHECK(skinReadInt(file, size));
    if (size >= 0) REPORT_CHECK(skinTextSetSize(skin, key, size));
    int a = 0, b = 0, c = 0;
    REPORT_CHECK(skinReadColour(file, a, b, c));
    REPORT_CHECK(skinTextSetColour(skin, key, a, b, c));
    return OKAY;
}

int readColourValues(std::FILE* file, Skin* skin, int redKey, int greenKey, int blueKey) {
    int a = 0, b = 0, c = 0;
    REPORT_CHECK(skinReadColour(file, a, b, c));
    REPORT_CHECK(skinAdditionalValueSet(skin, redKey, a));
    REPORT_CHECK(skinAdditionalValueSet(skin, greenKey, b));
    REPORT_CHECK(skinAdditionalValueSet(skin, blueKey, c));
    return OKAY;
}

// Groups 4 to 46 of the definition file, and the optional ones after them
// (47 to 79), each applied as soon as it is read; `meter` gets the level
// bar's rectangle when group 49 gives one.
// Every group starts from -1 ("not given"), so a value line without a number
// leaves its pieces as they are.
int readDefinition(std::FILE* file, Skin* skin, hwndRect& meter) {
    std::string header;
    REPORT_CHECK(readHeader(file, header));
    int unused = 0;
    REPORT_CHECK(skinReadInt(file, unused));
    for (const PointGroup& g : kPointGroups) {
        int x = -1, y = -1;
        REPORT_CHECK(skinReadPoint(file, x, y));
        if (x < 0 || y < 0) continue;
        for (int k = 0; k < g.count; ++k) REPORT_CHECK(skinComponentSetPosition(skin, g.keys[k], x, y));
    }
    for (int key : {kSkinSliderVolume, kSkinSliderPosition}) {
        int left = -1, top = -1, right = -1, bottom = -1;
        REPORT_CHECK(skinReadRect(file, left, top, right, bottom));
        if (left >= 0 && top >= 0 && right >= 0 && bottom >= 0)
            REPORT_CHECK(skinSliderSetRect(skin, key, left, top, right, bottom));
    }
    for (int key : kHotspotFileOrder) {
        int left = -1, top = -1, right = -1, bottom = -1;
        REPORT_CHECK(skinReadRect(file, left, top, right, bottom));
        if (left >= 0 && top >= 0 && right >= 0 && bottom >= 0)
            REPORT_CHECK(skinHotspotSetRect(skin, key, left, top, right, bottom));
    }
    {
        int left = -1, top = -1, right = -1, bottom = -1;
        REPORT_CHECK(skinReadRect(file, left, top, right, bottom));
        if (left >= 0 && top >= 0 && right >= 0 && bottom >= 0)
            REPORT_CHECK(skinTextSetRect(skin, kSkinTextTrackList, left, top, right, bottom));
    }
    REPORT_CHECK(readColourValues(file, skin, kSkinListTextRed, kSkinListTextGreen, kSkinListTextBlue));
    REPORT_CHECK(readColourValues(file, skin, kSkinListBackRed, kSkinListBackGreen, kSkinListBackBlue));
    REPORT_CHECK(readText(file, skin, kSkinTextPlayTime));
    REPORT_CHECK(readText(file, skin, kSkinTextRecordTime));
    REPORT_CHECK(readText(file, skin, kSkinTextSpare));
    // The optional groups: each one only after all the ones before it.
    for (const WindowButton& b : kWindowButtons) {
        int left = -1, top = -1, right = -1, bottom = -1;
        bool found = false;
        REPORT_CHECK(skinReadRectOptional(file, left, top, right, bottom, found));
        if (!found) return OKAY;
        if (!given(left, top, right, bottom)) continue;
        REPORT_CHECK(skinHotspotSetRect(skin, b.hotspot, left, top, right, bottom));
        REPORT_CHECK(skinComponentSetPosition(skin, b.hover, left, top));
    }
    {
        int left = -1, top = -1, right = -1, bottom = -1;
        bool found = false;
        REPORT_CHECK(skinReadRectOptional(file, left, top, right, bottom, found));
        if (!found) return OKAY;
        if (given(left, top, right, bottom) && right > left && bottom > top) {
            REPORT_CHECK(skinComponentSetPosition(skin, kSkinLevelMeter, left, top));
            meter = hwndRect{left, top, right, bottom};
        }
    }
    for (int key : kFocusOutlineOrder) {
        int left = -1, top = -1, right = -1, bottom = -1;
        bool found = false;
        REPORT_CHECK(skinReadRectOptional(file, left, top, right, bottom, found));
        if (!found) return OKAY;
        int radius = -1;
        REPORT_CHECK(skinReadInt(file, radius));
        if (given(left, top, right, bottom) && right >= left && bottom >= top)
            REPORT_CHECK(skinHotspotSetOutline(skin, key, left, top, right, bottom, radius));
    }
    return OKAY;
}

// The pieces the definition placed that a skin may leave out: the level
// bar's bitmap (cut to its rectangle) and the indicator's playback face. A
// missing file leaves the piece out; a file that cannot be read is a bad
// bitmap like any other.
bool loadOptionalImages(Skin* skin, const std::string& skinsFolder, const hwndRect& meter) {
    if (meter.width() > 0) {
        const std::string path = skinFile(skinsFolder, kSkinLevelMeterFile);
        if (FileExists(path)) {
            if (skinComponentBitmapLoad(skin, kSkinLevelMeter, path) != OKAY) return REPORT_ERR() == OKAY;
            for (SkinComponent& c : skin->components) {
                if (c.key != kSkinLevelMeter) continue;
                c.bitmap =
                    c.bitmap.copy(0, 0, std::min(c.width, meter.width()), std::min(c.height, meter.height()));
                c.width = c.bitmap.width();
                c.height = c.bitmap.height();
            }
        }
    }
    const std::string face = skinFile(skinsFolder, kSkinIndicatorPlaybackFile);
    if (FileExists(face) && skinComponentBitmapLoad(skin, kSkinIndicatorPlayback, face) != OKAY)
        return REPORT_ERR() == OKAY;
    return true;
}

// The hover images of the window buttons the definition placed. Without its
// image a button still works, it only does not light up; an image that is
// there but cannot be read is a bad bitmap like any other.
bool loadWindowButtonImages(Skin* skin, const std::string& skinsFolder) {
    for (const WindowButton& b : kWindowButtons) {
        int enabled = 0, left = 0, top = 0, right = 0, bottom = 0;
        if (skinHotspotGet(skin, b.hotspot, enabled, left, top, right, bottom) != OKAY)
            return REPORT_ERR() == OKAY;
        const std::string path = skinFile(skinsFolder, b.file);
        if (enabled == 0 || !FileExists(path)) continue;
        if (skinComponentBitmapLoad(skin, b.hover, path) != OKAY) return REPORT_ERR() == OKAY;
    }
    return true;
}

int tellUser(ModalMessageDialog* dialog, const char* text) {
    if (!dialog) return OKAY;
    bool confirmed = false;
    REPORT_CHECK(dialog->show(text, false, confirmed));
    return OKAY;
}

}  // namespace

int recorderInitMainSkin(const std::string& skinsFolder, CSlout* trace, ModalMessageDialog* dialog,
                         const RecorderMainSkinHooks& hooks, std::unique_ptr<Skin>& mainSkin) {
    std::unique_ptr<Skin> skin;
    REPORT_CHECK(skinInit(skin, 1, trace));
    REPORT_CHECK(registerPieces(skin.get()));

    const std::string definition = skinFile(skinsFolder, kSkinDefinitionFile);
    REPORT_CHECK(checkVersion(definition));
    hwndRect meter;  // the level bar's rectangle, when the definition gives one

    if (!loadBitmaps(skin.get(), skinsFolder)) {
        skinFree(skin);
        skinFree(mainSkin);
        REPORT_CHECK(tellUser(dialog, kMsgSkinBitmaps));
        return OKAY;
    }

    {
        FileHandle file(std::fopen(definition.c_str(), "rb"));
        if (!file) {
            skinFree(skin);
            skinFree(mainSkin);
            REPORT_CHECK(tellUser(dialog, kMsgSkinDefinition));
            return OKAY;
        }
        REPORT_CHECK(readDefinition(file.get(), skin.get(), meter));
    }
    if (!loadWindowButtonImages(skin.get(), skinsFolder) ||
        !loadOptionalImages(skin.get(), skinsFolder, meter)) {
        skinFree(skin);
        skinFree(mainSkin);
        REPORT_CHECK(tellUser(dialog, kMsgSkinBitmaps));
        return OKAY;
    }

    if (hooks.applyToTrackList) REPORT_CHECK(hooks.applyToTrackList(*skin));
    int width = 0, height = 0;
    REPORT_CHECK(skinComponentBitmapGetSize(skin.get(), kSkinMaster, width, height));
    if (hooks.sizeWindow) REPORT_CHECK(hooks.sizeWindow(width, height));

    skinFree(mainSkin);
    mainSkin = std::move(skin);
    return OKAY;
}

int recorderMainSkinListColours(const std::string& skinsFolder, RecorderSkinColour& text,
                                RecorderSkinColour& background) {
    FileHandle file(std::fopen(skinFile(skinsFolder, kSkinDefinitionFile).c_str(), "rb"));
    if (!file) return REPORT_ERRNO();
    // The groups before the colours, read as readDefinition reads them and let be.
    std::string header;
    REPORT_CHECK(readHeader(file.get(), header));
    if (header.compare(0, 9, "Version 1") != 0) return REPORT_ERR();
    int value = 0, x = 0, y = 0, left = 0, top = 0, right = 0, bottom = 0;
    REPORT_CHECK(skinReadInt(file.get(), value));
    for (size_t i = 0; i < std::size(kPointGroups); ++i) REPORT_CHECK(skinReadPoint(file.get(), x, y));
    const size_t rects = 2 /* sliders */ + std::size(kHotspotFileOrder) + 1 /* the track list */;
    for (size_t i = 0; i < rects; ++i) REPORT_CHECK(skinReadRect(file.get(), left, top, right, bottom));
    REPORT_CHECK(skinReadColour(file.get(), text.red, text.green, text.blue));
    REPORT_CHECK(skinReadColour(file.get(), background.red, background.green, background.blue));
    return OKAY;
}

int recorderMainSkinListLayout(Skin* skin, int& left, int& top, int& right, int& bottom,
                               RecorderSkinColour& text, RecorderSkinColour& background) {
    if (!skin) return REPORT_ERR();
    REPORT_CHECK(skinTextGetRect(skin, kSkinTextTrackList, left, top, right, bottom));
    REPORT_CHECK(skinAdditionalValueGet(skin, kSkinListTextRed, text.red));
    REPORT_CHECK(skinAdditionalValueGet(skin, kSkinListTextGreen, text.green));
    REPORT_CHECK(skinAdditionalValueGet(skin, kSkinListTextBlue, text.blue));
    REPORT_CHECK(skinAdditionalValueGet(skin, kSkinListBackRed, background.red));
    REPORT_CHECK(skinAdditionalValueGet(skin, kSkinListBackGreen, background.green));
    REPORT_CHECK(skinAdditionalValueGet(skin, kSkinListBackBlue, background.blue));
    return OKAY;
}
