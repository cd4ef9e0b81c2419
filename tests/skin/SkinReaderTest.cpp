// The description reader: XPath lookups, number rules and hostile files.
#include <gtest/gtest.h>

#include <climits>

#include "SkinReader.h"
#include "SkinTestSupport.h"

namespace tavora {
namespace {

const char* kSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<TavoraSkin>
  <Default><General><SkinName ID="ID_SKIN_NAME" Name="Test Skin"/></General></Default>
  <MainControl>
    <ImageCollection>
      <Ground ID="ID_A" GroundImage="first.bmp" X="1" Y="2" Width="3" Height="4" LineUp="1"/>
      <Ground ID="ID_A" GroundImage="second.bmp" X="9" Y="9" Width="9" Height="9" LineUp="2"/>
      <Ground ID="ID_UNITS" X="10" Y=" -3" Width="75px" Height="abc" LineUp=""/>
      <Ground ID="ID_HUGE" X="99999999999999" Y="-99999999999999" Width="2147483647" Height="5" LineUp="+4"/>
      <Button ID="ID_BUTTON_ONLY" BtImageDefault="b.bmp" X="5" Y="6" Width="7" Height="8" LineUp="3"/>
    </ImageCollection>
    <NumberCollection>
      <Position>
        <Button ID="ID_SLOT" X="40" Y="41" Width="5" Height="6"/>
        <Ground ID="ID_BOTH" X="1" Y="1" Width="1" Height="1"/>
        <Button ID="ID_BOTH" X="2" Y="2" Width="2" Height="2"/>
      </Position>
    </NumberCollection>
    <ButtonCollection>
      <Button ID="ID_BT" BtImageDefault="d.bmp" BtImageDown="p.bmp" BtImageOver="o.bmp" X="1" Y="1" Width="1" Height="1" LineUp="1"/>
    </ButtonCollection>
  </MainControl>
  <Font><font ID="ID_FONT" FontName="굴림" X="3" Y="4" FontSize="-12" FontHeight="2"/>
        <font ID="ID_LONG" FontName="ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"/></Font>
  <RGB><rgb ID="ID_COLOR" R="300" G="128" B="-1"/></RGB>
</TavoraSkin>)";

class SkinReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(reader.OpenBuffer(kSkin)); }
    SkinReader reader;
};

TEST(SkinNumberTest, ReadsLikeAtoi) {
    EXPECT_EQ(SkinNumber("75px"), 75);
    EXPECT_EQ(SkinNumber(" -3"), -3);
    EXPECT_EQ(SkinNumber("\t+12"), 12);
    EXPECT_EQ(SkinNumber("abc"), 0);
    EXPECT_EQ(SkinNumber(""), 0);
    EXPECT_EQ(SkinNumber("- 3"), 0);
    EXPECT_EQ(SkinNumber("12 34"), 12);
    EXPECT_EQ(SkinNumber("99999999999999999999"), INT_MAX);
    EXPECT_EQ(SkinNumber("-99999999999999999999"), INT_MIN);
}

TEST_F(SkinReaderTest, FirstOfTwoEqualIdsWins) {
    SkinElement e;
    ASSERT_TRUE(reader.ReadGround("MainControl/ImageCollection", "ID_A", e));
    EXPECT_EQ(e.defaultImage, "first.bmp");
    EXPECT_EQ(e.rect, (SkinRect{1, 2, 4, 6}));
    EXPECT_EQ(e.Width, 3);
    EXPECT_EQ(e.Height, 4);
    EXPECT_EQ(e.LineUp, 1);
    EXPECT_EQ(reader.lastQuery(), "/TavoraSkin/MainControl/ImageCollection/Ground[@ID='ID_A']");
}

TEST_F(SkinReaderTest, WrongCollectionOrKindIsNotFoundAndLeavesTheRecord) {
    SkinElement e;
    e.defaultImage = "kept.bmp";
    e.rect = {7, 7, 8, 8};
    EXPECT_FALSE(reader.ReadGroundImage("MainControl/ButtonCollection", "ID_A", e));
    EXPECT_FALSE(reader.ReadGroundRect("MainControl/ImageCollection", "ID_BUTTON_ONLY", e));
    EXPECT_FALSE(reader.ReadButtonImages("MainControl/ImageCollection", "ID_A", e, 3));
    EXPECT_FALSE(reader.ReadGroundImage("MainControl/ImageCollection", "id_a", e));  // IDs are case-sensitive
    EXPECT_EQ(e.defaultImage, "kept.bmp");
    EXPECT_EQ(e.rect, (SkinRect{7, 7, 8, 8}));
}

TEST_F(SkinReaderTest, NumbersWithUnitsBlanksAndLetters) {
    SkinElement e;
    ASSERT_TRUE(reader.ReadGroundRect("MainControl/ImageCollection", "ID_UNITS", e));
    ASSERT_TRUE(reader.ReadGroundLineUp("MainControl/ImageCollection", "ID_UNITS", e));
    EXPECT_EQ(e.Width, 75);
    EXPECT_EQ(e.rect.top, -3);
    EXPECT_EQ(e.Height, 0);
    EXPECT_EQ(e.rect, (SkinRect{10, -3, 85, -3}));
    EXPECT_EQ(e.LineUp, 0);  // empty: not drawn
    EXPECT_TRUE(e.defaultImage.empty());
}

TEST_F(SkinReaderTest, HugeValuesAreHeldToTheScreen) {
    SkinElement e;
    ASSERT_TRUE(reader.ReadGround("MainControl/ImageCollection", "ID_HUGE", e));
    EXPECT_EQ(e.rect, (SkinRect{kMaxSkinExtent, -kMaxSkinExtent, 2 * kMaxSkinExtent, -kMaxSkinExtent + 5}));
    EXPECT_EQ(e.Width, kMaxSkinExtent);
    EXPECT_EQ(e.LineUp, 4);
}

