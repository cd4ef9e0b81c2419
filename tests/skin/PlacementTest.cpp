// Placement codes, edge fills and composition by pixels.
#include <gtest/gtest.h>

#include <QPainter>

#include <climits>

#include "DrawElement.h"
#include "SkinTestSupport.h"

namespace tavora {
namespace {

SkinElement Element(int x, int y, int w, int h, int code, QColor color = Qt::red) {
    SkinElement e;
    e.rect = {x, y, x + w, y + h};
    e.Width = w;
    e.Height = h;
    e.LineUp = code;
    e.defaultBitmap = QImage(w, h, QImage::Format_RGB32);
    e.defaultBitmap.fill(color);
    return e;
}

struct PlacementCase {
    SkinWindowKind kind;
    int code;
    bool drawn;
    int x, y;  // expected corner for X=10, Y=5 in a 200 x 100 client
};

TEST(PlacementTest, EveryCodeOfEveryWindow) {
    using K = SkinWindowKind;
    const PlacementCase cases[] = {
        {K::Main, 1, true, 10, 5},        {K::Main, 2, true, 190, 5},      {K::Main, 3, true, 10, 95},
        {K::Main, 4, true, 190, 95},      {K::Main, 5, true, 190, 95},     {K::Main, 6, false, 0, 0},
        {K::Main, 0, false, 0, 0},        {K::Main, -1, false, 0, 0},      {K::Equalizer, 1, true, 10, 5},
        {K::Equalizer, 2, true, 190, 5},  {K::Equalizer, 5, true, 190, 95}, {K::Equalizer, 6, true, 0, 0},
        {K::Equalizer, 7, false, 0, 0},   {K::Playlist, 5, true, 10, 5},   {K::Playlist, 6, true, 190, 5},
        {K::Playlist, 7, true, 10, 95},   {K::Playlist, 8, true, 190, 95}, {K::Playlist, 9, false, 0, 0},
        {K::ListControl, 3, true, 10, 95}, {K::ListControl, 5, false, 0, 0},
    };
    const QRect client(0, 0, 200, 100);
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind) << " code " << c.code);
        const SkinElement e = Element(10, 5, 4, 4, c.code);
        const auto at = PlaceElement(e, client, c.kind);
        ASSERT_EQ(at.has_value(), c.drawn);
        if (at) {
            EXPECT_EQ(*at, QPoint(c.x, c.y));
        }
    }
}

