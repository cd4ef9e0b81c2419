// The skins the build draws: complete, loadable, and immune to the desktop palette.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPalette>

#include "DrawElement.h"
#include "SkinBitmap.h"
#include "SkinButtons.h"
#include "SkinFonts.h"
#include "SkinIdentifiers.h"
#include "SkinReader.h"
#include "SkinTestSupport.h"

namespace tavora {
namespace {

class GeneratedSkinTest : public ::testing::TestWithParam<const char*> {};

TEST_P(GeneratedSkinTest, DefinesEveryIdentifierWithItsBitmaps) {
    test::App();
    const std::string folder = test::GeneratedSkin(GetParam());
    SkinReader reader;
    ASSERT_TRUE(reader.Open(folder + "/TavoraSkin.xml")) << folder;
    SkinElementSet set;
    EXPECT_EQ(LoadSkinElementSet(reader, folder, set), static_cast<int>(SkinIdentifiers().size()));
    for (const SkinIdentifier& entry : SkinIdentifiers()) {
        if (entry.kind != SkinIdKind::Ground && entry.kind != SkinIdKind::Button1 && entry.kind != SkinIdKind::Button3)
            continue;
        const SkinElement& e = set[entry.id];
        SCOPED_TRACE(entry.id);
        ASSERT_FALSE(e.defaultBitmap.isNull()) << e.defaultImage;
        // The pieces are cut to the size the description gives.
        EXPECT_EQ(e.defaultBitmap.size(), QSize(e.Width, e.Height));
        if (entry.kind == SkinIdKind::Button3) {
            EXPECT_FALSE(e.overBitmap.isNull());
            EXPECT_FALSE(e.downBitmap.isNull());
        }
    }
    EXPECT_EQ(set.font.FontName, "굴림");
    EXPECT_NE(set.font.FontSize, 0);
}

TEST_P(GeneratedSkinTest, BitmapsAvoidTheGreysTheDesktopReplaces) {
    const std::string folder = test::GeneratedSkin(GetParam());
    SkinReader reader;
    ASSERT_TRUE(reader.Open(folder + "/TavoraSkin.xml"));
    SkinElement main;
    ASSERT_TRUE(reader.ReadGroundImage("MainControl/ImageCollection", "ID_PLAYER_IMAIN", main));
    QImage image;
    ASSERT_TRUE(LoadBitmapFromSkin(image, folder, main.defaultImage));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb rgb = image.pixel(x, y) & 0xFFFFFF;
            ASSERT_TRUE(rgb != 0x808080 && rgb != 0xC0C0C0 && rgb != 0xDFDFDF) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Skins, GeneratedSkinTest, ::testing::Values("Default", "Nimbus"));

TEST(GeneratedSkinNamesTest, DefaultSkinIsTheOneTheStartupLooksFor) {
    std::string name;
    SkinReader reader;
    ASSERT_TRUE(reader.Open(test::GeneratedSkin("Default") + "/TavoraSkin.xml"));
    ASSERT_TRUE(reader.ReadSkinName("Default/General", "ID_SKIN_NAME", name));
    EXPECT_EQ(name, "oXu(Default)");
    ASSERT_TRUE(reader.Open(test::GeneratedSkin("Nimbus") + "/TavoraSkin.xml"));
    ASSERT_TRUE(reader.ReadSkinName("Default/General", "ID_SKIN_NAME", name));
    EXPECT_EQ(name, "Nimbus");
}

TEST(SkinBitmapTest, OnlyBmpFilesLoadAndAFailedLoadEmptiesTheBitmap) {
    test::App();
    test::TempFolder skin;
    test::WriteBmp(skin.path(), "ok.bmp", 3, 2, QColor(1, 2, 3));
    QImage png(3, 2, QImage::Format_RGB32);
    png.fill(Qt::red);
    std::filesystem::create_directories(skin.path() / "image");
    png.save(QString::fromStdString((skin.path() / "image" / "fake.bmp").string()), "PNG");
    QImage bitmap;
    ASSERT_TRUE(LoadBitmapFromSkin(bitmap, skin.str(), "ok.bmp"));
    EXPECT_EQ(bitmap.size(), QSize(3, 2));
    EXPECT_FALSE(LoadBitmapFromSkin(bitmap, skin.str(), "fake.bmp"));
    EXPECT_TRUE(bitmap.isNull());
    ASSERT_TRUE(LoadBitmapFromSkin(bitmap, skin.str(), "ok.bmp"));
    EXPECT_FALSE(LoadBitmapFromSkin(bitmap, skin.str(), "missing.bmp"));
    EXPECT_TRUE(bitmap.isNull());
    EXPECT_FALSE(LoadBitmapFromSkin(bitmap, "", "ok.bmp"));  // no skin folder: nothing is read
}

TEST(SkinBitmapTest, StandardGreysTakeThePaletteColours) {
    test::App();
    QPalette palette;
    palette.setColor(QPalette::Dark, QColor(1, 1, 1));
    palette.setColor(QPalette::Button, QColor(2, 2, 2));
    palette.setColor(QPalette::Midlight, QColor(3, 3, 3));
    const QPalette old = QGuiApplication::palette();
    QGuiApplication::setPalette(palette);
    QImage image(4, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(128, 128, 128));
    image.setPixel(1, 0, qRgb(192, 192, 192));
    image.setPixel(2, 0, qRgb(223, 223, 223));
    image.setPixel(3, 0, qRgb(129, 128, 128));
    MapStandardGreys(image);
    QGuiApplication::setPalette(old);
    EXPECT_EQ(image.pixel(0, 0), qRgb(1, 1, 1));
    EXPECT_EQ(image.pixel(1, 0), qRgb(2, 2, 2));
    EXPECT_EQ(image.pixel(2, 0), qRgb(3, 3, 3));
    EXPECT_EQ(image.pixel(3, 0), qRgb(129, 128, 128));
}

}  // namespace
}  // namespace tavora

