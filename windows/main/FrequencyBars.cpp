#include "FrequencyBars.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tavora::mainwin {

void FrequencyBars::SetGeometry(int groundWidth, int groundHeight, int barWidth, int barHeight) {
    groundWidth_ = std::max(groundWidth, 0);
    groundHeight_ = std::max(groundHeight, 0);
    barWidth_ = std::max(barWidth, 0);
    barHeight_ = std::max(barHeight, 0);
    target_.fill(barHeight_);
    Reset();
}

int FrequencyBars::dataBars() const {
    if (barWidth_ <= 0) return 0;
    return std::min(groundWidth_ / barWidth_, kSlots);
}

int FrequencyBars::columns() const { return std::min(barHeight_, kSlots); }

void FrequencyBars::Feed(const float* magnitudes, int count) {
    const int bars = dataBars();
    for (int i = 0; i < bars; ++i) {
        const int bin = i < 6 ? i + 6 : i < 12 ? i - 6 : i;
        if (bin >= count || bin >= kBins) break;
        double magnitude = magnitudes[bin];
        // Damaged media can decode to NaN or huge samples; keep the bar arithmetic sane.
        if (!std::isfinite(magnitude)) magnitude = 0;
        magnitude = std::clamp(magnitude, -1000.0, 1000.0);
        target_[i] = static_cast<int>((groundHeight_ + 2) - groundHeight_ * magnitude * 10);
    }
}

void FrequencyBars::FetchFailed() {
    const int bars = barWidth_ + 1 > 0 ? std::min(groundWidth_ / (barWidth_ + 1), kSlots) : 0;
    for (int i = 0; i < bars; ++i) level_[i] = barHeight_ + 10;
}

bool FrequencyBars::Step(bool playing) {
    if (!playing) return Reset();
    const int hb = barHeight_;
    bool moved = false;
    for (int i = 0; i < columns(); ++i) {
        int level = level_[i];
        if (level - 2 > target_[i])
            level -= 2;
        else if (level < hb)
            level += 2;
        else
            level = hb;
        level = std::max(level, 2);

        int peak = peak_[i];
        if (peak > level - 2 && level < hb)
            peak = level - 2;
        else if (peak < level - 10)
            peak = peak + 1 >= hb ? hb : peak + 1;
        else if (level == hb)
            peak = hb;

        moved = moved || level != level_[i] || peak != peak_[i];
        level_[i] = level;
        peak_[i] = peak;
    }
    return moved;
}

bool FrequencyBars::Reset() {
    bool moved = false;
    for (int i = 0; i < kSlots; ++i) {
        moved = moved || level_[i] != barHeight_ || peak_[i] != barHeight_;
        level_[i] = peak_[i] = barHeight_;
    }
    return moved;
}

void FrequencyBars::Paint(QPainter& painter, const QImage& ground, const QImage& bar) const {
    painter.drawImage(QPoint(0, 0), ground);
    if (bar.isNull()) return;
    const int wb = barWidth_, hb = barHeight_;
    for (int i = 0; i < columns(); ++i) {
        if (!ColumnFits(i)) break;
        const int x = i * (wb + 1);
        painter.drawImage(QPoint(x, level_[i]), bar, QRect(0, level_[i], wb, hb - 2));
        painter.drawImage(QPoint(x, peak_[i]), bar, QRect(0, 0, wb, 1));
    }
}

}  // namespace tavora::mainwin