TEST(PlacementTest, DrawnPixelsFollowTheCodeAndOnlyThePlaylistRemembersThePlace) {
    QImage canvas(50, 40, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter p(&canvas);
    const QRect client = canvas.rect();
    SkinElement main = Element(12, 8, 3, 2, 4, Qt::green);  // right - 12, bottom - 8
    EXPECT_TRUE(DrawElement(p, client, main, SkinImage::Default, SkinWindowKind::Main));
    SkinElement list = Element(5, 6, 3, 2, 7, Qt::blue);  // as 3: left + 5, bottom - 6
    EXPECT_TRUE(DrawElement(p, client, list, SkinImage::Default, SkinWindowKind::Playlist));
    SkinElement hidden = Element(1, 1, 3, 3, 0, Qt::white);
    EXPECT_FALSE(DrawElement(p, client, hidden, SkinImage::Default, SkinWindowKind::Main));
    p.end();
    EXPECT_EQ(canvas.pixel(38, 32), QColor(Qt::green).rgb());
    EXPECT_EQ(canvas.pixel(40, 33), QColor(Qt::green).rgb());
    EXPECT_EQ(canvas.pixel(41, 32), QColor(Qt::black).rgb());
    EXPECT_EQ(canvas.pixel(5, 34), QColor(Qt::blue).rgb());
    EXPECT_EQ(canvas.pixel(1, 1), QColor(Qt::black).rgb());
    EXPECT_EQ(list.placedRect, (SkinRect{5, 34, 8, 36}));
    EXPECT_EQ(main.placedRect, SkinRect{});
}

TEST(PlacementTest, ElementWithoutBitmapDrawsNothingButPlaylistStillPlacesIt) {
    QImage canvas(20, 20, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter p(&canvas);
    SkinElement e = Element(2, 2, 4, 4, 6);
    e.defaultBitmap = QImage();
    EXPECT_FALSE(DrawElement(p, canvas.rect(), e, SkinImage::Default, SkinWindowKind::Playlist));
    EXPECT_EQ(e.placedRect, (SkinRect{18, 2, 22, 6}));
    e.overBitmap = QImage(4, 4, QImage::Format_RGB32);
    e.overBitmap.fill(Qt::yellow);
    EXPECT_TRUE(DrawElement(p, canvas.rect(), e, SkinImage::Over, SkinWindowKind::Playlist));
}

TEST(PlacementTest, EqualizerBandShowsTheBitmapsRightEnd) {
    SkinElement band = Element(0, 0, 100, 10, 6);
    for (int x = 0; x < 100; ++x)
        for (int y = 0; y < 10; ++y) band.defaultBitmap.setPixel(x, y, qRgb(x, 0, 0));
    QImage canvas(40, 10, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter p(&canvas);
    ASSERT_TRUE(DrawElement(p, canvas.rect(), band, SkinImage::Default, SkinWindowKind::Equalizer));
    p.end();
    EXPECT_EQ(qRed(canvas.pixel(0, 5)), 60);
    EXPECT_EQ(qRed(canvas.pixel(39, 5)), 99);

    // A window wider than the picture: the picture still ends at the right edge.
    QImage wide(120, 10, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    QPainter q(&wide);
    ASSERT_TRUE(DrawElement(q, wide.rect(), band, SkinImage::Default, SkinWindowKind::Equalizer));
    q.end();
    EXPECT_EQ(qRed(wide.pixel(119, 5)), 99);
    EXPECT_EQ(qRed(wide.pixel(20, 5)), 0);
    EXPECT_EQ(wide.pixel(19, 5), QColor(Qt::blue).rgb());
}

TEST(EdgeFillTest, RunsOfEveryCode) {
    const QRect client(0, 0, 100, 60);
    EXPECT_EQ(EdgeFillRect(Element(8, 0, 1, 5, 1), client), QRect(8, 0, 83, 5));     // top: x 8 .. 100-9
    EXPECT_EQ(EdgeFillRect(Element(8, 12, 1, 12, 2), client), QRect(8, 48, 83, 12)); // bottom - Y
    EXPECT_EQ(EdgeFillRect(Element(0, 20, 6, 1, 3), client), QRect(0, 20, 6, 19));   // left: y 20 .. 60-21
    EXPECT_EQ(EdgeFillRect(Element(4, 20, 4, 1, 4), client), QRect(96, 20, 4, 19));  // right - X
    EXPECT_EQ(EdgeFillRect(Element(18, 0, 10, 1, 5), client), QRect(0, 0, 10, 60));  // list track
    EXPECT_TRUE(EdgeFillRect(Element(0, 0, 1, 1, 0), client).isEmpty());
    EXPECT_TRUE(EdgeFillRect(Element(60, 0, 1, 5, 1), client).isEmpty());  // corners overlap: nothing
}

TEST(EdgeFillTest, HugeValuesAreClippedInsteadOfLooping) {
    const QRect client(0, 0, 100, 60);
    EXPECT_EQ(EdgeFillRect(Element(INT_MIN / 2, 0, 1, 5, 1), client), QRect(0, 0, 100, 5));
    SkinElement e = Element(0, INT_MIN, 6, 1, 3);
    e.Height = INT_MIN;
    EXPECT_EQ(EdgeFillRect(e, client), QRect(0, 0, 6, 60));
}

TEST(EdgeFillTest, RepeatsTheFirstColumnOrRow) {
    SkinElement top = Element(2, 0, 3, 4, 1);
    top.defaultBitmap.fill(Qt::blue);
    for (int y = 0; y < 4; ++y) top.defaultBitmap.setPixel(0, y, qRgb(0, 10 * y, 0));
    SkinElement left = Element(0, 4, 2, 1, 3);
    left.defaultBitmap.setPixel(0, 0, qRgb(200, 0, 0));
    left.defaultBitmap.setPixel(1, 0, qRgb(100, 0, 0));
    QImage canvas(30, 20, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter p(&canvas);
    EXPECT_TRUE(DrawEdgeFill(p, canvas.rect(), top));
    EXPECT_TRUE(DrawEdgeFill(p, canvas.rect(), left));
    p.end();
    EXPECT_EQ(canvas.pixel(2, 3), qRgb(0, 30, 0));
    EXPECT_EQ(canvas.pixel(24, 3), qRgb(0, 30, 0));  // last column: 30 - (2 + 3) - 1
    EXPECT_EQ(canvas.pixel(25, 3), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.pixel(0, 4), qRgb(200, 0, 0));
    EXPECT_EQ(canvas.pixel(1, 14), qRgb(100, 0, 0));  // last row: 20 - (4 + 1) - 1
    EXPECT_EQ(canvas.pixel(1, 15), qRgb(0, 0, 0));
}

}  // namespace
}  // namespace tavora