TEST_F(SkinReaderTest, PositionPrefersGroundAndFallsBackToButton) {
    SkinElement slot, both;
    ASSERT_TRUE(reader.ReadPositionRect("MainControl/NumberCollection", "ID_SLOT", slot));
    EXPECT_EQ(slot.rect, (SkinRect{40, 41, 45, 47}));
    EXPECT_EQ(reader.lastQuery(), "/TavoraSkin/MainControl/NumberCollection/Position/Button[@ID='ID_SLOT']");
    ASSERT_TRUE(reader.ReadPositionRect("MainControl/NumberCollection", "ID_BOTH", both));
    EXPECT_EQ(both.rect, (SkinRect{1, 1, 2, 2}));
    EXPECT_FALSE(reader.ReadPositionRect("MainControl/NumberCollection", "ID_NONE", both));
}

TEST_F(SkinReaderTest, ButtonImageCountsReadOnlyWhatTheyName) {
    SkinElement e;
    e.downImage = "old-down";
    e.overImage = "old-over";
    ASSERT_TRUE(reader.ReadButtonImages("MainControl/ButtonCollection", "ID_BT", e, 1));
    EXPECT_EQ(e.defaultImage, "d.bmp");
    EXPECT_EQ(e.downImage, "old-down");
    EXPECT_EQ(e.overImage, "old-over");
    ASSERT_TRUE(reader.ReadButtonImages("MainControl/ButtonCollection", "ID_BT", e, 2));
    EXPECT_EQ(e.downImage, "p.bmp");
    EXPECT_EQ(e.overImage, "old-over");
    ASSERT_TRUE(reader.ReadButtonImages("MainControl/ButtonCollection", "ID_BT", e, 3));
    EXPECT_EQ(e.overImage, "o.bmp");
}

TEST_F(SkinReaderTest, FontColourAndName) {
    SkinFont font;
    ASSERT_TRUE(reader.ReadFontName("Font", "ID_FONT", font));
    ASSERT_TRUE(reader.ReadFont("Font", "ID_FONT", font));
    EXPECT_EQ(font.FontName, "굴림");
    EXPECT_EQ(font.X, 3);
    EXPECT_EQ(font.Y, 4);
    EXPECT_EQ(font.FontSize, -12);
    EXPECT_EQ(font.FontHeight, 2);
    ASSERT_TRUE(reader.ReadFontName("Font", "ID_LONG", font));
    EXPECT_EQ(font.FontName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
    ASSERT_TRUE(reader.ReadColor("RGB", "ID_COLOR", font));
    EXPECT_EQ(font.R & 0xFF, 44);  // only the low 8 bits count
    EXPECT_EQ(font.G, 128);
    EXPECT_EQ(font.B & 0xFF, 255);
    std::string name;
    ASSERT_TRUE(reader.ReadSkinName("Default/General", "ID_SKIN_NAME", name));
    EXPECT_EQ(name, "Test Skin");
}

TEST_F(SkinReaderTest, QuotesAndBracketsInIdsFindNothing) {
    SkinElement e;
    EXPECT_FALSE(reader.ReadGroundImage("MainControl/ImageCollection", "ID_A'", e));
    EXPECT_FALSE(reader.ReadGroundImage("MainControl/ImageCollection", "x']]]/..[", e));
    EXPECT_FALSE(reader.ReadGroundImage("MainControl/Image Collection[", "ID_A", e));
    EXPECT_TRUE(e.defaultImage.empty());
}

TEST(SkinReaderFileTest, UnparsableOrMissingFileAnswersNothing) {
    test::TempFolder dir;
    test::WriteText(dir.path() / "broken.xml", "<TavoraSkin><MainControl><ImageCollection><Ground ID='ID_A'");
    SkinReader reader;
    EXPECT_FALSE(reader.Open(dir.str() + "/broken.xml"));
    EXPECT_FALSE(reader.loaded());
    SkinElement e;
    e.defaultImage = "kept";
    EXPECT_FALSE(reader.ReadGroundImage("MainControl/ImageCollection", "ID_A", e));
    EXPECT_EQ(e.defaultImage, "kept");
    EXPECT_FALSE(reader.Open(dir.str() + "/missing.xml"));
    // A good file after a bad one works again, and a bad one after a good one drops it.
    test::WriteText(dir.path() / "good.xml", kSkin);
    EXPECT_TRUE(reader.Open(dir.str() + "/good.xml"));
    EXPECT_TRUE(reader.ReadGroundImage("MainControl/ImageCollection", "ID_A", e));
    EXPECT_FALSE(reader.Open(dir.str() + "/broken.xml"));
    EXPECT_FALSE(reader.ReadGroundImage("MainControl/ImageCollection", "ID_A", e));
}

TEST(SkinReaderFileTest, KoreanSkinSavedAsCp949ReadsAsUtf8) {
    // "굴림" in CP949 is B1 BC B8 B2.
    const std::string xml = std::string("<?xml version=\"1.0\" encoding=\"euc-kr\"?><TavoraSkin><Font>") +
                            "<font ID=\"ID_F\" FontName=\"\xB1\xBC\xB8\xB2\"/></Font></TavoraSkin>";
    SkinReader reader;
    ASSERT_TRUE(reader.OpenBuffer(xml));
    SkinFont font;
    ASSERT_TRUE(reader.ReadFontName("Font", "ID_F", font));
    EXPECT_EQ(font.FontName, "굴림");
}

}  // namespace
}  // namespace tavora
