// The list control with a real model: column layout as rows arrive, selection by
// mouse and keys, dragging rows, the context-menu click, dropped files, the wheel,
// double click and the colours it paints.
#include <gtest/gtest.h>

#include <QMenu>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QUrl>

#include <filesystem>
#include <fstream>

#include "Commands.h"
#include "DroppedKind.h"
#include "PlaylistListCtrl.h"
#include "PlaylistScrollBar.h"
#include "PlaylistWindowTestSupport.h"

namespace tavora {
namespace {

class ListCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        list = std::make_unique<PlaylistListCtrl>(model);
        list->SetCommandSink(&log);
        list->resize(300, 160);  // ten rows
        list->LayoutColumns(true);
    }
    QPoint RowPoint(int row) const { return QPoint(50, (row - list->topRow()) * 16 + 8); }
    void Click(int row, Qt::KeyboardModifiers mods = {}) {
        QTest::mouseClick(list.get(), Qt::LeftButton, mods, RowPoint(row));
    }
    void Drag(int fromRow, int toRow) {
        QTest::mousePress(list.get(), Qt::LeftButton, {}, RowPoint(fromRow));
        QTest::mouseMove(list.get(), RowPoint(toRow));
        QTest::mouseRelease(list.get(), Qt::LeftButton, {}, RowPoint(toRow));
        QCoreApplication::processEvents();
    }
    QRgb PixelAt(QPoint p) { return list->grab().toImage().pixel(p); }

    PlaylistModel model;
    test::CommandLog log;
    std::unique_ptr<PlaylistListCtrl> list;
};

TEST_F(ListCtrlTest, LabelColumnWidensWithTheTenthRow) {
    int relayouts = 0;
    QObject::connect(list.get(), &PlaylistListCtrl::rowCountChanged, [&] {
        list->LayoutColumns();
        ++relayouts;
    });
    test::AddRows(model, 9);
    EXPECT_EQ(list->columns().label, 21);
    test::AddRows(model, 1);
    EXPECT_EQ(list->columns().label, 25);
    EXPECT_EQ(list->columns().title, 300 - 25 - 35);
    EXPECT_EQ(relayouts, 2);
}

TEST_F(ListCtrlTest, DraggingRowsTwoAndThreeOntoRowFivePlacesThemAfterIt) {
    test::AddRows(model, 6);
    Click(1);
    Click(2, Qt::ShiftModifier);
    EXPECT_EQ(list->SelectedRows(), (std::vector<int>{1, 2}));
    Drag(1, 4);
    EXPECT_FALSE(list->dragging());
    EXPECT_EQ(test::Titles(model), (std::vector<std::string>{"A", "D", "E", "B", "C", "F"}));
    const auto entries = model.Entries();
    for (int i = 0; i < 6; ++i) EXPECT_EQ(entries[i].label, RowLabel(i));
    EXPECT_EQ(list->SelectedRows(), std::vector<int>{4});  // the row under the drop point
}

TEST_F(ListCtrlTest, DraggingThePlayingRowKeepsItsMark) {
    test::AddRows(model, 6);
    model.MarkCurrentRow(1);
    model.SetCurrentIndex(1);
    Click(1);
    Drag(1, 5);
    EXPECT_EQ(model.MarkedRow(), 5);
    EXPECT_EQ(model.CurrentIndex(), 5);
    EXPECT_EQ(model.Entry(5)->title, "B");
    EXPECT_TRUE(model.Entry(5)->isCurrent);
    // Dragging another row above the playing one moves the mark with its song.
    Click(0);
    Drag(0, 5);
    EXPECT_EQ(model.Entry(model.MarkedRow())->title, "B");
    EXPECT_EQ(model.CurrentIndex(), model.MarkedRow());
}

