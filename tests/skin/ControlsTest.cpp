// Windowless buttons, line sliders and digit displays.
#include <gtest/gtest.h>

#include <QPainter>

#include "DigitDisplay.h"
#include "LineSlider.h"
#include "SkinButtons.h"
#include "SkinTestSupport.h"

namespace tavora {
namespace {

SkinElement Rect(int x, int y, int w, int h) {
    SkinElement e;
    e.rect = {x, y, x + w, y + h};
    e.Width = w;
    e.Height = h;
    return e;
}

class ButtonGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        play = Rect(10, 10, 20, 10);
        stop = Rect(40, 10, 20, 10);
        group.Add(play, SkinHitRule::Rect, [this] { ++playClicks; });
        group.Add(stop, SkinHitRule::Rect, [this] { ++stopClicks; });
    }
    SkinElement play, stop;
    SkinButtonGroup group;
    int playClicks = 0, stopClicks = 0;
};

TEST_F(ButtonGroupTest, PressAndReleaseInsideClicksOnce) {
    EXPECT_TRUE(group.Press(15, 15));
    EXPECT_TRUE(group.State(0).pressed);
    EXPECT_EQ(ButtonImage(group.State(0)), SkinImage::Down);
    EXPECT_EQ(group.Release(29, 19), 1);
    EXPECT_EQ(playClicks, 1);
    EXPECT_EQ(stopClicks, 0);
    EXPECT_FALSE(group.AnyPressed());
}

TEST_F(ButtonGroupTest, LeavingCancelsThePressEvenWhenTheCursorComesBack) {
    group.Press(15, 15);
    group.MouseMove(35, 15);  // off the button
    EXPECT_FALSE(group.State(0).pressed);
    group.MouseMove(15, 15);  // back on it
    EXPECT_TRUE(group.State(0).hover);
    EXPECT_FALSE(group.State(0).pressed);
    EXPECT_EQ(ButtonImage(group.State(0)), SkinImage::Over);
    EXPECT_EQ(group.Release(15, 15), 0);
    EXPECT_EQ(playClicks, 0);
}

TEST_F(ButtonGroupTest, ReleaseOutsideOrOnAnotherButtonDoesNothing) {
    group.Press(15, 15);
    EXPECT_EQ(group.Release(100, 100), 0);
    group.Press(15, 15);
    EXPECT_EQ(group.Release(45, 15), 0);  // pressed play, released on stop
    EXPECT_EQ(playClicks + stopClicks, 0);
    EXPECT_FALSE(group.Press(35, 15));  // between the buttons: the background
}

TEST_F(ButtonGroupTest, HoverFollowsTheCursorAndLeaveClearsEverything) {
    EXPECT_TRUE(group.MouseMove(45, 12));
    EXPECT_TRUE(group.State(1).hover);
    EXPECT_FALSE(group.State(0).hover);
    EXPECT_FALSE(group.MouseMove(46, 12));  // nothing changed
    group.Press(46, 12);
    EXPECT_TRUE(group.Leave());
    EXPECT_FALSE(group.State(1).hover);
    EXPECT_FALSE(group.State(1).pressed);
    EXPECT_EQ(group.Release(46, 12), 0);
}

TEST(ButtonHitRuleTest, RightAnchoredAndPlacedRectangles) {
    SkinElement e = Rect(30, 4, 20, 10);  // X is the distance from the right edge
    e.placedRect = {1, 2, 3, 4};
    EXPECT_EQ(HitRect(e, SkinHitRule::RightAnchored, 200), (SkinRect{170, 4, 190, 14}));
    EXPECT_EQ(HitRect(e, SkinHitRule::Placed, 200), (SkinRect{1, 2, 3, 4}));
    EXPECT_EQ(HitRect(e, SkinHitRule::Rect, 200), (SkinRect{30, 4, 50, 14}));
    SkinButtonGroup group;
    int clicks = 0;
    group.Add(e, SkinHitRule::RightAnchored, [&] { ++clicks; });
    group.SetClientWidth(200);
    group.Press(175, 5);
    group.Release(175, 5);
    EXPECT_EQ(clicks, 1);
}

TEST(LineSliderTest, MouseMapsToThePositionAndClampsAtBothEnds) {
    // Track at L = 10, W = 100, thumb 14 wide: the thumb's middle follows the cursor.
    EXPECT_EQ(SliderPosFromX(17, 10, 100, 14), 0);
    EXPECT_EQ(SliderPosFromX(0, 10, 100, 14), 0);
    EXPECT_EQ(SliderPosFromX(-5000, 10, 100, 14), 0);
    EXPECT_EQ(SliderPosFromX(18, 10, 100, 14), 1);
    EXPECT_EQ(SliderPosFromX(67, 10, 100, 14), 50);
    EXPECT_EQ(SliderPosFromX(117, 10, 100, 14), 100);
    EXPECT_EQ(SliderPosFromX(5000, 10, 100, 14), 100);
    EXPECT_EQ(SliderPosFromX(14, 10, 100, 9), 0);  // odd thumb: half rounds toward zero
    EXPECT_EQ(SliderPosFromX(15, 10, 100, 9), 1);
}

