// A skinned window built on the base class: loading a skin folder, composing by
// pixels, the button rules through real mouse events, dragging and skin reload.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "SkinBitmap.h"
#include "SkinReader.h"
#include "SkinSelection.h"
#include "SkinTestSupport.h"
#include "SkinnedWindow.h"

namespace tavora {
namespace {

constexpr const char* kXml = R"(<TavoraSkin><MainControl><ImageCollection>
  <Ground ID="ID_BG" GroundImage="bg.bmp" X="0" Y="0" Width="100" Height="50" LineUp="1"/>
  <Ground ID="ID_BADGE" GroundImage="sub\badge.bmp" X="10" Y="10" Width="5" Height="5" LineUp="4"/>
  <Ground ID="ID_GHOST" GroundImage="ghost.bmp" X="60" Y="30" Width="10" Height="10" LineUp="0"/>
  <Ground ID="ID_STOP_DEFAULT" GroundImage="stop.bmp" X="40" Y="5" Width="8" Height="8" LineUp="1"/>
  <Ground ID="ID_STOP_OVER" GroundImage="stop_over.bmp" X="40" Y="5" Width="8" Height="8" LineUp="1"/>
  <Ground ID="ID_STOP_DOWN" GroundImage="stop_down.bmp" X="40" Y="5" Width="8" Height="8" LineUp="1"/>
</ImageCollection><ButtonCollection>
  <Button ID="ID_PLAY" BtImageDefault="play.bmp" BtImageDown="play_down.bmp" BtImageOver="play_over.bmp"
          X="20" Y="20" Width="10" Height="10" LineUp="1"/>
</ButtonCollection></MainControl></TavoraSkin>)";

class TestWindow : public SkinnedWindow {
public:
    TestWindow() : SkinnedWindow(SkinWindowKind::Main) {
        buttons().Add(play, SkinHitRule::Rect, [this] { ++clicks; });
        buttons().Add(ghost, SkinHitRule::Rect, [this] { ++ghostClicks; });
        buttons().Add(stop[0], SkinHitRule::Rect, [] {});
    }
    void LoadSkin() override {
        ++loads;
        reader.Open(CurrentSkinFile);
        for (auto [id, element] : {std::pair{"ID_BG", &background}, std::pair{"ID_BADGE", &badge},
                                   std::pair{"ID_GHOST", &ghost}, std::pair{"ID_STOP_DEFAULT", &stop[0]},
                                   std::pair{"ID_STOP_OVER", &stop[1]}, std::pair{"ID_STOP_DOWN", &stop[2]}}) {
            reader.ReadGround("MainControl/ImageCollection", id, *element);
            LoadElementBitmaps(*element);
        }
        reader.ReadButton("MainControl/ButtonCollection", "ID_PLAY", play, 3);
        LoadElementBitmaps(play, true, true);
        resize(std::max(background.Width, 1), std::max(background.Height, 1));
    }
    void ComposeElements(QPainter& painter) override {
        Draw(painter, background);
        Draw(painter, badge);
        Draw(painter, ghost);
        DrawButton(painter, play, 0);
        DrawButton(painter, stop[0], stop[1], stop[2], 2);
    }
    SkinReader reader;
    SkinElement background, badge, ghost, play, stop[3];
    int clicks = 0, ghostClicks = 0, loads = 0;
};

class SkinnedWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        const auto skin = folder.path() / "skin";
        test::WriteText(skin / "TavoraSkin.xml", kXml);
        test::WriteBmp(skin, "bg.bmp", 100, 50, QColor(10, 20, 30));
        test::WriteBmp(skin, "sub/badge.bmp", 5, 5, QColor(250, 0, 0));
        test::WriteBmp(skin, "ghost.bmp", 10, 10, QColor(0, 0, 250));
        test::WriteBmp(skin, "play.bmp", 10, 10, QColor(0, 100, 0));
        test::WriteBmp(skin, "play_over.bmp", 10, 10, QColor(0, 150, 0));
        test::WriteBmp(skin, "Play_Down.BMP", 10, 10, QColor(0, 200, 0));  // case differs from the file's
        test::WriteBmp(skin, "stop.bmp", 8, 8, QColor(1, 1, 1));
        test::WriteBmp(skin, "stop_over.bmp", 8, 8, QColor(2, 2, 2));
        test::WriteBmp(skin, "stop_down.bmp", 8, 8, QColor(3, 3, 3));
        CurrentSkinFolder = skin.string();
        CurrentSkinFile = CurrentSkinFolder + "/TavoraSkin.xml";
        window.ReloadSkin();
    }
    QRgb At(int x, int y) { return window.ComposeWindow().pixel(x, y); }

    bool app_ = (test::App(), true);  // before any widget
    test::TempFolder folder;
    TestWindow window;
};

