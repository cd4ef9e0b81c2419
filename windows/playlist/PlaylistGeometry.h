#pragma once
// The playlist window's and list control's rules of geometry, as pure functions: the
// column layout by digit count, the scroll-bar thumb, rows under the cursor, the
// resize clamp and docking to the main window.
//
// Docking, in outline. Every time the playlist window moves or is resized, its
// proposed top-left corner is compared with the main window's rectangle (L, T, R, B)
// with a tolerance of 10 pixels. Three checks run in a fixed order, a later one
// overriding an earlier one:
//   below the main window (state 14): corner to (L, B), else right edges aligned at
//     (R - W, B), else just y = B when the two overlap horizontally;
//   left of it (state 16): to (L - W, T), else bottoms aligned at (L - W, B - H), else
//     just x = L - W when they overlap vertically;
//   above it (state 15): to (L, T - H), else (R - W, T - H), else y = T - H when they
//     overlap horizontally.
// Nothing docks to the main window's right side. A window that matched none of them
// is free (state 12). While docked, the window follows the main window's moves.
//
// Thread-safe (no state).

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tavora {

inline constexpr int kListRowHeight = 16;
inline constexpr int kTimeColumnWidth = 35;
inline constexpr int kTitleRightMargin = 15;  // the title cell is this much narrower than its column
inline constexpr int kFirstCellX = 2;

// Decimal digits of the row count, 0 to 9 rows counting as one.
int RowCountDigits(int rowCount);
// Width of the label column for that many rows: 21, 25, 32, 39, then 47 pixels.
int LabelColumnWidth(int rowCount);

struct ColumnLayout {
    int digits = 0;
    int label = 0;
    int title = 0;
    int time = kTimeColumnWidth;
};
ColumnLayout ComputeColumns(int listWidth, int rowCount);

// The cells of one row (x ranges in row coordinates): label, title and time.
struct RowCells {
    QRect label, title, time;
};
RowCells CellsOfRow(const ColumnLayout& layout, int rowTop);

// The row index under a client y (may lie past the last row, or be negative above).
inline int RowAt(int topRow, int y) { return topRow + (y >= 0 ? y / kListRowHeight : -1); }
inline int RowsPerPage(int listHeight) { return listHeight > 0 ? listHeight / kListRowHeight : 0; }
// The scroll range: rows - rows per page + 1 (0 or less: no thumb).
inline int ScrollRange(int rowCount, int rowsPerPage) { return rowCount - rowsPerPage + 1; }
// The highest top row the list shows.
int MaxTopRow(int rowCount, int rowsPerPage);

// Thumb offset from the bar's top for a top row.
int ThumbOffset(int barHeight, int thumbHeight, int rowsPerPage, int rowCount, int topRow);
// The top row for a press or drag at y on the bar.
int TopRowForThumb(int y, int barHeight, int thumbHeight, int range);

// Dock states.
enum DockState : int { kDockFree = 12, kDockBelow = 14, kDockAbove = 15, kDockLeft = 16 };
inline bool IsDocked(int state) { return state >= 13 && state <= 16; }

struct SnapResult {
    QPoint topLeft;
    int dockState = kDockFree;
};
// Snaps the proposed top-left corner of a window of `size` to the main window `main`
// (exclusive right and bottom: right = left + width).
SnapResult SnapToMain(QPoint proposed, QSize size, QRect main);

// A resize point clamped to at least the minimum size from the window's top-left.
QPoint ClampResizePoint(QPoint point, QPoint windowTopLeft, QSize minimum);

}  // namespace tavora