TEST(LineSliderTest, DrawsFullTrackThumbAndEmptyTrackSideBySide) {
    SkinElement full = Rect(5, 2, 10, 3), empty = Rect(5, 2, 10, 3), thumb = Rect(0, 0, 4, 7);
    full.defaultBitmap = QImage(10, 3, QImage::Format_RGB32);
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 3; ++y) full.defaultBitmap.setPixel(x, y, qRgb(0, 100 + x, 0));
    empty.defaultBitmap = QImage(10, 3, QImage::Format_RGB32);
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 3; ++y) empty.defaultBitmap.setPixel(x, y, qRgb(0, 0, 100 + x));
    thumb.defaultBitmap = QImage(4, 7, QImage::Format_RGB32);
    thumb.defaultBitmap.fill(Qt::red);
    LineSlider slider{&full, &empty, &thumb};
    EXPECT_EQ(slider.SetFromX(5 + 2 + 6), 6);
    QImage canvas(30, 10, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter p(&canvas);
    slider.Draw(p);
    p.end();
    EXPECT_EQ(canvas.pixel(5, 2), qRgb(0, 100, 0));      // full column 0
    EXPECT_EQ(canvas.pixel(10, 3), qRgb(0, 105, 0));     // full column 5
    EXPECT_EQ(canvas.pixel(11, 0), QColor(Qt::red).rgb());  // thumb at L + pos
    EXPECT_EQ(canvas.pixel(14, 6), QColor(Qt::red).rgb());
    EXPECT_EQ(canvas.pixel(15, 2), qRgb(0, 0, 106));     // empty column 6 at L + pos + Tw
    EXPECT_EQ(canvas.pixel(18, 2), qRgb(0, 0, 109));
    EXPECT_EQ(canvas.pixel(19, 2), qRgb(0, 0, 0));       // W + Tw pixels in all
    slider.SetFromValue(2.0, 1.0);
    EXPECT_EQ(slider.pos, 10);
    slider.SetFromValue(-1.0, 1.0);
    EXPECT_EQ(slider.pos, 0);
    slider.SetFromValue(1.0, 0.0);
    EXPECT_EQ(slider.pos, 0);
}

TEST(DigitDisplayTest, TimesOfAHundredMinutesShowTheirFirstFourCharacters) {
    EXPECT_EQ(TimeDigits(0), "0000");
    EXPECT_EQ(TimeDigits(83), "0123");
    EXPECT_EQ(TimeDigits(5999), "9959");
    EXPECT_EQ(TimeDigits(6000), "10000");
    EXPECT_EQ(TimeDigits(-1), "0000");
    EXPECT_EQ(ThreeDigits(192), "192");
    EXPECT_EQ(ThreeDigits(44), "044");
    EXPECT_EQ(ThreeDigits(1411), "1411");  // hundreds keeps growing

    DigitSet digits;
    for (int d = 0; d <= 9; ++d) {
        digits[static_cast<size_t>(d)].defaultBitmap = QImage(2, 2, QImage::Format_RGB32);
        digits[static_cast<size_t>(d)].defaultBitmap.fill(qRgb(d * 20, 0, 0));
    }
    SkinElement cells[4] = {Rect(0, 0, 2, 2), Rect(3, 0, 2, 2), Rect(6, 0, 2, 2), Rect(9, 0, 2, 2)};
    const SkinElement* places[4] = {&cells[0], &cells[1], &cells[2], &cells[3]};
    QImage canvas(12, 2, QImage::Format_RGB32);
    canvas.fill(Qt::blue);
    QPainter p(&canvas);
    DrawDigits(p, digits, TimeDigits(6125), places);  // 102:05 -> "10205" -> 1 0 2 0
    p.end();
    EXPECT_EQ(qRed(canvas.pixel(0, 0)), 20);
    EXPECT_EQ(qRed(canvas.pixel(3, 0)), 0);
    EXPECT_EQ(qRed(canvas.pixel(6, 0)), 40);
    EXPECT_EQ(qRed(canvas.pixel(9, 0)), 0);
    EXPECT_EQ(canvas.pixel(2, 0), QColor(Qt::blue).rgb());
}

}  // namespace
}  // namespace tavora