TEST_F(ListCtrlTest, DraggingNearTheBottomEdgeScrollsEveryTick) {
    test::AddRows(model, 40);
    Click(2);
    QTest::mousePress(list.get(), Qt::LeftButton, {}, RowPoint(2));
    ASSERT_TRUE(list->dragging());
    QTest::mouseMove(list.get(), QPoint(50, 155));  // within 20 pixels of the bottom
    EXPECT_EQ(list->autoScroll(), 1);
    // The 100 ms timer scrolls a row each tick.
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return list->topRow() >= 2; }));
    const int top = list->topRow();
    QTest::mouseMove(list.get(), QPoint(50, 80));
    EXPECT_EQ(list->autoScroll(), 0);
    // Away from the edge the scrolling stops: no row scrolls over three of its ticks.
    ASSERT_TRUE(test::RunTimerPeriods(std::chrono::milliseconds(100), 3));
    EXPECT_EQ(list->topRow(), top);
    // Dropped on the row under the cursor, counted from the scrolled top.
    QTest::mouseRelease(list.get(), Qt::LeftButton, {}, QPoint(50, 80));
    EXPECT_EQ(model.Entry(top + 5)->title, "C");
    EXPECT_EQ(list->topRow(), top);
}

TEST_F(ListCtrlTest, RightClickOnAnUnselectedRowSelectsOnlyThatRow) {
    test::AddRows(model, 6);
    Click(0);
    Click(1, Qt::ControlModifier);
    Click(2, Qt::ControlModifier);
    EXPECT_EQ(list->SelectedRows().size(), 3u);
    QTest::mousePress(list.get(), Qt::RightButton, {}, RowPoint(4));
    QTest::mouseRelease(list.get(), Qt::RightButton, {}, RowPoint(4));
    EXPECT_EQ(list->SelectedRows(), std::vector<int>{4});
    EXPECT_EQ(model.SelectedIndex(), 4);
    ASSERT_TRUE(list->contextMenu()->isVisible());
    // The menu's first item plays the selection.
    list->contextMenu()->actions().at(0)->trigger();
    list->contextMenu()->hide();
    EXPECT_EQ(log.sent, std::vector<int>{cmd::PlayListSelect});
    // A right click on a selected row keeps the selection.
    Click(3, Qt::ShiftModifier);
    QTest::mousePress(list.get(), Qt::RightButton, {}, RowPoint(3));
    QTest::mouseRelease(list.get(), Qt::RightButton, {}, RowPoint(3));
    list->contextMenu()->hide();
    EXPECT_EQ(list->SelectedRows(), (std::vector<int>{3, 4}));
}

TEST_F(ListCtrlTest, DroppedFolderAndFilesBecomeCommandsInOrder) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("tavora-drop-" + std::to_string(getpid()));
    fs::create_directories(dir / "Album");
    for (const char* name : {"one.mp3", "two.ogg"}) std::ofstream(dir / name) << "x";
    list->AddDroppedNames({QUrl::fromLocalFile(QString::fromStdString((dir / "Album").string())),
                           QUrl::fromLocalFile(QString::fromStdString((dir / "one.mp3").string())),
                           QUrl::fromLocalFile(QString::fromStdString((dir / "two.ogg").string()))});
    EXPECT_EQ(log.sent, (std::vector<int>{cmd::MarkAddStart, cmd::OpenFolderDrag, cmd::OpenFileDrag,
                                          cmd::OpenFileDrag}));
    // Each name travels with its own command.
    EXPECT_EQ(log.paths, (std::vector<std::string>{"", (dir / "Album").string(), (dir / "one.mp3").string(),
                                                   (dir / "two.ogg").string()}));
    fs::remove_all(dir);
}

TEST_F(ListCtrlTest, DroppedListsAndOverlongNamesAreHandledByKind) {
    const std::string longName = "/tmp/" + std::string(1100, 'x') + ".mp3";
    list->AddDroppedNames({QUrl::fromLocalFile("/tmp/a.m3u"), QUrl::fromLocalFile("/tmp/b.pls"),
                           QUrl::fromLocalFile("/tmp/c.M3u"), QUrl::fromLocalFile(QString::fromStdString(longName)),
                           QUrl("http://example.org/x.mp3")});
    // Mixed-case extensions are plain files; the overlong name and the address are skipped.
    EXPECT_EQ(log.sent, (std::vector<int>{cmd::MarkAddStart, cmd::OutFileLoadPlayTemp, cmd::CreateUrl,
                                          cmd::OpenFileDrag}));
    EXPECT_EQ(log.paths, (std::vector<std::string>{"", "/tmp/a.m3u", "/tmp/b.pls", "/tmp/c.M3u"}));
}