namespace tavora {
namespace {

TEST(SkinBitmapTest, ABitmapClaimingAGiantSizeIsRefused) {
    test::App();
    test::TempFolder skin;
    // File and info headers of a 24-bit BMP of 60000 x 60000 pixels with no pixel data.
    QByteArray bmp(54, '\0');
    auto put32 = [&bmp](int at, quint32 v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, 54);
    put32(10, 54);
    put32(14, 40);
    put32(18, 60000);
    put32(22, 60000);
    bmp[26] = 1;
    bmp[28] = 24;
    test::WriteText(skin.path() / "image" / "giant.bmp", bmp.toStdString());
    QImage bitmap;
    EXPECT_FALSE(LoadBitmapFromSkin(bitmap, skin.str(), "giant.bmp"));
    EXPECT_TRUE(bitmap.isNull());
}

TEST(SkinFontTest, WindowsFontHeights) {
    test::App();
    const QFont character = MakeSkinFont("굴림", -12);
    EXPECT_EQ(character.pixelSize(), 12);
    const QFont cell = MakeSkinFont("굴림", 12);
    EXPECT_LE(QFontMetrics(cell).height(), 13);
    EXPECT_EQ(MakeSkinFont("굴림", 0).pixelSize(), cell.pixelSize());
    EXPECT_EQ(MakeSkinFont("x", -100000).pixelSize(), 200);
}

}  // namespace
}  // namespace tavora

namespace tavora {
namespace {

// Pictures land where the windows hit-test them, and inside their windows.
TEST_P(GeneratedSkinTest, PicturesSitWhereTheyAreHitAndInsideTheWindow) {
    test::App();
    const std::string folder = test::GeneratedSkin(GetParam());
    SkinReader reader;
    ASSERT_TRUE(reader.Open(folder + "/TavoraSkin.xml"));
    SkinElementSet set;
    LoadSkinElementSet(reader, folder, set);
    const QRect main(0, 0, set["ID_PLAYER_IMAIN"].Width, set["ID_PLAYER_IMAIN"].Height);
    const QRect eq(0, 0, set["ID_EQ_IMAIN"].Width, set["ID_EQ_IMAIN"].Height);
    int anchored = 0;
    for (const SkinIdentifier& entry : SkinIdentifiers()) {
        if (entry.kind != SkinIdKind::Ground || entry.collection != "MainControl/ImageCollection") continue;
        const SkinElement& e = set[entry.id];
        SCOPED_TRACE(entry.id);
        const auto at = PlaceElement(e, main, SkinWindowKind::Main);
        ASSERT_TRUE(at.has_value());
        EXPECT_TRUE(main.contains(QRect(*at, QSize(e.Width, e.Height))));
        anchored += e.LineUp != 1 ? 1 : 0;
        // Main-window buttons are hit at their rectangle as read.
        if (entry.id.rfind("ID_BT", 0) == 0) {
            EXPECT_EQ(*at, QPoint(e.rect.left, e.rect.top));
        }
    }
    for (const char* id : {"ID_EQ_BTPRESETS", "ID_EQ_BTEQON", "ID_EQ_BTEQOFF", "ID_EQ_BTEQ_ONOFF_LAMP"}) {
        SkinElement& e = set[id];
        SCOPED_TRACE(id);
        const auto at = PlaceElement(e, eq, SkinWindowKind::Equalizer);
        ASSERT_TRUE(at.has_value());
        const SkinRect hit = HitRect(e, SkinHitRule::RightAnchored, eq.width());
        EXPECT_EQ(*at, QPoint(hit.left, hit.top));
    }
    if (std::string(GetParam()) == "Nimbus") {
        EXPECT_GT(anchored, 0);
    } else {
        EXPECT_EQ(anchored, 0);
    }
}

}  // namespace
}  // namespace tavora
