#pragma once
// Digit displays: a number as text, each character drawn with the bitmap of one of
// ten digit elements at the top-left corner of its slot.
//
// A time is "%02d%02d" of minutes and seconds and shows its first four characters,
// so 100 minutes or more shows the leading digits only (6000 s reads "10:00").
//
// GUI thread only.

#include <array>
#include <span>
#include <string>

#include "SkinElement.h"

class QPainter;

namespace tavora {

using DigitSet = std::array<SkinElement, 10>;

// "%02d%02d" of seconds / 60 and seconds % 60 (negative counts as 0).
std::string TimeDigits(int seconds);
// "%d%d%d" of value / 100, (value / 10) % 10 and value % 10.
std::string ThreeDigits(int value);

// Draws the first places.size() characters of text; a character that is not a digit,
// a missing slot or a digit without bitmap is skipped.
void DrawDigits(QPainter& painter, const DigitSet& digits, const std::string& text,
                std::span<const SkinElement* const> places);

}  // namespace tavora
