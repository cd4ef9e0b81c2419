// The playlist window on the generated default skin: layout of the list and bar, the
// buttons and their menus, the grip with its minimum size, dragging by the frame,
// docking, keys, and placement and saving of its rectangle.
#include <gtest/gtest.h>

#include <QMenu>
#include <QRubberBand>
#include <QSignalSpy>
#include <QTest>

#include "Commands.h"
#include "PlaylistListCtrl.h"
#include "PlaylistMenus.h"
#include "PlaylistScrollBar.h"
#include "PlayerEvents.h"
#include "PlaylistWindow.h"
#include "PlaylistWindowTestSupport.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "TempRegistry.h"

namespace tavora {
namespace {

class PlaylistWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        test::UseDefaultSkin();
        window = std::make_unique<PlaylistWindow>(model);
        window->SetCommandSink(&log);
        events.AnnounceMainWindowRect(mainRect);
        window->SetEvents(&events);
        window->resize(360, 250);
        window->ComposeWindow();  // the placed pictures: button and grip hit areas
    }
    QPoint ButtonCentre(int button) {
        const SkinRect r = window->buttons().Rect(button);
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    test::TempRegistry registry;
    PlaylistModel model;
    test::CommandLog log;
    PlayerEvents events;
    QRect mainRect{100, 100, 275, 116};
    std::unique_ptr<PlaylistWindow> window;
};

TEST_F(PlaylistWindowTest, ListAndBarFillTheFrameAndTheTitleIsTheHandOffName) {
    EXPECT_EQ(window->windowTitle(), "TavoraPlayer List");
    EXPECT_EQ(window->minimumListSize(), QSize(350, 124));  // the default skin's main picture
    const QRect list = window->listArea();
    EXPECT_GT(list.width(), 200);
    EXPECT_GT(list.height(), 150);
    EXPECT_LT(list.right(), window->scrollBar()->geometry().left());
    EXPECT_EQ(window->scrollBar()->width(), PlaylistScrollBar::kWidth);
    EXPECT_EQ(window->list()->columns().title, list.width() - 21 - 35);
    // The grey list area and a frame that is not grey.
    const QImage image = window->grab().toImage();
    EXPECT_EQ(image.pixel(list.center()), qRgb(159, 159, 159));
    EXPECT_NE(image.pixel(2, 2), qRgb(0, 0, 0));
    EXPECT_FALSE(window->gripRect().isEmpty());
    EXPECT_TRUE(window->gripRect().bottomRight().x() < 360);
    // With rows: a picture for looking at (TAVORA_SCREENSHOT_DIR).
    test::AddRows(model, 30);
    model.MarkCurrentRow(1);
    window->list()->SelectOnly(3);
    const QImage withRows = window->grab().toImage();
    EXPECT_EQ(withRows.pixel(list.center().x(), list.top() + 3 * 16 + 8), qRgb(15, 15, 15));
    if (const char* dir = std::getenv("TAVORA_SCREENSHOT_DIR"))
        withRows.save(QString::fromUtf8(dir) + "/playlist-window.png");
}

TEST_F(PlaylistWindowTest, ScrollRangeFollowsRowsAndWindowHeight) {
    test::AddRows(model, 100);
    const int perPage = window->list()->rowsPerPage();
    EXPECT_EQ(perPage, window->listArea().height() / 16);
    EXPECT_EQ(window->scrollBar()->range(), 100 - perPage + 1);
    window->resize(300, 400);
    EXPECT_EQ(window->scrollBar()->range(), 100 - window->listArea().height() / 16 + 1);
}

TEST_F(PlaylistWindowTest, CloseButtonClosesOnlyWhenThePressSurvives) {
    const QPoint close = ButtonCentre(PlaylistWindow::kClose);
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, close);
    EXPECT_EQ(log.sent, std::vector<int>{cmd::ListClose});
    log.sent.clear();
    // Off the button and back before the release: the press is gone.
    QTest::mousePress(window.get(), Qt::LeftButton, {}, close);
    QTest::mouseMove(window.get(), close + QPoint(0, 40));
    QTest::mouseMove(window.get(), close);
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, close);
    EXPECT_TRUE(log.sent.empty());
}

TEST_F(PlaylistWindowTest, ButtonMenusSendTheirCommands) {
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, ButtonCentre(PlaylistWindow::kDel));
    QMenu* menu = window->buttonMenu(PlaylistWindow::kDel);
    ASSERT_TRUE(menu->isVisible());
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[1]->text(), QString::fromUtf8("전체 삭제"));
    menu->actions()[1]->trigger();
    menu->hide();
    EXPECT_EQ(log.sent, std::vector<int>{cmd::ListDelAll});
    EXPECT_EQ(window->buttonMenu(PlaylistWindow::kAdd)->actions().size(), 3);
    EXPECT_EQ(window->buttonMenu(PlaylistWindow::kList)->actions()[0]->data().toInt(), int(cmd::ListLoad));
}

