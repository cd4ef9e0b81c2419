// Broken and oversized skins: the screen limits of the reader and the bitmap loader,
// and the one rule that says whether a skin is usable. Falling back to a usable skin is
// tested with the rest of the skin choice (SkinSelectionTest.cpp).
#include <gtest/gtest.h>

#include <QPainter>

#include <climits>
#include <fstream>
#include <regex>

#include <sys/stat.h>

#include "DrawElement.h"
#include "NonRegularFiles.h"
#include "SkinBitmap.h"
#include "SkinIdentifiers.h"
#include "SkinReader.h"
#include "SkinTestSupport.h"
#include "SkinUsability.h"

namespace tavora {
namespace {

using test::MainGround;

void PutLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A 24-bit BMP whose header declares width x height; only `pixelBytes` of pixel data
// follow, so a giant costs nothing on disk.
void WriteBmpHeader(const std::filesystem::path& file, uint32_t width, uint32_t height, size_t pixelBytes) {
    const uint32_t stride = (width * 3 + 3) & ~3u;
    std::vector<uint8_t> b = {'B', 'M'};
    PutLe(b, 54 + stride * height, 4);
    PutLe(b, 0, 4);
    PutLe(b, 54, 4);
    PutLe(b, 40, 4);
    PutLe(b, width, 4);
    PutLe(b, height, 4);
    PutLe(b, 1, 2);
    PutLe(b, 24, 2);
    for (int i = 0; i < 6; ++i) PutLe(b, 0, 4);
    b.resize(b.size() + pixelBytes, 0x7F);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<long>(b.size()));
}

long StatusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    return -1;
}

