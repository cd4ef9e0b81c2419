#pragma once
// Where the current skin lives, and loading its bitmaps.
//
// CurrentSkinFolder is "<install folder>/skin/<folder>", CurrentSkinFile that folder
// plus "/TavoraSkin.xml"; skin selection sets both before any window reads its skin.
// PreviewSkinFolder is the folder highlighted on the options dialog's skin page.
// A bitmap name is taken relative to the folder's "image" subfolder and may name a
// subfolder of its own ("\" is read as "/"). Files must be BMP files; the three
// standard greys of a bitmap take the desktop palette's 3-D colours, so that old
// skins that rely on it blend with the desktop. A bitmap wider or taller than
// kMaxSkinExtent (SkinReader.h) is refused without reading its pixels: no screen shows
// it, and a forged header must not cost gigabytes.
//
// GUI thread only.

#include <QImage>

#include <string>

#include "SkinElement.h"
#include "SkinReader.h"

namespace tavora {

// What one decoded bitmap may cost: kMaxSkinExtent squared at 32 bits per pixel.
inline constexpr int kMaxSkinBitmapMegabytes = kMaxSkinExtent / 1024 * kMaxSkinExtent / 1024 * 4;

// Whether a picture of this size may be loaded (1..kMaxSkinExtent each way).
bool FitsSkinLimits(QSize size);

extern std::string CurrentSkinFolder;
extern std::string CurrentSkinFile;
extern std::string SelectedSkinName;
extern std::string PreviewSkinFolder;

// Empties the bitmap, then loads CurrentSkinFolder + "/image/" + name into it.
// Returns whether the file was loaded; on failure the bitmap stays empty.
bool LoadSkinBitmap(QImage& bitmap, const std::string& name);
// The same from PreviewSkinFolder.
bool LoadPreviewBitmap(QImage& bitmap, const std::string& name);
// The same from any skin folder.
bool LoadBitmapFromSkin(QImage& bitmap, const std::string& skinFolder, const std::string& name);

// Drops the element's bitmaps and loads its default image, and its over and down
// images when the window uses them.
void LoadElementBitmaps(SkinElement& element, bool withOver = false, bool withDown = false);

// (128,128,128), (192,192,192) and (223,223,223) replaced by the palette's dark,
// button and midlight colours. Exposed for the tests and the generator's checks.
void MapStandardGreys(QImage& image);

}  // namespace tavora
