// The pure rules: column widths by digit count, the scroll-bar thumb, docking and the
// resize clamp.
#include <gtest/gtest.h>

#include "PlaylistGeometry.h"

namespace tavora {
namespace {

TEST(ColumnLayout, LabelWidthFollowsTheDigitsOfTheRowCount) {
    const std::pair<int, int> cases[] = {{0, 21},    {9, 21},    {10, 25},    {99, 25},       {100, 32},
                                         {999, 32},  {1000, 39}, {9999, 39},  {10000, 47}, {2000000000, 47}};
    for (auto [rows, width] : cases) EXPECT_EQ(LabelColumnWidth(rows), width) << rows << " rows";
    const ColumnLayout layout = ComputeColumns(300, 10);
    EXPECT_EQ(layout.label, 25);
    EXPECT_EQ(layout.time, 35);
    EXPECT_EQ(layout.title, 300 - 25 - 35);
}

TEST(ColumnLayout, TitleCellLeavesFifteenPixelsBeforeTheTime) {
    const RowCells cells = CellsOfRow(ComputeColumns(300, 5), 32);
    EXPECT_EQ(cells.label, QRect(2, 32, 21, 16));
    EXPECT_EQ(cells.title.left(), 23);
    EXPECT_EQ(cells.title.width(), 300 - 21 - 35 - 15);
    EXPECT_EQ(cells.time.left(), cells.title.left() + cells.title.width());
    EXPECT_EQ(cells.time.width(), 35);
}

TEST(ScrollThumb, FollowsTheTopRowAndStaysOnTheBar) {
    // 100 rows, 10 per page: range 91, bar 200 high, thumb 24 high.
    EXPECT_EQ(ThumbOffset(200, 24, 10, 100, 0), 0);
    EXPECT_EQ(ThumbOffset(200, 24, 10, 100, 45), (200 - 16) / 91 * 45);
    EXPECT_EQ(ThumbOffset(200, 24, 10, 100, 90), 176);  // the last page sits at the bottom
    EXPECT_EQ(ThumbOffset(200, 24, 10, 5, 0), 0);        // no range
    // A list longer than the bar is high still moves the thumb.
    const int middle = ThumbOffset(400, 24, 25, 100000, 50000);
    EXPECT_GT(middle, 150);
    EXPECT_LT(middle, 250);
}

TEST(ScrollThumb, PressPositionGivesTheTopRowWithoutDividingByZero) {
    EXPECT_EQ(TopRowForThumb(0, 200, 24, 91), 0);
    EXPECT_EQ(TopRowForThumb(200, 200, 24, 91), 176 / (176 / 91));
    EXPECT_EQ(TopRowForThumb(100, 200, 24, 0), 0);
    EXPECT_EQ(TopRowForThumb(100, 20, 24, 50), 0);  // no travel at all
    const int top = TopRowForThumb(212, 400, 24, 99976);
    EXPECT_GT(top, 40000);
    EXPECT_LT(top, 60000);
    EXPECT_EQ(TopRowForThumb(10000, 400, 24, 99976), 99976);
}

struct SnapCase {
    const char* what;
    QPoint proposed;
    QPoint expected;
    int state;
};

TEST(Docking, SnapsToTheMainWindowsEdges) {
    const QRect main(100, 100, 275, 116);  // right 375, bottom 216
    const QSize size(275, 232);
    const SnapCase cases[] = {
        {"7 below, 3 right: below and left-aligned", {103, 223}, {100, 216}, kDockBelow},
        {"overlapping below", {180, 220}, {180, 216}, kDockBelow},
        {"left of it, tops aligned", {-170, 95}, {-175, 100}, kDockLeft},
        {"left of it, bottoms aligned", {-168, -10}, {-175, -16}, kDockLeft},
        {"above it", {96, -125}, {100, -132}, kDockAbove},
        {"far away", {600, 600}, {600, 600}, kDockFree},
        {"right side does not dock", {378, 100}, {378, 100}, kDockFree},
        {"11 pixels is too far", {100, 227}, {100, 227}, kDockFree},
    };
    for (const SnapCase& c : cases) {
        const SnapResult r = SnapToMain(c.proposed, size, main);
        EXPECT_EQ(r.topLeft, c.expected) << c.what;
        EXPECT_EQ(r.dockState, c.state) << c.what;
    }
    EXPECT_EQ(SnapToMain({103, 223}, size, QRect()).dockState, kDockFree);  // no main window
    // A narrower window with its right edge near the main window's right edge.
    const SnapResult right = SnapToMain({170, 220}, QSize(200, 100), main);
    EXPECT_EQ(right.topLeft, QPoint(175, 216));
    EXPECT_EQ(right.dockState, kDockBelow);
}

TEST(Docking, LaterChecksOverrideEarlierOnes) {
    // Near the bottom-left and the top-left of a main window no taller than the
    // tolerance: the check above it runs last and wins.
    const QRect main(0, 0, 100, 8);
    const SnapResult r = SnapToMain({2, 4}, QSize(100, 5), main);
    EXPECT_EQ(r.dockState, kDockAbove);
    EXPECT_EQ(r.topLeft, QPoint(0, -5));
}

TEST(ResizeClamp, NeverBelowTheMinimumSize) {
    EXPECT_EQ(ClampResizePoint({120, 130}, {100, 100}, {275, 116}), QPoint(375, 216));
    EXPECT_EQ(ClampResizePoint({500, 400}, {100, 100}, {275, 116}), QPoint(500, 400));
}

}  // namespace
}  // namespace tavora
