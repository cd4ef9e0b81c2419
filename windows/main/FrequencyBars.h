#pragma once
// The main window's spectrum analyser: bars that rise toward the latest FFT
// magnitudes two pixels per step, fall back two pixels per step, and peak marks that
// sit two pixels above a rising bar and sink slowly once the bar has dropped well
// below them.
//
// Every value is a y offset from the top of the bar area, so smaller is taller; the
// bar image's height Hb is "empty". Bars are Wb wide with a one-pixel gap. The data
// side fills one target per bar that fits the ground (Wg / Wb of them, the first six
// bins shifted by six so the lowest bins do not dominate); the painting side steps
// one column per row of the bar image (Hb of them) and draws those that fit inside
// the ground. Both are bounded by the arrays (260) and the 256 FFT bins, whatever
// the skin says.
//
// GUI thread only (the window's timers and paint handler).

#include <array>

class QImage;
class QPainter;

namespace tavora::mainwin {

class FrequencyBars {
public:
    static constexpr int kSlots = 260;
    static constexpr int kBins = 256;

    // Ground Wg x Hg, bar image Wb x Hb; resets every bar to empty.
    void SetGeometry(int groundWidth, int groundHeight, int barWidth, int barHeight);

    // New magnitudes (count of them, 256 for a 512-point FFT).
    void Feed(const float* magnitudes, int count);
    // The fetch failed: every bar drops below the area.
    void FetchFailed();
    // One animation step; returns whether any bar or peak moved.
    bool Step(bool playing);
    // Empties every bar and peak at once (playback stopped).
    bool Reset();

    // Draws the ground and the bars into a Wg x Hg picture.
    void Paint(QPainter& painter, const QImage& ground, const QImage& bar) const;

    int dataBars() const;     // bars fed by Feed
    int columns() const;      // columns stepped and painted
    bool ColumnFits(int i) const { return i * (barWidth_ + 1) < groundWidth_; }
    int target(int i) const { return target_[i]; }
    int level(int i) const { return level_[i]; }
    int peak(int i) const { return peak_[i]; }

private:
    int groundWidth_ = 0, groundHeight_ = 0, barWidth_ = 0, barHeight_ = 0;
    std::array<int, kSlots> target_{};
    std::array<int, kSlots> level_{};
    std::array<int, kSlots> peak_{};
};

}  // namespace tavora::mainwin
