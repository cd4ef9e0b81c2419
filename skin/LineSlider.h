#pragma once
// A horizontal line slider drawn from three skin elements: a "full" track, an
// "empty" track of the same size (Width W) and a thumb (Width Tw).
//
// pos is the thumb's offset from the track's left end L (the full track's X), 0..W.
// The full track shows its columns left of the thumb, the empty track the rest to the
// right of it, so the slider covers W + Tw pixels. A click maps to the position that
// puts the thumb's middle under the cursor, clamped to the track.
//
// GUI thread only.

#include "SkinElement.h"

class QPainter;

namespace tavora {

// pos = x - (L + Tw / 2), clamped to 0..W (Tw / 2 rounded toward zero).
int SliderPosFromX(int x, int trackLeft, int trackWidth, int thumbWidth);

struct LineSlider {
    const SkinElement* full = nullptr;
    const SkinElement* empty = nullptr;
    const SkinElement* thumb = nullptr;
    int pos = 0;
    bool dragging = false;

    int TrackLeft() const { return full ? full->rect.left : 0; }
    int TrackWidth() const { return full ? full->Width : 0; }
    int ThumbWidth() const { return thumb ? thumb->Width : 0; }

    // Sets pos from a cursor x and returns it.
    int SetFromX(int x);
    // Sets pos from a value of range (0 when the range is empty), clamped to the track.
    void SetFromValue(double value, double range);
    // pos as a fraction of the track, 0..1.
    double Fraction() const;

    void Draw(QPainter& painter) const;
};

}  // namespace tavora
