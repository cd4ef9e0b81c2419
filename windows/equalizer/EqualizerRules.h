#pragma once
// The equaliser window's arithmetic and tables, apart from the window so that they are
// tested on their own: the slider geometry (gain <-> thumb offset, a press to an
// offset, the master slider's percentage and mixer level), which slider drives which
// band, the tooltip texts, the eighteen presets with their menu order, and the rule
// that restores the stored gains.
//
// Slider geometry, from the skin: Ty = the empty track's Y (track top), H = the filled
// track's Height (track length), Th = the thumb's Height, b = H + Th / 2 (full scale).
// An offset v is the thumb's distance in pixels from the track top (0 = top = +12 dB).

#include <array>
#include <optional>
#include <string>

namespace tavora::eq {

inline constexpr int kBandCount = 10;
inline constexpr int kSliderCount = 11;  // ten bands and the master volume
inline constexpr int kMasterSlider = 11;
inline constexpr int kPresetCount = 18;
using Gains = std::array<int, kBandCount>;  // band 0 (60 Hz) .. band 9 (16 kHz), in dB

struct SliderGeometry {
    int trackTop = 0;      // Ty
    int trackLength = 0;   // H
    int thumbHeight = 0;   // Th
    int fullTop = 0;       // the filled track's Y
    int emptyBottom = 0;   // the empty track's Y + Height

    int FullScale() const { return trackLength + thumbHeight / 2; }  // b
    // The thumb offset that shows gain g.
    int PositionOf(int gainDb) const;
    // The gain an offset stands for, on the full scale b: above its middle
    // 12 - v / (b / 24), from the middle down -(v - b / 2) / (b / 24), cut towards zero
    // (b / 24 in floating point). The top reads +12; offsets past the track's end give
    // less than -12. It is not PositionOf's exact inverse: a thumb put at a gain may
    // read one step nearer to 0, so a thumb that did not move keeps its gain.
    int GainOf(int offset) const;
    // The offset a press or drag at window y gives.
    int OffsetFromY(int y) const;
    // The master slider: the percentage its tooltip shows, the level sent to the mixer
    // (0..mixerMax) and the offset that shows a mixer value.
    int MasterPercent(int offset) const;
    unsigned MasterLevel(int offset, unsigned mixerMax) const;
    int MasterOffset(unsigned value, unsigned mixerMax) const;
};

// Slider k (1..10) drives band 10 - k: the sliders run from 16 kHz on the left to
// 60 Hz on the right. Slider 11 is the master volume (no band: -1).
int BandOfSlider(int slider);
int SliderOfBand(int band);
// The tooltip over slider k with its value: "Equalizer 16K: 3", "Master Volume: 40".
std::string SliderTooltip(int slider, int value);

struct Preset {
    int command;       // the menu item's command
    const char* name;  // the menu text ("&&" shows one "&")
    Gains gains;
};
const std::array<Preset, kPresetCount>& Presets();
// Preset indices in the order the presets menu shows them.
const std::array<int, kPresetCount>& PresetMenuOrder();
// The preset a menu command selects.
std::optional<int> PresetOfCommand(int command);

// The registry's stored band values "1".."10" as read (nullopt when absent): all
// zeros when "1" is absent or below -20; otherwise the values, an absent one 0, each
// kept to -20..+20 dB.
Gains RestoredGains(const std::array<std::optional<int>, kBandCount>& stored);

}  // namespace tavora::eq
