// Where the main skin puts things, for end-to-end tests that click the real
// window: the skin of the checkout, its hotspots' centres and the track
// list's rectangle, in the window's coordinates.
#pragma once

#include <memory>
#include <utility>

#include "hwnd.h"

struct Skin;

class SkinLayout {
  public:
    SkinLayout();  // loads Skins/default_Tobrel of the checkout
    ~SkinLayout();
    bool loaded() const { return skin_ != nullptr; }
    Skin* skin() const { return skin_.get(); }
    std::pair<int, int> centre(int hotspot) const;
    hwndRect list;  // the track list

  private:
    std::unique_ptr<Skin> skin_;
};
