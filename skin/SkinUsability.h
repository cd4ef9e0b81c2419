#pragma once
// When a skin can be used at all.
//
// A skin is usable when
//   1. its description file parses,
//   2. it names the main window's background ("MainControl/ImageCollection",
//      Ground "ID_PLAYER_IMAIN"), whose size, after the reader's screen limits, is at
//      least kMinMainWindowSide pixels each way (the main window takes that size), and
//   3. that background's bitmap loads (a BMP file within the bitmap limits), and
//   4. the window is no larger than that bitmap either way (it is drawn from it).
// Anything less gives a main window that is black, one pixel large or gone, and the
// player would look dead. Other elements may be missing: their windows simply do not
// draw them.
//
// GUI thread only (bitmaps are loaded through QImageReader like every skin bitmap).

#include <string>

namespace tavora {

inline constexpr int kMinMainWindowSide = 8;
// The main window's size when no usable skin is installed at all, so that the player
// stays visible (and can be moved and closed) until skins arrive.
inline constexpr int kFallbackMainWidth = 275;
inline constexpr int kFallbackMainHeight = 116;

struct SkinCheck {
    bool usable = false;
    std::string reason;  // why not, for the user (Korean); empty when usable
};

// Applies the rule above to the skin in `folder` (the folder holding TavoraSkin.xml).
SkinCheck CheckSkinUsable(const std::string& folder);

}  // namespace tavora
