#include "EqualizerRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tavora::eq {

namespace {
constexpr int kRestoreLimit = 20;
constexpr const char* kBandLabels[kBandCount] = {"60", "170", "310", "600", "1K", "3K", "6K", "12K", "14K", "16K"};
}  // namespace

int SliderGeometry::PositionOf(int gainDb) const {
    const int span = trackLength + thumbHeight + thumbHeight / 2;
    const int centre = span / 2 - thumbHeight / 2;
    const int step = span / 24;
    return centre - gainDb * step;
}

int SliderGeometry::GainOf(int offset) const {
    const int b = FullScale();
    if (b <= 0) return 0;
    const double perDb = b / 24.0;
    if (offset < b / 2) return static_cast<int>(12 - offset / perDb);
    return -static_cast<int>((offset - b / 2) / perDb);
}

int SliderGeometry::OffsetFromY(int y) const {
    if (y <= trackTop) return 0;
    if (y < thumbHeight / 2 + fullTop + trackLength) return y - trackTop;
    return emptyBottom + thumbHeight - fullTop;
}

int SliderGeometry::MasterPercent(int offset) const {
    const int b = FullScale();
    if (b <= 0 || offset >= b) return 0;
    return static_cast<int>(std::abs(offset - b) / static_cast<double>(b) * 100);
}

unsigned SliderGeometry::MasterLevel(int offset, unsigned mixerMax) const {
    const int b = FullScale();
    if (b <= 0 || offset >= b) return 0;
    const int level = std::abs(offset - b);
    if (level <= 0) return 0;
    if (level < b) return static_cast<unsigned>(level) * (mixerMax / static_cast<unsigned>(b));
    return mixerMax;
}

int SliderGeometry::MasterOffset(unsigned value, unsigned mixerMax) const {
    const int b = FullScale();
    if (mixerMax == 0 || b <= 0) return b;
    const unsigned clamped = std::min(value, mixerMax);
    return b - static_cast<int>(static_cast<unsigned long long>(clamped) * static_cast<unsigned>(b) / mixerMax);
}

int BandOfSlider(int slider) { return slider >= 1 && slider <= kBandCount ? kBandCount - slider : -1; }

int SliderOfBand(int band) { return band >= 0 && band < kBandCount ? kBandCount - band : 0; }

std::string SliderTooltip(int slider, int value) {
    char text[64];
    if (slider == kMasterSlider)
        std::snprintf(text, sizeof text, "Master Volume: %d", value);
    else if (const int band = BandOfSlider(slider); band >= 0)
        std::snprintf(text, sizeof text, "Equalizer %s: %d", kBandLabels[band], value);
    else
        return {};
    return text;
}

const std::array<Preset, kPresetCount>& Presets() {
    static const std::array<Preset, kPresetCount> presets = {{
        {32786, "기본값", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {32787, "클래식", {0, 0, 0, 0, 0, 0, -4, -4, -4, -6}},
        {32788, "클럽", {0, 0, 3, 5, 5, 5, 3, 0, 0, 0}},
        {32789, "댄스", {6, 5, 3, 0, 0, -4, -4, -4, 0, 0}},
        {32790, "저음 강조", {6, 6, 5, 4, 3, 0, -2, -4, -4, -4}},
        {32791, "저음 && 고음", {6, 6, 0, -6, -4, 0, 4, 6, 6, 6}},
        {32794, "넓은 홀", {6, 6, 4, 4, 0, -4, -4, -4, 0, 0}},
        {32795, "라이브", {-4, 0, 4, 5, 5, 5, 4, 0, 0, 0}},
        {32796, "파티", {4, 4, 0, 0, 0, 0, 0, 0, 4, 4}},
        {32797, "레게", {0, 0, 0, -4, 0, 4, 4, 0, 0, 0}},
        {32798, "록", {5, 3, -3, -5, -3, 0, 3, 5, 5, 5}},
        {32793, "소형 스피커", {0, 5, 4, -4, -3, -2, 0, 3, 4, 5}},
        {32802, "테크노", {5, 5, 3, -3, -2, 0, 3, 5, 5, 5}},
        {32792, "고음 강조", {-5, -5, -5, -3, 0, 3, 7, 7, 7, 7}},
        {32799, "스카", {-2, -4, -2, 0, 3, 4, 6, 6, 6, 6}},
        {32800, "소프트", {3, 2, 0, -2, 0, 2, 3, 4, 5, 6}},
        {32801, "소프트 록", {3, 3, 2, 0, -2, -3, -2, 0, 2, 3}},
        {32868, "팝", {-2, 2, 4, 4, 4, 0, -2, -2, -2, -2}},
    }};
    return presets;
}

const std::array<int, kPresetCount>& PresetMenuOrder() {
    static const std::array<int, kPresetCount> order = {0, 1, 2, 3, 4, 5, 13, 11, 6, 7, 8, 9, 10, 14, 15, 16, 12, 17};
    return order;
}

std::optional<int> PresetOfCommand(int command) {
    const auto& presets = Presets();
    for (int i = 0; i < kPresetCount; ++i)
        if (presets[static_cast<size_t>(i)].command == command) return i;
    return std::nullopt;
}

Gains RestoredGains(const std::array<std::optional<int>, kBandCount>& stored) {
    Gains gains{};
    if (!stored[0] || *stored[0] < -kRestoreLimit) return gains;
    for (int i = 0; i < kBandCount; ++i)
        gains[static_cast<size_t>(i)] = std::clamp(stored[static_cast<size_t>(i)].value_or(0), -kRestoreLimit, kRestoreLimit);
    return gains;
}

}  // namespace tavora::eq
