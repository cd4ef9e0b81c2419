// A line laid out once draws the same pixels as QPainter::drawText with the strip's
// flags, for texts and rectangles where drawText clips and where it does not.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "QtTestSupport.h"
#include "SkinFonts.h"
#include "TextLine.h"

namespace tavora {
namespace {

// A background with structure, so that blending differences would show.
QImage Ground(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, qRgb(x * 7 % 256, y * 23 % 256, (x + y) % 256));
    return image;
}

TEST(TextLineTest, DrawsWhatDrawTextDraws) {
    test::App();
    const QStringList texts = {QStringLiteral("A long song title that scrolls - 타보라 벤치마크"),
                               QStringLiteral("jjj quick fox"), QStringLiteral("태그 제목"),
                               QStringLiteral("two\nlines\rin one"), QStringLiteral("trailing   "),
                               QStringLiteral("소리 크기 - 100%")};
    const QFont fonts[] = {MakeSkinFont("굴림", 12), MakeSkinFont("바탕", -15), MakeSkinFont("Sans", 9)};
    // Strip-like rectangles: lower than a line (drawText clips to them), tall ones, and
    // ones starting left of the picture (a title scrolled out).
    const QRect rects[] = {QRect(3, 2, 600, 9), QRect(0, 0, 900, 40), QRect(-40, 1, 500, 12), QRect(10, 4, 30, 30)};
    for (const QFont& font : fonts) {
        for (const QString& text : texts) {
            TextLine line;
            line.Set(text, font);
            for (const QRect& r : rects) {
                QImage expected = Ground(QSize(160, 24)), actual = expected;
                {
                    QPainter p(&expected);
                    p.setFont(font);
                    p.setPen(QColor(250, 240, 10));
                    p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
                }
                {
                    QPainter p(&actual);
                    p.setPen(QColor(250, 240, 10));
                    line.Draw(p, r);
                }
                EXPECT_TRUE(actual == expected) << text.toStdString() << " in " << r.x() << "," << r.y() << " "
                                                << r.width() << "x" << r.height() << " font "
                                                << font.family().toStdString();
            }
        }
    }
}

TEST(TextLineTest, DrawsWhatDrawTextDrawsInsideANarrowClip) {
    // The strip: a long title scrolled left, painted through a clip a few glyphs wide.
    test::App();
    const QFont font = MakeSkinFont("굴림", 12);
    const QString text = QStringLiteral("A long song title that scrolls across the strip - 타보라 벤치마크 WWWW");
    TextLine line;
    line.Set(text, font);
    for (int x : {-400, -150, -37, 0, 25, 90}) {
        for (const QRect& clip : {QRect(20, 0, 60, 24), QRect(0, 3, 7, 10), QRect(100, 0, 60, 24)}) {
            QImage expected = Ground(QSize(160, 24)), actual = expected;
            const QRect r(x, 2, 2000, 12);
            {
                QPainter p(&expected);
                p.setClipRect(clip);
                p.setFont(font);
                p.setPen(Qt::white);
                p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
            }
            {
                QPainter p(&actual);
                p.setClipRect(clip);
                p.setPen(Qt::white);
                line.Draw(p, r);
            }
            EXPECT_TRUE(actual == expected) << "x " << x << " clip " << clip.x() << "+" << clip.width();
        }
    }
}

TEST(TextLineTest, EmptyTextDrawsNothingAndANewTextReplacesTheOld) {
    test::App();
    const QFont font = MakeSkinFont("굴림", 12);
    TextLine line;
    line.Set(QStringLiteral("first"), font);
    line.Set(QString(), font);
    QImage image = Ground(QSize(80, 20));
    const QImage before = image;
    {
        QPainter p(&image);
        line.Draw(p, QRect(0, 0, 80, 20));
    }
    EXPECT_TRUE(image == before);
    line.Set(QStringLiteral("second"), font);
    EXPECT_EQ(line.text(), QStringLiteral("second"));
    {
        QPainter p(&image);
        p.setPen(Qt::white);
        line.Draw(p, QRect(0, 0, 80, 20));
    }
    EXPECT_FALSE(image == before);
}

}  // namespace
}  // namespace tavora