TEST_F(SkinnedWindowTest, ComposesTheSkinByPixels) {
    EXPECT_EQ(window.size(), QSize(100, 50));
    EXPECT_EQ(At(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(At(90, 40), qRgb(250, 0, 0));  // code 4: right - 10, bottom - 10 (from a subfolder)
    EXPECT_EQ(At(89, 40), qRgb(10, 20, 30));
    EXPECT_EQ(At(65, 35), qRgb(10, 20, 30));  // code 0 is not drawn
    EXPECT_EQ(At(25, 25), qRgb(0, 100, 0));
}

TEST_F(SkinnedWindowTest, ButtonLooksAndClicksFollowTheMouse) {
    window.show();
    QTest::mouseMove(&window, QPoint(25, 25));
    EXPECT_EQ(At(25, 25), qRgb(0, 150, 0));
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(25, 25));
    EXPECT_EQ(At(25, 25), qRgb(0, 200, 0));
    EXPECT_FALSE(window.dragArmed());
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(25, 25));
    EXPECT_EQ(window.clicks, 1);

    // A button drawn from three pictures.
    EXPECT_EQ(At(44, 9), qRgb(1, 1, 1));
    QTest::mouseMove(&window, QPoint(44, 9));
    EXPECT_EQ(At(44, 9), qRgb(2, 2, 2));
    EXPECT_EQ(At(25, 25), qRgb(0, 100, 0));  // the other button lost its hover
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(44, 9));
    EXPECT_EQ(At(44, 9), qRgb(3, 3, 3));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(44, 9));

    // Pressed, dragged off, brought back: released without effect.
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(25, 25));
    QMouseEvent off(QEvent::MouseMove, QPointF(50, 25), QPointF(50, 25), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &off);
    QMouseEvent back(QEvent::MouseMove, QPointF(25, 25), QPointF(25, 25), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &back);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(25, 25));
    EXPECT_EQ(window.clicks, 1);

    // An undrawn button still reacts to the mouse at its rectangle.
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(65, 35));
    EXPECT_EQ(window.ghostClicks, 1);
}

TEST_F(SkinnedWindowTest, PressOnTheBackgroundArmsADragThatTheNextMoveStarts) {
    window.show();
    QSignalSpy moves(&window, &SkinnedWindow::systemMoveStarted);
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(5, 45));
    EXPECT_TRUE(window.dragArmed());
    QMouseEvent move(QEvent::MouseMove, QPointF(8, 45), QPointF(8, 45), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &move);
    EXPECT_FALSE(window.dragArmed());
    EXPECT_EQ(moves.count(), 1);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(8, 45));

    // A press on a button never moves the window.
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(25, 25));
    QMouseEvent drag(QEvent::MouseMove, QPointF(27, 25), QPointF(27, 25), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &drag);
    EXPECT_EQ(moves.count(), 1);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(27, 25));
}

TEST_F(SkinnedWindowTest, ReloadReadsTheNewFolderAndABrokenSkinLeavesTheWindowBlank) {
    const auto other = folder.path() / "other";
    test::WriteText(other / "TavoraSkin.xml", kXml);
    test::WriteBmp(other, "bg.bmp", 100, 50, QColor(200, 200, 10));
    CurrentSkinFolder = other.string();
    ReloadAllSkins();
    EXPECT_EQ(window.loads, 2);
    EXPECT_EQ(CurrentSkinFile, other.string() + "/TavoraSkin.xml");
    EXPECT_EQ(At(50, 5), qRgb(200, 200, 10));
    EXPECT_EQ(At(25, 25), qRgb(200, 200, 10));  // this skin has no button bitmaps

    test::WriteText(other / "TavoraSkin.xml", "<TavoraSkin><MainControl>");
    ReloadAllSkins();
    EXPECT_EQ(window.loads, 3);
    // The records keep their names, the bitmaps load again from the same folder.
    EXPECT_EQ(window.background.defaultImage, "bg.bmp");
    test::WriteText(other / "image" / "bg.bmp", "not a bitmap");
    ReloadAllSkins();
    EXPECT_EQ(At(50, 5), qRgb(0, 0, 0));
}

class OrderClient : public SkinClient {
public:
    OrderClient(SkinClientOrder order, std::vector<int>& log) : order_(order), log_(log) {}
    SkinClientOrder reloadOrder() const override { return order_; }
    void ReloadSkin() override { log_.push_back(static_cast<int>(order_)); }

private:
    SkinClientOrder order_;
    std::vector<int>& log_;
};

TEST(SkinReloadTest, ClientsReloadMainPlaylistListEqualizerInThatOrder) {
    std::vector<int> log;
    OrderClient eq(SkinClientOrder::EqualizerWindow, log), list(SkinClientOrder::ListControl, log),
        main(SkinClientOrder::MainWindow, log), playlist(SkinClientOrder::PlaylistWindow, log);
    CurrentSkinFolder.clear();
    ReloadAllSkins();
    EXPECT_EQ(log, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(CurrentSkinFile.empty());
}

}  // namespace
}  // namespace tavora