TEST_F(PlaylistWindowTest, GripResizeNeverGoesBelowTheMinimumWidth) {
    const QPoint grip = window->gripRect().center();
    QTest::mousePress(window.get(), Qt::LeftButton, {}, grip);
    EXPECT_TRUE(window->resizing());
    // Released left of the minimum width and below the window.
    QTest::mouseMove(window.get(), QPoint(120, 300));
    const int minimum = window->minimumListSize().width();
    EXPECT_EQ(window->rubberBand()->geometry().width(), minimum);
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(120, 300));
    EXPECT_FALSE(window->resizing());
    EXPECT_EQ(window->width(), minimum);
    EXPECT_EQ(window->height(), 300);
    // The list is laid out for the new size.
    EXPECT_EQ(window->list()->columns().title, window->listArea().width() - 21 - 35);
    // A release on the grip itself changes nothing.
    const QSize before = window->size();
    window->ComposeWindow();
    const QPoint again = window->gripRect().center();
    QTest::mousePress(window.get(), Qt::LeftButton, {}, again);
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, again);
    EXPECT_EQ(window->size(), before);
}

TEST_F(PlaylistWindowTest, FrameStartsAMoveButTheInnerAreaDoesNot) {
    window->show();
    QSignalSpy moves(window.get(), &SkinnedWindow::systemMoveStarted);
    // 5 pixels inside the left frame.
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(5, 120));
    QTest::mouseMove(window.get(), QPoint(8, 122));
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(8, 122));
    EXPECT_EQ(moves.count(), 1);
    // A press inside the list goes to the list.
    test::AddRows(model, 3);
    const QPoint inList = window->listArea().topLeft() + QPoint(40, 20);
    QTest::mousePress(window.get(), Qt::LeftButton, {}, inList);
    QTest::mouseMove(window.get(), inList + QPoint(3, 3));
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, inList + QPoint(3, 3));
    EXPECT_EQ(moves.count(), 1);
}

TEST_F(PlaylistWindowTest, MovingNearTheMainWindowDocksBelowIt) {
    window->show();
    window->move(103, 223);  // 7 pixels below, 3 to the right
    // The platform reports the move back through the event loop.
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return window->pos() == QPoint(100, 216); })) << "docked";
    EXPECT_EQ(window->dockState(), 14);
    EXPECT_TRUE(events.playlistDocked());
    QSignalSpy docking(&events, &PlayerEvents::dockingChanged);
    window->move(700, 700);
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return window->pos() == QPoint(700, 700); }));
    EXPECT_EQ(window->dockState(), 12);
    EXPECT_FALSE(events.playlistDocked());
    ASSERT_EQ(docking.count(), 1);
    EXPECT_FALSE(docking.at(0).at(0).toBool());
}

TEST_F(PlaylistWindowTest, SpaceAndAcceleratorsSendCommands) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), static_cast<int>(test::kStateTimeout.count())));
    window->list()->setFocus();
    QTest::keyClick(window->list(), Qt::Key_Space);
    QTest::keyClick(window->list(), Qt::Key_Delete);
    QTest::keyClick(window->list(), Qt::Key_Return);
    QTest::keyClick(window->list(), Qt::Key_A, Qt::ControlModifier);  // in the table, does nothing
    QTest::keyClick(window->list(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(log.sent, (std::vector<int>{cmd::Play, cmd::ListDelFile, cmd::PlayListSelect, cmd::SetAlwaysTop}));
    // A held Space plays once, as in the other windows, not with every repeat.
    log.sent.clear();
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), /*autorep=*/true);
    QApplication::sendEvent(window->list(), &held);
    EXPECT_TRUE(log.sent.empty());
    // Every key of the table was read (a key the reader does not know is dropped).
    EXPECT_EQ(PlaylistAccelerators().size(), 22u);
}

TEST_F(PlaylistWindowTest, PlacementComesFromTheSavedRectangleOrBelowTheMainWindow) {
    window->PlaceAtStart(mainRect);
    EXPECT_EQ(window->geometry(), QRect(100, 216, 350, 248));
    window->setGeometry(40, 50, 320, 400);
    window->SaveRect();
    EXPECT_EQ(ReadRegDword(keys::kSize, "List.Size.Left"), 40);
    EXPECT_EQ(ReadRegDword(keys::kSize, "List.Size.Top"), 50);
    EXPECT_EQ(ReadRegDword(keys::kSize, "List.Size.Right"), 360);
    EXPECT_EQ(ReadRegDword(keys::kSize, "List.Size.Bottom"), 450);
    PlaylistWindow second(model);
    second.PlaceAtStart(mainRect);
    EXPECT_EQ(second.geometry(), QRect(40, 50, 320, 400));
    // A negative right edge means no saved rectangle.
    WriteRegDword(keys::kSize, "List.Size.Right", -1);
    second.PlaceAtStart(mainRect);
    EXPECT_EQ(second.geometry().topLeft(), QPoint(100, 216));
}

}  // namespace
}  // namespace tavora
