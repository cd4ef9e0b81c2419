#include "DigitDisplay.h"

#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tavora {

std::string TimeDigits(int seconds) {
    if (seconds < 0) seconds = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d", seconds / 60, seconds % 60);
    return text;
}

std::string ThreeDigits(int value) {
    char text[48];
    std::snprintf(text, sizeof text, "%d%d%d", value / 100, std::abs((value / 10) % 10), std::abs(value % 10));
    return text;
}

void DrawDigits(QPainter& painter, const DigitSet& digits, const std::string& text,
                std::span<const SkinElement* const> places) {
    static constexpr char kTable[] = "0123456789";
    for (size_t i = 0; i < places.size() && i < text.size(); ++i) {
        const char* at = std::strchr(kTable, text[i]);
        if (!at || !*at || !places[i]) continue;
        const QImage& bitmap = digits[static_cast<size_t>(at - kTable)].defaultBitmap;
        if (bitmap.isNull()) continue;
        painter.drawImage(QPoint(places[i]->rect.left, places[i]->rect.top), bitmap);
    }
}

}  // namespace tavora
