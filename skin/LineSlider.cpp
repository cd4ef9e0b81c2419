#include "LineSlider.h"

#include <QPainter>

#include <algorithm>
#include <cstdint>

#include "DrawElement.h"

namespace tavora {

int SliderPosFromX(int x, int trackLeft, int trackWidth, int thumbWidth) {
    const int64_t pos = int64_t{x} - (int64_t{trackLeft} + thumbWidth / 2);
    return static_cast<int>(std::clamp<int64_t>(pos, 0, std::max(trackWidth, 0)));
}

int LineSlider::SetFromX(int x) {
    pos = SliderPosFromX(x, TrackLeft(), TrackWidth(), ThumbWidth());
    return pos;
}

void LineSlider::SetFromValue(double value, double range) {
    const int width = std::max(TrackWidth(), 0);
    if (range <= 0) {
        pos = 0;
        return;
    }
    pos = static_cast<int>(std::clamp(value / range * width, 0.0, static_cast<double>(width)));
}

double LineSlider::Fraction() const {
    const int width = TrackWidth();
    return width > 0 ? static_cast<double>(pos) / width : 0.0;
}

void LineSlider::Draw(QPainter& painter) const {
    if (!full || !empty || !thumb) return;
    const int left = TrackLeft();
    const int width = TrackWidth();
    const int p = std::clamp(pos, 0, std::max(width, 0));
    DrawColumns(painter, full->defaultBitmap, 0, p, left, full->rect.top);
    if (!thumb->defaultBitmap.isNull()) painter.drawImage(QPoint(left + p, thumb->rect.top), thumb->defaultBitmap);
    DrawColumns(painter, empty->defaultBitmap, p, width, left + p + ThumbWidth(), empty->rect.top);
}

}  // namespace tavora
