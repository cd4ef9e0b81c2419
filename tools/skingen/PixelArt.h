#pragma once
// Drawing helpers for the generated skins: pixel-exact bevels and plates, a small
// bitmap font for labels, seven-segment LCD digits and the transport icons.
// Everything lands on whole pixels so the skins stay crisp at 1:1.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

namespace skingen {

// Vertical two-colour gradient filling r.
void FillGradient(QPainter& p, const QRect& r, const QColor& top, const QColor& bottom);
// One-pixel bevel inside r: light on top/left, dark on bottom/right.
void Bevel(QPainter& p, const QRect& r, const QColor& light, const QColor& dark);
// A recessed well: dark outline on top/left, light on bottom/right, filled inside.
void Well(QPainter& p, const QRect& r, const QColor& fill, const QColor& shadow, const QColor& light);

// The label font: 5 pixels high, letters A-Z, digits, and + - . : / space.
int TextWidth(const QString& text, int scale = 1);
void DrawText(QPainter& p, int x, int y, const QString& text, const QColor& color, int scale = 1);
void DrawTextCentered(QPainter& p, const QRect& r, const QString& text, const QColor& color, int scale = 1);

// A seven-segment digit (0-9) filling cell, segments `thickness` thick; unlit
// segments are drawn in `off` (pass an invalid colour to leave them out).
void DrawSegmentDigit(QPainter& p, const QRect& cell, int digit, int thickness, const QColor& on, const QColor& off);
// The colon of a time display, centred in cell.
void DrawSegmentColon(QPainter& p, const QRect& cell, int thickness, const QColor& on);

enum class Icon {
    Play, Pause, Stop, Back, Next, Open, Minimize, Close, Speaker, SpeakerMuted,
    Repeat, RepeatOne, RepeatAll, Shuffle, InOrder, Equalizer, Playlist
};
// Draws the icon centred in r.
void DrawIcon(QPainter& p, const QRect& r, Icon icon, const QColor& color);

// A small round LED of diameter r.width().
void DrawLed(QPainter& p, const QRect& r, const QColor& core, const QColor& rim, bool lit);

// Nudges any pixel of the three greys that the player swaps for desktop colours,
// so the generated skins look the same on every desktop.
void AvoidStandardGreys(QImage& image);

}  // namespace skingen