TEST(SkinLimits, NegativeSizesAreNoSizeAndFontsAreHeldToo) {
    SkinReader reader;
    ASSERT_TRUE(reader.OpenBuffer(R"(<TavoraSkin><MainControl><ImageCollection>
      <Ground ID="NEGATIVE" X="-20" Y="7" Width="-40" Height="-1"/>
    </ImageCollection></MainControl><Font>
      <font ID="F" FontName="x" X="100000" Y="-100000" FontSize="-2000000000" FontHeight="9999"/>
    </Font></TavoraSkin>)"));
    SkinElement e;
    ASSERT_TRUE(reader.ReadGroundRect("MainControl/ImageCollection", "NEGATIVE", e));
    EXPECT_EQ(e.rect, (SkinRect{-20, 7, -20, 7}));  // negative sizes are no size
    EXPECT_EQ(e.Width, 0);
    EXPECT_EQ(e.Height, 0);
    SkinFont font;
    ASSERT_TRUE(reader.ReadFont("Font", "F", font));
    EXPECT_EQ(font.X, kMaxSkinExtent);
    EXPECT_EQ(font.Y, -kMaxSkinExtent);
    EXPECT_EQ(font.FontSize, -kMaxSkinFontSize);
    EXPECT_EQ(font.FontHeight, kMaxSkinExtent);
}

TEST(SkinLimits, BitmapsBeyondTheLimitAreRefusedBeforeTheirPixelsAreRead) {
    test::TempFolder skin;
    WriteBmpHeader(skin.path() / "image" / "giant.bmp", 30000, 30000, 4096);  // truncated giant
    WriteBmpHeader(skin.path() / "image" / "wide.bmp", kMaxSkinExtent + 1, 2, 2 * ((3 * (kMaxSkinExtent + 1) + 3) & ~3));
    WriteBmpHeader(skin.path() / "image" / "edge.bmp", kMaxSkinExtent, 1, (3 * kMaxSkinExtent + 3) & ~3);
    const long peakBefore = StatusKilobytes("VmHWM:");
    QImage image;
    EXPECT_FALSE(LoadBitmapFromSkin(image, skin.str(), "giant.bmp"));
    EXPECT_TRUE(image.isNull());
    EXPECT_FALSE(LoadBitmapFromSkin(image, skin.str(), "wide.bmp"));  // complete, but wider than a screen
    ASSERT_TRUE(LoadBitmapFromSkin(image, skin.str(), "edge.bmp"));
    EXPECT_EQ(image.size(), QSize(kMaxSkinExtent, 1));
    // 30000 x 30000 pixels would be 3.4 GB; nothing near that was ever allocated.
    EXPECT_LT(StatusKilobytes("VmHWM:") - peakBefore, 256 * 1024);
}

TEST(SkinLimits, AShippedSkinWithEverySizeHugeDrawsWithinBoundedMemory) {
    test::App();
    std::ifstream in(test::GeneratedSkin("Default") + "/TavoraSkin.xml");
    std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    xml = std::regex_replace(xml, std::regex(R"((Width|Height|X|Y)="[^"]*")"), "$1=\"2147483647\"");
    SkinReader reader;
    ASSERT_TRUE(reader.OpenBuffer(xml));
    const long peakBefore = StatusKilobytes("VmHWM:");
    SkinElementSet set;
    LoadSkinElementSet(reader, test::GeneratedSkin("Default"), set);
    const SkinElement& main = set["ID_PLAYER_IMAIN"];
    EXPECT_EQ(QSize(main.Width, main.Height), QSize(kMaxSkinExtent, kMaxSkinExtent));
    // The largest window such a skin can ask for, with every element placed and filled.
    QImage canvas(main.Width, main.Height, QImage::Format_RGB32);
    {
        QPainter painter(&canvas);
        for (auto& [id, element] : set.elements) {
            for (auto kind : {SkinWindowKind::Main, SkinWindowKind::Equalizer, SkinWindowKind::Playlist})
                DrawElement(painter, canvas.rect(), element, SkinImage::Default, kind);
            DrawEdgeFill(painter, canvas.rect(), element);
        }
    }
    EXPECT_LT(StatusKilobytes("VmHWM:") - peakBefore, 512 * 1024);
}

TEST(SkinLimits, NonRegularFilesInASkinAreRefusedAtOnce) {
    test::TempFolder skin;
    std::filesystem::create_directories(skin.path() / "image");
    for (const test::NonRegularFile& file : test::MakeNonRegularFiles(skin.str(), "xml")) {
        SkinReader reader;
        EXPECT_TRUE(test::ReturnsPromptly([&] { EXPECT_FALSE(reader.Open(file.path)); }, file)) << file.path;
    }
    for (const test::NonRegularFile& file : test::MakeNonRegularFiles((skin.path() / "image").string(), "bmp")) {
        const std::string name = std::filesystem::path(file.path).filename().string();
        QImage image;
        EXPECT_TRUE(test::ReturnsPromptly([&] { EXPECT_FALSE(LoadBitmapFromSkin(image, skin.str(), name)); }, file))
            << file.path;
    }
    // A FIFO in place of the description makes the skin unusable, not the player stuck.
    const test::NonRegularFile fifo{"fifo", (skin.path() / "TavoraSkin.xml").string()};
    ASSERT_EQ(::mkfifo(fifo.path.c_str(), 0600), 0);
    EXPECT_TRUE(test::ReturnsPromptly([&] { EXPECT_FALSE(CheckSkinUsable(skin.str()).usable); }, fifo));
}

// --- The usable rule ---------------------------------------------------------------

TEST(SkinUsability, OneRuleJudgesBrokenDescriptionsSizesAndBitmaps) {
    test::TempFolder root;
    struct Case {
        const char* folder;
        std::string description;  // "" writes no file at all
        bool usable;
    };
    const std::string head = "<TavoraSkin><Default><General><SkinName ID=\"ID_SKIN_NAME\" Name=\"x\"/></General></Default>";
    const std::string good = head + MainGround("40", "20") + "</TavoraSkin>";
    const std::vector<Case> cases = {
        {"good", good, true},
        // Held to the screen limit, still far larger than the 40 x 20 picture.
        {"huge", head + MainGround("2147483647", "2147483647") + "</TavoraSkin>", false},
        {"wider-than-bitmap", head + MainGround("41", "20") + "</TavoraSkin>", false},
        {"taller-than-bitmap", head + MainGround("40", "21") + "</TavoraSkin>", false},
        {"smaller-than-bitmap", head + MainGround("30", "10") + "</TavoraSkin>", true},
        {"negative", head + MainGround("-40", "-20") + "</TavoraSkin>", false},
        {"zero", head + MainGround("0", "0") + "</TavoraSkin>", false},
        {"one-pixel", head + MainGround("1", "1") + "</TavoraSkin>", false},
        {"letters", head + MainGround("wide", "tall") + "</TavoraSkin>", false},
        {"truncated", good.substr(0, good.size() / 2), false},
        {"empty", " ", false},
        {"binary", std::string("\x00\xff\x13\x37<\x01\x02", 7) + std::string(300, '\x9c'), false},
        {"other-root", "<Skin>" + MainGround("40", "20") + "</Skin>", false},
        {"no-main", head + "</TavoraSkin>", false},
        {"no-bitmap", head + MainGround("40", "20", "absent.bmp") + "</TavoraSkin>", false},
        {"giant-bitmap", head + MainGround("40", "20", "giant.bmp") + "</TavoraSkin>", false},
        {"png-bitmap", head + MainGround("40", "20", "picture.png") + "</TavoraSkin>", false},
    };
    for (const Case& c : cases) {
        const auto folder = root.path() / c.folder;
        std::filesystem::create_directories(folder);
        if (!c.description.empty()) test::WriteText(folder / "TavoraSkin.xml", c.description);
        test::WriteBmp(folder, "main.bmp", 40, 20, QColor(1, 2, 3));
        WriteBmpHeader(folder / "image" / "giant.bmp", 30000, 30000, 100);
        QImage(40, 20, QImage::Format_RGB32).save(QString::fromStdString((folder / "image" / "picture.png").string()));
        const SkinCheck check = CheckSkinUsable(folder.string());
        EXPECT_EQ(check.usable, c.usable) << c.folder;
        EXPECT_EQ(check.reason.empty(), c.usable) << c.folder << ": " << check.reason;
    }
    EXPECT_FALSE(CheckSkinUsable((root.path() / "absent").string()).usable);
    EXPECT_FALSE(CheckSkinUsable("").usable);
    EXPECT_TRUE(CheckSkinUsable(test::GeneratedSkin("Default")).usable);
    EXPECT_TRUE(CheckSkinUsable(test::GeneratedSkin("Nimbus")).usable);
}

}  // namespace
}  // namespace tavora
