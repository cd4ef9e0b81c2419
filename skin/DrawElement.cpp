#include "DrawElement.h"

#include <QPainter>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace tavora {

namespace {

int Clamp32(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

// The client edges and the element's numbers, wide enough that no sum overflows.
struct Wide {
    Wide(const SkinElement& element, const QRect& client)
        : left(client.left()), top(client.top()), right(int64_t{client.left()} + client.width()),
          bottom(int64_t{client.top()} + client.height()), x(element.rect.left), y(element.rect.top),
          w(element.Width), h(element.Height) {}
    int64_t left, top, right, bottom, x, y, w, h;
};

// Corner for the four basic codes.
std::optional<QPoint> Corner(int code, const SkinElement& element, const QRect& client) {
    const auto [left, top, right, bottom, x, y, w, h] = Wide(element, client);
    switch (code) {
    case 1: return QPoint(Clamp32(left + x), Clamp32(top + y));
    case 2: return QPoint(Clamp32(right - x), Clamp32(top + y));
    case 3: return QPoint(Clamp32(left + x), Clamp32(bottom - y));
    case 4: return QPoint(Clamp32(right - x), Clamp32(bottom - y));
    default: return std::nullopt;
    }
}

}  // namespace

const QImage& ElementBitmap(const SkinElement& element, SkinImage which) {
    switch (which) {
    case SkinImage::Over: return element.overBitmap;
    case SkinImage::Down: return element.downBitmap;
    case SkinImage::Default: break;
    }
    return element.defaultBitmap;
}

std::optional<QPoint> PlaceElement(const SkinElement& element, const QRect& client, SkinWindowKind kind) {
    const int code = element.LineUp;
    if (code >= 1 && code <= 4) return Corner(code, element, client);
    switch (kind) {
    case SkinWindowKind::Main:
        if (code == 5) return Corner(4, element, client);
        break;
    case SkinWindowKind::Equalizer:
        if (code == 5) return Corner(4, element, client);
        if (code == 6) return client.topLeft();
        break;
    case SkinWindowKind::Playlist:
        if (code >= 5 && code <= 8) return Corner(code - 4, element, client);
        break;
    case SkinWindowKind::ListControl:
        break;
    }
    return std::nullopt;
}

bool DrawElement(QPainter& painter, const QRect& client, SkinElement& element, SkinImage which,
                 SkinWindowKind kind) {
    const QImage& bitmap = ElementBitmap(element, which);
    const std::optional<QPoint> at = PlaceElement(element, client, kind);
    if (!at) return false;
    if (kind == SkinWindowKind::Playlist && element.LineUp >= 5 && element.LineUp <= 8) {
        element.placedRect = {at->x(), at->y(), Clamp32(int64_t{at->x()} + element.Width),
                              Clamp32(int64_t{at->y()} + element.Height)};
    }
    if (bitmap.isNull()) return false;
    if (kind == SkinWindowKind::Equalizer && element.LineUp == 6) {
        // The band's right end meets the window's right edge.
        const int sourceX = element.Width - client.width();
        painter.drawImage(QRect(client.left(), client.top(), client.width(), element.Height), bitmap,
                          QRect(sourceX, 0, client.width(), element.Height));
        return true;
    }
    painter.drawImage(*at, bitmap);
    return true;
}

QRect EdgeFillRect(const SkinElement& element, const QRect& client) {
    const auto [left, top, right, bottom, x, y, w, h] = Wide(element, client);
    int64_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    switch (element.LineUp) {
    case 1: x0 = left + x; x1 = right - (x + w); y0 = top; y1 = top + h; break;
    case 2: x0 = left + x; x1 = right - (x + w); y0 = bottom - y; y1 = bottom - y + h; break;
    case 3: x0 = left; x1 = left + w; y0 = y; y1 = bottom - (y + h); break;
    case 4: x0 = right - x; x1 = right - x + w; y0 = y; y1 = bottom - (y + h); break;
    case 5: x0 = 0; x1 = w; y0 = top; y1 = bottom; break;
    default: return {};
    }
    // Clip before converting: a hostile skin may ask for runs of billions of pixels.
    x0 = std::max(x0, left);
    y0 = std::max(y0, top);
    x1 = std::min(x1, right);
    y1 = std::min(y1, bottom);
    if (x1 <= x0 || y1 <= y0) return {};
    return QRect(QPoint(static_cast<int>(x0), static_cast<int>(y0)),
                 QSize(static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)));
}

bool DrawEdgeFill(QPainter& painter, const QRect& client, const SkinElement& element) {
    const QImage& bitmap = element.defaultBitmap;
    if (bitmap.isNull()) return false;
    const QRect run = EdgeFillRect(element, client);
    if (run.isEmpty()) return false;
    const bool horizontal = element.LineUp == 1 || element.LineUp == 2;
    if (horizontal) {
        // Every column shows the bitmap's first column.
        const int rows = std::min(run.height(), bitmap.height());
        painter.drawImage(QRect(run.left(), run.top(), run.width(), rows), bitmap, QRect(0, 0, 1, rows));
    } else {
        // Every row shows the bitmap's first row.
        const int columns = std::min(run.width(), bitmap.width());
        painter.drawImage(QRect(run.left(), run.top(), columns, run.height()), bitmap, QRect(0, 0, columns, 1));
    }
    return true;
}

void DrawColumns(QPainter& painter, const QImage& image, int fromColumn, int toColumn, int x, int y) {
    fromColumn = std::max(fromColumn, 0);
    toColumn = std::min(toColumn, image.width());
    if (image.isNull() || toColumn <= fromColumn) return;
    painter.drawImage(QPoint(x, y), image, QRect(fromColumn, 0, toColumn - fromColumn, image.height()));
}

void DrawRows(QPainter& painter, const QImage& image, int fromRow, int toRow, int x, int y) {
    fromRow = std::max(fromRow, 0);
    toRow = std::min(toRow, image.height());
    if (image.isNull() || toRow <= fromRow) return;
    painter.drawImage(QPoint(x, y), image, QRect(0, fromRow, image.width(), toRow - fromRow));
}

}  // namespace tavora
