// Lookups shared by the skin engine's own files; not for the application.
#pragma once

#include "skin.h"

class QPainter;

// Linear search from the start; null when the key does not exist.
SkinComponent* skinFindComponent(Skin& skin, int key);
SkinHotspot* skinFindHotspot(Skin& skin, int key);
SkinSlider* skinFindSlider(Skin& skin, int key);
// The focus ring: drawn over everything else of a paint, and invalidated.
void skinPaintFocusRing(Skin& skin, QPainter& painter);
void skinRefreshFocusRing(Skin& skin, PaintWindow& window);
// Loads a bitmap file at its own size; missing or unreadable is an internal error.
int skinLoadBitmapFile(const std::string& path, QImage& image);
