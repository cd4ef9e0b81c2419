#pragma once
// The records a skinned window keeps for what it reads from the skin description.
//
// GUI thread only (the bitmaps are QImages, which the paint handlers read).

#include <QImage>

#include <string>

namespace tavora {

// A rectangle with exclusive right and bottom edges, as the skin file gives it
// (left = X, top = Y, right = X + Width, bottom = Y + Height).
struct SkinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const SkinRect&) const = default;
};

// One Ground or Button of the skin as a window keeps it. A window creates its
// elements empty; each skin load fills them, and a failed query leaves the previous
// values in place.
struct SkinElement {
    std::string defaultImage;  // GroundImage of a Ground, BtImageDefault of a Button
    std::string downImage;     // BtImageDown
    std::string overImage;     // BtImageOver
    QImage defaultBitmap;
    QImage overBitmap;
    QImage downBitmap;
    int LineUp = 0;       // placement code
    SkinRect rect;        // exactly as read, not moved by the placement code
    SkinRect placedRect;  // where the playlist window last drew it (codes 5 to 8)
    int Width = 0;
    int Height = 0;
};

// The font and colour of the main window's text strip.
struct SkinFont {
    std::string FontName;
    int X = 0;
    int Y = 0;
    int FontSize = 0;
    int FontHeight = 0;
    int R = 0;
    int G = 0;
    int B = 0;
};

// The push-button flags of one windowless button.
struct SkinElementState {
    bool hover = false;
    bool pressed = false;
};

}  // namespace tavora
