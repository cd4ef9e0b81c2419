#include "PlaylistGeometry.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace tavora {

int RowCountDigits(int rowCount) {
    int digits = 1;
    for (int64_t n = rowCount; n >= 10; n /= 10) ++digits;
    return digits;
}

int LabelColumnWidth(int rowCount) {
    switch (RowCountDigits(rowCount)) {
    case 1: return 21;
    case 2: return 25;
    case 3: return 32;
    case 4: return 39;
    default: return 47;
    }
}

ColumnLayout ComputeColumns(int listWidth, int rowCount) {
    ColumnLayout layout;
    layout.digits = RowCountDigits(rowCount);
    layout.label = LabelColumnWidth(rowCount);
    layout.title = listWidth - layout.label - kTimeColumnWidth;
    return layout;
}

RowCells CellsOfRow(const ColumnLayout& layout, int rowTop) {
    RowCells cells;
    int x = kFirstCellX;
    cells.label = QRect(x, rowTop, layout.label, kListRowHeight);
    x += layout.label;
    const int titleWidth = std::max(layout.title - kTitleRightMargin, 0);
    cells.title = QRect(x, rowTop, titleWidth, kListRowHeight);
    x += titleWidth;
    cells.time = QRect(x, rowTop, layout.time, kListRowHeight);
    return cells;
}

int MaxTopRow(int rowCount, int rowsPerPage) { return std::max(rowCount - std::max(rowsPerPage, 1), 0); }

int ThumbOffset(int barHeight, int thumbHeight, int rowsPerPage, int rowCount, int topRow) {
    const int range = ScrollRange(rowCount, rowsPerPage);
    const int travel = std::max(barHeight - thumbHeight, 0);
    if (range <= 0) return 0;
    int64_t offset;
    if (topRow + rowsPerPage < rowCount - 1) {
        const int step = (barHeight - kListRowHeight) / range;
        // With more rows than pixels the whole-pixel step is 0; place the thumb by
        // proportion so that long lists still show where they are.
        offset = step > 0 ? int64_t{step} * topRow : int64_t{barHeight - kListRowHeight} * topRow / range;
    } else {
        offset = travel;
    }
    return static_cast<int>(std::clamp<int64_t>(offset, 0, travel));
}

int TopRowForThumb(int y, int barHeight, int thumbHeight, int range) {
    const int travel = std::max(barHeight - thumbHeight, 0);
    const int offset = std::clamp(y - thumbHeight / 2, 0, travel);
    if (range <= 0 || travel <= 0) return 0;
    const int step = travel / range;
    if (step > 0) return offset / step;
    return static_cast<int>(int64_t{offset} * range / travel);
}

namespace {
constexpr int kTolerance = 10;
bool Near(int a, int b) { return std::abs(a - b) <= kTolerance; }
bool Overlap(int a0, int a1, int b0, int b1) { return a0 < b1 && b0 < a1; }
}  // namespace

SnapResult SnapToMain(QPoint proposed, QSize size, QRect main) {
    const int x = proposed.x(), y = proposed.y();
    const int w = size.width(), h = size.height();
    const int right = x + w, bottom = y + h;
    const int L = main.left(), T = main.top(), R = main.left() + main.width(), B = main.top() + main.height();
    SnapResult result{proposed, kDockFree};
    if (main.width() <= 0 || main.height() <= 0) return result;

    if (Near(x, L) && Near(y, B)) {
        result = {QPoint(L, B), kDockBelow};
    } else if (Near(right, R) && Near(y, B)) {
        result = {QPoint(R - w, B), kDockBelow};
    } else if (Overlap(x, right, L, R) && Near(y, B)) {
        result = {QPoint(x, B), kDockBelow};
    }

    if (Near(y, T) && Near(right, L)) {
        result = {QPoint(L - w, T), kDockLeft};
    } else if (Near(bottom, B) && Near(right, L)) {
        result = {QPoint(L - w, B - h), kDockLeft};
    } else if (Overlap(y, bottom, T, B) && Near(right, L)) {
        result = {QPoint(L - w, y), kDockLeft};
    }

    if (Near(x, L) && Near(bottom, T)) {
        result = {QPoint(L, T - h), kDockAbove};
    } else if (Near(right, R) && Near(bottom, T)) {
        result = {QPoint(R - w, T - h), kDockAbove};
    } else if (Overlap(x, right, L, R) && Near(bottom, T)) {
        result = {QPoint(x, T - h), kDockAbove};
    }
    return result;
}

QPoint ClampResizePoint(QPoint point, QPoint windowTopLeft, QSize minimum) {
    return QPoint(std::max(point.x(), windowTopLeft.x() + minimum.width()),
                  std::max(point.y(), windowTopLeft.y() + minimum.height()));
}

}  // namespace tavora