TEST_F(ListCtrlTest, DoubleClickPlaysTheRowAndNothingBelowTheLastRow) {
    test::AddRows(model, 3);
    QTest::mouseDClick(list.get(), Qt::LeftButton, {}, RowPoint(2));
    EXPECT_EQ(model.MarkedRow(), 2);
    EXPECT_EQ(model.CurrentIndex(), 2);
    EXPECT_EQ(log.sent, std::vector<int>{cmd::ListDbClickPlay});
    log.sent.clear();
    QTest::mouseDClick(list.get(), Qt::LeftButton, {}, RowPoint(7));
    EXPECT_EQ(model.SelectedIndex(), 7);
    EXPECT_TRUE(log.sent.empty());
}

TEST_F(ListCtrlTest, WheelAndScrollBarMoveTheTopRowTogether) {
    PlaylistScrollBar bar;
    bar.resize(10, 160);
    list->SetScrollBar(&bar);
    test::AddRows(model, 100);
    QWheelEvent down(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(list.get(), &down);
    const int step = 1 + QApplication::wheelScrollLines();
    EXPECT_EQ(list->topRow(), step);
    EXPECT_EQ(bar.topRow(), step);
    // A press at the bar's bottom shows the last page.
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(5, 159));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(5, 159));
    EXPECT_EQ(list->topRow(), 90);
    EXPECT_EQ(bar.thumbOffset(), 160 - bar.thumbHeight());
    QWheelEvent up(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, 1200), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(list.get(), &up);
    EXPECT_EQ(list->topRow(), 90 - (1 + 10 * QApplication::wheelScrollLines()));
}

TEST_F(ListCtrlTest, KeysMoveTheCaretAndTheSelectedIndexFollowsOnRelease) {
    test::AddRows(model, 30);
    Click(0);
    QTest::keyClick(list.get(), Qt::Key_Down);
    QTest::keyClick(list.get(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(list->SelectedRows(), (std::vector<int>{1, 2}));
    EXPECT_EQ(model.SelectedIndex(), 2);
    QTest::keyClick(list.get(), Qt::Key_End);
    EXPECT_EQ(model.SelectedIndex(), 29);
    EXPECT_EQ(list->topRow(), 20);  // the caret row is in view
}

TEST_F(ListCtrlTest, TooltipShowsTheRowsTitleCutTo79Characters) {
    const std::string longTitle = std::string(70, 'a') + "가나다라마바사아자차카타파하";
    model.AddEntry(longTitle, "01:00", "/music/long.mp3");
    QCoreApplication::processEvents();
    QHelpEvent help(QEvent::ToolTip, RowPoint(0), list->mapToGlobal(RowPoint(0)));
    QApplication::sendEvent(list.get(), &help);
    EXPECT_EQ(QToolTip::text(), QString::fromStdString(longTitle).left(79));
    QHelpEvent below(QEvent::ToolTip, RowPoint(5), list->mapToGlobal(RowPoint(5)));
    QApplication::sendEvent(list.get(), &below);
    EXPECT_TRUE(test::WaitUntilWithEvents([] { return !QToolTip::isVisible(); })) << "tips fade out";
}

TEST_F(ListCtrlTest, PaintsFixedColoursAndGreyWhenEmpty) {
    const QImage empty = list->grab().toImage();
    for (int y = 0; y < empty.height(); y += 7)
        for (int x = 0; x < empty.width(); x += 7) ASSERT_EQ(empty.pixel(x, y), qRgb(159, 159, 159));
    test::AddRows(model, 3);
    model.MarkCurrentRow(0);
    Click(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(PixelAt({298, 20}), qRgb(15, 15, 15));     // selected row
    EXPECT_EQ(PixelAt({298, 4}), qRgb(159, 159, 159));   // the playing row, not selected
    EXPECT_EQ(PixelAt({298, 100}), qRgb(159, 159, 159)); // below the last row
    // The playing row's text is white.
    const QImage image = list->grab().toImage();
    bool white = false;
    for (int x = 0; x < 100 && !white; ++x)
        for (int y = 0; y < 16 && !white; ++y) white = qGray(image.pixel(x, y)) > 230;
    EXPECT_TRUE(white);
}

}  // namespace
}  // namespace tavora
