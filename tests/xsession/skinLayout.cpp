// The main skin's layout for the end-to-end tests. See skinLayout.h.
#include "skinLayout.h"

#include "recorderMainSkin.h"
#include "report.h"
#include "skin.h"
#include "testsupport.h"

SkinLayout::SkinLayout() {
    if (recorderInitMainSkin(testsupport::sourceDir() + "/Skins", nullptr, nullptr, {}, skin_) != OKAY ||
        !skin_)
        return;
    skinTextGetRect(skin_.get(), kSkinTextTrackList, list.left, list.top, list.right, list.bottom);
}

SkinLayout::~SkinLayout() = default;

std::pair<int, int> SkinLayout::centre(int hotspot) const {
    int enabled = 0, l = 0, t = 0, r = 0, b = 0;
    skinHotspotGet(skin_.get(), hotspot, enabled, l, t, r, b);
    return {(l + r) / 2, (t + b) / 2};
}
