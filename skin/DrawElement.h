#pragma once
// DrawElement: the one place where skin bitmaps are put on a window.
//
// An element's LineUp code says which corner of the window its X and Y measure from:
//   1 (left + X, top + Y)     2 (right - X, top + Y)
//   3 (left + X, bottom - Y)  4 (right - X, bottom - Y)
// Windows add codes of their own: the main and equaliser windows draw 5 as 4; the
// equaliser draws 6 as a band across its whole width showing the bitmap's right end
// (the window slides open by width); the playlist window draws 5..8 as 1..4 and
// remembers the covered rectangle in placedRect, because its buttons move when it is
// resized. Any other code (0 included: a missing LineUp) draws nothing. Bitmaps are
// opaque and drawn at their own size.
//
// Edge fills stretch the first column (or row) of a piece along a window edge; they
// are how the playlist frame and the playlist scroll-bar track grow with the window.
//
// GUI thread only.

#include <QPoint>
#include <QRect>

#include <optional>

#include "SkinElement.h"

class QPainter;

namespace tavora {

enum class SkinWindowKind { Main, Equalizer, Playlist, ListControl };
enum class SkinImage { Default, Over, Down };

// The bitmap of the element that `which` names (may be null).
const QImage& ElementBitmap(const SkinElement& element, SkinImage which);

// Top-left corner for codes 1 to 5 (and 6 to 8 on the playlist window), or nothing
// when the window does not draw the code. Equaliser code 6 places at (0, 0).
std::optional<QPoint> PlaceElement(const SkinElement& element, const QRect& client, SkinWindowKind kind);

// Draws the element's chosen bitmap by its code. Returns whether anything was drawn.
bool DrawElement(QPainter& painter, const QRect& client, SkinElement& element, SkinImage which,
                 SkinWindowKind kind);

// The run that an edge fill covers, clipped to the client rectangle (empty when
// nothing is covered). Codes 1 and 2: top and bottom edge; 3 and 4: left and right
// edge; 5: the whole height at x = 0 (the playlist scroll-bar track).
QRect EdgeFillRect(const SkinElement& element, const QRect& client);
bool DrawEdgeFill(QPainter& painter, const QRect& client, const SkinElement& element);

// Copies columns [fromColumn, toColumn) of the image to (x, y); used by the sliders.
void DrawColumns(QPainter& painter, const QImage& image, int fromColumn, int toColumn, int x, int y);
// Copies rows [fromRow, toRow) of the image to (x, y); used by the equaliser sliders.
void DrawRows(QPainter& painter, const QImage& image, int fromRow, int toRow, int x, int y);

}  // namespace tavora
