#pragma once

// The kinds of compiled-in image a style may have ("BUTTON", "TITLEBTN"...):
// how its strip is cut, which theme key it serves, where a style's record
// keeps its size, and the shared image a style without its own falls back to.

#include "skin/theme/SkinStyle.h"

#include <span>

struct SkinImagePart {
    const char* name; // "BUTTON"
    // Frames the strip is cut into, 1 for images used whole. Images this
    // program does not draw have the natural cut of their strips, so the
    // review sheet shows them frame by frame.
    int frames;
    SkinStyle::Size SkinStyle::Images::*size; // null for shared-only images
    TskThemeKey key;                          // 0 when no theme key names it
    const char* shared;                       // "MORE_SCROLLBUTTON", or null
    SkinStyle::Size sharedSize;

    static std::span<const SkinImagePart> All();
    // The part an image key draws from; null for other keys.
    static const SkinImagePart* ForKey(TskThemeKey key);
};
