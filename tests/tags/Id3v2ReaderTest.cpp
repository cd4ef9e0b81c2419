#include <gtest/gtest.h>

#include "Id3Builder.h"
#include "MediaFiles.h"
#include "Id3v2Reader.h"

namespace tavora {
namespace {

using namespace test;

const ByteVec kKoreanUtf8 = Bytes("노래");
const ByteVec kKoreanCp949 = {0xB3, 0xEB, 0xB7, 0xA1};

TagRecord Parse(const ByteVec& tag) {
    const auto parsed = ParseId3v2(tag);
    EXPECT_TRUE(parsed.has_value());
    return parsed ? parsed->fields : TagRecord{};
}

TEST(Id3v2Reader, ReadsTheThreeVersionsWithTheirOwnFrameNames) {
    const TagRecord v22 = Parse(Tag(2, Concat({Frame(2, "TT2", Text(0, Bytes("Two"))),
                                                Frame(2, "TP1", Text(0, Bytes("Artist"))),
                                                Frame(2, "COM", Text(0, Bytes("eng\0note", 8)))})));
    EXPECT_EQ(v22.title, "Two");
    EXPECT_EQ(v22.artist, "Artist");
    EXPECT_EQ(v22.comment, "note");

    const TagRecord v23 = Parse(Tag(3, Concat({Frame(3, "TALB", Text(0, Bytes("Album"))),
                                                Frame(3, "TRCK", Text(0, Bytes("3/12"))),
                                                Frame(3, "TYER", Text(0, Bytes("1999")))})));
    EXPECT_EQ(v23.album, "Album");
    EXPECT_EQ(v23.track, "3/12");
    EXPECT_EQ(v23.year, "1999");

    const TagRecord v24 = Parse(Tag(4, Concat({Frame(4, "TIT2", Text(3, kKoreanUtf8)),
                                                Frame(4, "TDRC", Text(3, Bytes("2024-05-01"))),
                                                Frame(4, "TCON", Text(3, Bytes("17")))})));
    EXPECT_EQ(v24.title, "노래");
    EXPECT_EQ(v24.year, "2024-05-01");
    EXPECT_EQ(v24.genre, "17");
}

TEST(Id3v2Reader, DecodesEveryTextEncoding) {
    const std::initializer_list<uint16_t> noRae = {0xB178, 0xB798};  // "노래"
    struct Case {
        const char* what;
        ByteVec payload;
    } cases[] = {
        {"UTF-16 little-endian with BOM", Text(1, Utf16(noRae, false, true))},
        {"UTF-16 big-endian with BOM", Text(1, Utf16(noRae, true, true))},
        {"UTF-16 without BOM (Windows order)", Text(1, Utf16(noRae, false, false))},
        {"UTF-16BE", Text(2, Utf16(noRae, true, false))},
        {"UTF-8", Text(3, kKoreanUtf8)},
        {"UTF-8 bytes in a Latin-1 frame", Text(0, kKoreanUtf8)},
        {"CP949 bytes in a Latin-1 frame", Text(0, kKoreanCp949)},
        {"terminated UTF-16", Text(1, Concat({Utf16(noRae, false, true), {0, 0}}))},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parse(Tag(3, Frame(3, "TIT2", c.payload))).title, "노래") << c.what;
        EXPECT_EQ(Parse(Tag(4, Frame(4, "TIT2", c.payload))).title, "노래") << c.what;
    }
    EXPECT_EQ(Parse(Tag(3, Frame(3, "TIT2", Text(0, {'C', 'a', 'f', 0xE9})))).title, "Café");
    // A surrogate pair is one character; a lone surrogate cannot be shown.
    EXPECT_EQ(Parse(Tag(4, Frame(4, "TIT2", Text(2, Utf16({0xD83C, 0xDFB5}, true, false))))).title, "🎵");
    EXPECT_EQ(Parse(Tag(4, Frame(4, "TIT2", Text(2, Utf16({'a', 0xD83C}, true, false))))).title, "a\xEF\xBF\xBD");
}

TEST(Id3v2Reader, JoinsTheValuesOfAVersion4FrameButEndsOlderFramesAtTheTerminator) {
    const ByteVec two = Concat({Bytes("One"), {0}, Bytes("Two")});
    EXPECT_EQ(Parse(Tag(4, Frame(4, "TPE1", Text(3, two)))).artist, "One/Two");
    EXPECT_EQ(Parse(Tag(3, Frame(3, "TPE1", Text(0, two)))).artist, "One");
    const ByteVec wide = Concat({Utf16({'A'}, false, true), {0, 0}, Utf16({'B'}, true, true)});
    EXPECT_EQ(Parse(Tag(4, Frame(4, "TPE1", Text(1, wide)))).artist, "A/B");
}

TEST(Id3v2Reader, UndoesUnsynchronisation) {
    // "ÿà" needs a zero after the 0xFF; the frame size counts the bytes without it.
    const ByteVec v23Frame = Concat({Bytes("TIT2"), BigEndian32(3), {0, 0}, {0, 0xFF, 0x00, 0xE0}});
    EXPECT_EQ(Parse(Tag(3, v23Frame, 0x80)).title, "ÿà");

    // v2.4 marks the frame itself and gives the original length in front.
    const ByteVec v24Payload = Concat({Syncsafe(3), {0, 0xFF, 0x00, 0xE0}});
    const ByteVec v24 = Tag(4, Concat({Frame(4, "TIT2", v24Payload, 0x03), Frame(4, "TPE1", Text(0, Bytes("A")))}));
    EXPECT_EQ(Parse(v24).title, "ÿà");
    EXPECT_EQ(Parse(v24).artist, "A");
}

TEST(Id3v2Reader, SkipsExtendedHeadersAndCompressedOrEncryptedFrames) {
    const ByteVec v23Ext = Concat({BigEndian32(6), {0, 0, 0, 0, 0, 0}});
    EXPECT_EQ(Parse(Tag(3, Concat({v23Ext, Frame(3, "TIT2", Text(0, Bytes("T")))}), 0x40)).title, "T");
    const ByteVec v24Ext = Concat({Syncsafe(6), {1, 0}});
    EXPECT_EQ(Parse(Tag(4, Concat({v24Ext, Frame(4, "TIT2", Text(0, Bytes("T")))}), 0x40)).title, "T");

    const TagRecord r = Parse(Tag(3, Concat({Frame(3, "TIT2", Text(0, Bytes("zlib?")), 0x80),
                                              Frame(3, "TPE1", Text(0, Bytes("clear")))})));
    EXPECT_EQ(r.title, "");
    EXPECT_EQ(r.artist, "clear");
    EXPECT_EQ(Parse(Tag(4, Frame(4, "TIT2", Text(0, Bytes("secret")), 0x04))).title, "");
    // Grouping identity: one extra byte in front of the text.
    EXPECT_EQ(Parse(Tag(4, Frame(4, "TIT2", Concat({{7}, Text(0, Bytes("G"))}), 0x40))).title, "G");
}

TEST(Id3v2Reader, AcceptsVersion4FramesWrittenWithPlainSizes) {
    // 256 as a plain size reads as 128 when taken as syncsafe, which lands inside the text.
    const ByteVec text = Concat({{0}, ByteVec(255, 'a')});
    const ByteVec frame = Concat({Bytes("TIT2"), BigEndian32(256), {0, 0}, text});
    const TagRecord r = Parse(Tag(4, Concat({frame, Frame(4, "TPE1", Text(0, Bytes("after")))})));
    EXPECT_EQ(r.title, std::string(255, 'a'));
    EXPECT_EQ(r.artist, "after");
}

TEST(Id3v2Reader, CutsLongFieldsAtACharacterBoundary) {
    ByteVec text = Bytes("a");
    for (int i = 0; i < 400; ++i) text.insert(text.end(), kKoreanUtf8.begin(), kKoreanUtf8.begin() + 3);
    const std::string title = Parse(Tag(3, Frame(3, "TIT2", Text(3, text)))).title;
    EXPECT_EQ(title.size(), 1021u);  // 1 + 340 * 3: the next character would pass 1023 bytes
    EXPECT_EQ(title.substr(title.size() - 3), "노");
    EXPECT_EQ(Parse(Tag(3, Frame(3, "TIT2", Text(0, ByteVec(5000, 'x'))))).title, std::string(1023, 'x'));
}

TEST(Id3v2Reader, PrefersTheCommentWithoutADescription) {
    const ByteVec player = Text(0, Concat({Bytes("eng"), Bytes("iTunNORM"), {0}, Bytes(" 0000")}));
    const ByteVec user = Text(1, Concat({Bytes("kor"), Utf16({}, false, true), {0, 0}, Utf16({'h', 'i'}, false, true)}));
    EXPECT_EQ(Parse(Tag(3, Concat({Frame(3, "COMM", player), Frame(3, "COMM", user)}))).comment, "hi");
    EXPECT_EQ(Parse(Tag(3, Frame(3, "COMM", player))).comment, " 0000");
}

TEST(Id3v2Reader, StopsAtPaddingAndAtFramesCutShort) {
    const ByteVec tag = Tag(3, Concat({Frame(3, "TIT2", Text(0, Bytes("T"))), ByteVec(20, 0),
                                       Frame(3, "TPE1", Text(0, Bytes("after padding")))}));
    EXPECT_EQ(Parse(tag).artist, "");

    const ByteVec whole = Tag(3, Concat({Frame(3, "TIT2", Text(0, Bytes("kept"))), Frame(3, "TPE1", Text(0, Bytes("lost")))}));
    const ByteVec cut(whole.begin(), whole.end() - 2);
    const TagRecord r = Parse(cut);
    EXPECT_EQ(r.title, "kept");
    EXPECT_EQ(r.artist, "");
}

TEST(Id3v2Reader, RejectsHeadersOfUnknownVersionsOrBrokenSizes) {
    EXPECT_FALSE(ParseId3v2(Tag(5, Frame(4, "TIT2", Text(0, Bytes("x"))))));
    EXPECT_FALSE(ParseId3v2(ByteVec{'I', 'D', '3', 3, 0xFF, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(ParseId3v2(ByteVec{'I', 'D', '3', 3, 0, 0, 0x80, 0, 0, 0}));
    EXPECT_FALSE(ParseId3v2(Bytes("ID3")));
    EXPECT_FALSE(ParseId3v2(Bytes("TAG and some more bytes")));
}

TEST(Id3v2Reader, ReadsFromAFileWhatItParsesFromMemory) {
    MediaFolder media;
    const ByteVec frames = Concat({Frame(4, "TIT2", Text(3, kKoreanUtf8)), Frame(4, "APIC", ByteVec(70000, 0xFF)),
                                   Frame(4, "TPE1", Text(0, Bytes("after the picture")))});
    ByteVec withFooter = Tag(4, frames, 0x10);
    withFooter.insert(withFooter.end(), {'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 0});
    const ByteVec unsynced = Tag(3, Concat({Bytes("TIT2"), BigEndian32(3), {0, 0}, {0, 0xFF, 0x00, 0xE0}}), 0x80);
    const ByteVec v22 = Tag(2, Frame(2, "TT2", Text(1, Utf16({'x'}, false, true))), 0, 100);
    const ByteVec cut(withFooter.begin(), withFooter.begin() + 5000);
    int n = 0;
    for (const ByteVec& tag : {withFooter, unsynced, v22, cut}) {
        const ByteVec file = Concat({tag, Bytes("\xFF\xFB audio follows")});
        const std::string path = media.writeBytes("tag" + std::to_string(++n) + ".mp3", file);
        const auto fromFile = ReadId3v2File(path);
        const auto fromMemory = ParseId3v2(file);
        ASSERT_TRUE(fromFile && fromMemory) << n;
        EXPECT_EQ(fromFile->fields, fromMemory->fields) << n;
        EXPECT_EQ(fromFile->majorVersion, fromMemory->majorVersion) << n;
    }
    EXPECT_EQ(ReadId3v2File(media.path("tag1.mp3"))->fields.artist, "after the picture");
    EXPECT_EQ(ReadId3v2File(media.path("tag2.mp3"))->fields.title, "ÿà");
    EXPECT_EQ(ReadId3v2File(media.path("tag4.mp3"))->fields.title, "노래");
    EXPECT_FALSE(ReadId3v2File(media.path("missing.mp3")));
}

}  // namespace
}  // namespace tavora
