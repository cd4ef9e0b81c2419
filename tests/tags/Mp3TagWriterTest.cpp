// Writing MP3 tags, checked with mutagen (tests/tags/id3_frames.py), ffmpeg and our own
// readers, on files tagged by id3v2 and mutagen.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <sys/stat.h>

#include "Id3Builder.h"
#include "MediaFiles.h"
#include "Mp3TagReader.h"
#include "Mp3TagWriter.h"
#include "WriterTools.h"

namespace tavora {
namespace {

using test::CaptureTool;
using test::DecodedAudioMd5;
using test::FileBytes;
using test::FolderEntries;
using test::MediaFolder;
using test::RunTool;

const std::string kHelpers = TAVORA_TAG_TEST_DIR;

Mp3TagValues KoreanValues() {
    Mp3TagValues v;
    v.v1.title = "가나다라마바사아자차카타파하거너";  // 16 syllables: 32 bytes in CP949
    v.v1.artist = "가수";
    v.v1.album = "앨범";
    v.v1.track = "7";
    v.v1.year = "2024";
    v.v1.comment = "ㄱ설명";
    v.v2.title = "노래 제목";
    v.v2.artist = "가수 이름";
    v.v2.album = "앨범 이름";
    v.v2.track = "7/12";
    v.v2.year = "2024";
    v.v2.comment = "긴 설명입니다";
    v.v2.composer = "작곡가";
    v.v2.originalArtist = "원곡 가수";
    v.v2.rightsNotice = "저작권 ©";
    v.v2.publisher = "음반사";
    v.v2.encodedBy = "인코더";
    v.genreText = "(255)트로트";
    return v;
}

// mutagen's view: "version 2.x" and one "KEY digest" line per frame.
std::vector<std::string> Frames(const std::string& path) {
    std::istringstream in(CaptureTool({"/usr/bin/python3", kHelpers + "/id3_frames.py", path}));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The frame lines whose key does not start with one of the prefixes.
std::vector<std::string> Without(const std::vector<std::string>& lines, const std::vector<std::string>& prefixes) {
    std::vector<std::string> kept;
    for (const std::string& l : lines) {
        bool edited = l.rfind("version", 0) == 0;
        for (const std::string& p : prefixes) edited = edited || l.rfind(p, 0) == 0;
        if (!edited) kept.push_back(l);
    }
    std::sort(kept.begin(), kept.end());
    return kept;
}

class Mp3TagWriting : public ::testing::Test {
protected:
    MediaFolder media;
};

TEST_F(Mp3TagWriting, KoreanTextInEveryFieldReadsBack) {
    const std::string path = media.makeAudio("song.mp3", "mp3", 2);
    const std::string audio = DecodedAudioMd5(path);
    const TagWriteResult result = WriteMp3Tag(path, KoreanValues());
    ASSERT_TRUE(result.written) << result.detail;

    TagRecord expected = KoreanValues().v2;
    expected.genre = "(255)트로트";
    EXPECT_EQ(ReadMp3Tags(path, true), expected);

    const TagRecord v1 = ReadId3v1Tags(path);
    EXPECT_EQ(v1.title, "가나다라마바사아자차카타파하거");  // cut after 30 bytes, between characters
    EXPECT_EQ(v1.artist, "가수");
    EXPECT_EQ(v1.album, "앨범");
    EXPECT_EQ(v1.track, "7");
    EXPECT_EQ(v1.year, "2024");
    EXPECT_EQ(v1.comment, "ㄱ설명");

    const auto frames = Frames(path);
    EXPECT_TRUE(Has(frames, "version 2.3"));
    EXPECT_TRUE(Has(frames, "text TIT2 노래 제목 encoding=1"));  // UTF-16
    EXPECT_TRUE(Has(frames, "text TCON (255)트로트 encoding=1")) << Joined(frames);
    EXPECT_EQ(DecodedAudioMd5(path), audio);
    EXPECT_EQ(FolderEntries(media.dirPath()), std::set<std::string>{"song.mp3"});
}

TEST_F(Mp3TagWriting, Id3v1TextIsCp949CutBetweenCharacters) {
    const std::string path = media.makeAudio("song.mp3", "mp3");
    Mp3TagValues v;
    v.v1.title = "a가나다라마바사아자차카타파하거";  // one ASCII byte, then 15 syllables: 31 bytes
    v.v1.artist = "plain ascii";
    v.v1.album = "😀";  // CP949 has no emoji
    ASSERT_TRUE(WriteMp3Tag(path, v).written);
    const std::vector<unsigned char> bytes = FileBytes(path);
    ASSERT_GE(bytes.size(), 128u);
    const std::string tag(bytes.end() - 128, bytes.end());
    ASSERT_EQ(tag.substr(0, 3), "TAG");
    // "a" and 14 syllables fill 29 bytes; the 15th would need two more.
    EXPECT_EQ(tag.substr(3, 30), std::string("a\xB0\xA1\xB3\xAA\xB4\xD9\xB6\xF3\xB8\xB6\xB9\xD9\xBB\xE7\xBE\xC6\xC0\xDA"
                                             "\xC2\xF7\xC4\xAB\xC5\xB8\xC6\xC4\xC7\xCF", 29) + '\0');
    EXPECT_EQ(tag.substr(63, 2), std::string("?\0", 2));
    EXPECT_EQ(ReadId3v1Tags(path).artist, "plain ascii");
    const auto frames = Frames(path);
    EXPECT_EQ(frames[0], "version 2.1") << "no ID3v2 values, no ID3v2 tag\n" << Joined(frames);
}

// A current tagger's v2.4 tag keeps its pictures, lyrics, TXXX, described comments and
// play counter through an edit, and stays v2.4.
TEST_F(Mp3TagWriting, FramesItDoesNotEditAreKept) {
    const std::string path = media.makeAudio("song.mp3", "mp3", 2);
    ASSERT_EQ(RunTool({"/usr/bin/python3", kHelpers + "/id3_v24_rich.py", path}), 0);
    const std::string audio = DecodedAudioMd5(path);
    const auto before = Frames(path);
    ASSERT_TRUE(Has(before, "version 2.4"));
    ASSERT_GE(before.size(), 10u);

    Mp3TagValues v;
    v.v2.title = "새 제목";
    v.v2.artist = "새 가수";
    v.genreText = "(17)Rock";
    ASSERT_TRUE(WriteMp3Tag(path, v).written);

    const auto after = Frames(path);
    EXPECT_TRUE(Has(after, "version 2.4"));
    EXPECT_TRUE(Has(after, "text TIT2 새 제목 encoding=1"));
    EXPECT_TRUE(Has(after, "text TCON (17)Rock encoding=0")) << Joined(after);
    // Everything but the edited frames is exactly as mutagen wrote it; the plain comment
    // (no description) went with the empty comment value.
    const std::vector<std::string> edited = {"TIT2", "TPE1", "TCON", "COMM::kor", "text "};
    EXPECT_EQ(Without(after, edited), Without(before, edited));
    EXPECT_FALSE(Has(after, "COMM::kor")) << "the plain comment was emptied";
    EXPECT_EQ(DecodedAudioMd5(path), audio);
    EXPECT_EQ(ReadMp3Tags(path, true).title, "새 제목");
}

// id3v2 writes v2.3 and ID3v1; an empty genre text keeps both genres, and the tag stays v2.3.
TEST_F(Mp3TagWriting, EmptyGenreKeepsTheGenresAndV23StaysV23) {
    const std::string path = media.makeAudio("song.mp3", "mp3");
    ASSERT_EQ(RunTool({"id3v2", "-a", "Artist", "-t", "Title", "-g", "17", "-y", "1999", "-T", "3", path}), 0);
    ASSERT_TRUE(Has(Frames(path), "version 2.3"));
    const std::string genreV2 = ReadMp3Tags(path, true).genre;
    ASSERT_EQ(genreV2, "(17)Rock");

    Mp3TagValues v;
    v.v1.title = "One";
    v.v2.title = "Two";
    v.v2.year = "2001";
    ASSERT_TRUE(WriteMp3Tag(path, v).written);
    EXPECT_TRUE(Has(Frames(path), "version 2.3"));
    EXPECT_EQ(ReadMp3Tags(path, true).genre, genreV2);
    EXPECT_EQ(ReadMp3Tags(path, true).year, "2001");
    EXPECT_EQ(ReadMp3Tags(path, true).artist, "") << "an empty value removes its frame";
    const TagRecord v1 = ReadId3v1Tags(path);
    EXPECT_EQ(v1.title, "One");
    EXPECT_EQ(ReadMp3Tags(path, false).genre, "(17)Rock") << "the ID3v1 genre byte is kept";
}

// TagLib reads v2.2 but writes v2.3 at the oldest: the frames it knows come through.
TEST_F(Mp3TagWriting, V22TagBecomesV23WithItsFrames) {
    using namespace test;
    const std::string audio = media.makeAudio("plain.mp3", "mp3");
    const ByteVec tag = Tag(2, Concat({Frame(2, "TT2", Text(0, Bytes("Old Title"))),
                                       Frame(2, "TP1", Text(0, Bytes("Old Artist"))),
                                       Frame(2, "TAL", Text(0, Bytes("Old Album")))}));
    const std::string path = media.writeBytes("v22.mp3", Concat({tag, media.readBytes("plain.mp3")}));
    ASSERT_EQ(ReadMp3Tags(path, true).artist, "Old Artist");

    Mp3TagValues v;
    v.v2.title = "새 제목";
    v.v2.artist = "Old Artist";
    v.v2.album = "Old Album";
    ASSERT_TRUE(WriteMp3Tag(path, v).written);
    EXPECT_TRUE(Has(Frames(path), "version 2.3"));
    const TagRecord r = ReadMp3Tags(path, true);
    EXPECT_EQ(r.title, "새 제목");
    EXPECT_EQ(r.album, "Old Album");
    EXPECT_EQ(DecodedAudioMd5(path), DecodedAudioMd5(audio));
}

// A tag whose header claims more than the tag holds would take the audio after it along
// when rewritten; such files, and files with no audio at all, are refused untouched.
TEST_F(Mp3TagWriting, TagClaimingTheAudioIsNotRewritten) {
    using namespace test;
    media.makeAudio("plain.mp3", "mp3", 3);
    const ByteVec audio = media.readBytes("plain.mp3");
    const ByteVec frames = Frame(3, "TIT2", Text(0, Bytes("Old Title")));
    const ByteVec v23 = Bytes("ID3\x03\x00\x00", 6);
    const struct {
        const char* name;
        ByteVec bytes;
    } cases[] = {
        {"beyond.mp3", Concat({v23, Syncsafe(0x0FFFFFFF), frames, audio})},
        {"within.mp3", Concat({v23, Syncsafe(static_cast<uint32_t>(frames.size() + audio.size() / 2)), frames, audio})},
        {"empty.mp3", {}},
        {"tag-only.mp3", Tag(3, frames, 0, 512)},
    };
    for (const auto& c : cases) {
        const std::string path = media.writeBytes(c.name, c.bytes);
        const auto entries = FolderEntries(media.dirPath());
        const TagWriteResult result = WriteMp3Tag(path, KoreanValues());
        EXPECT_FALSE(result.written) << c.name;
        EXPECT_EQ(result.userMessage, "파일정보 쓰기 실패") << c.name;
        EXPECT_EQ(media.readBytes(c.name), c.bytes) << c.name;
        EXPECT_EQ(FolderEntries(media.dirPath()), entries) << c.name;
    }
    // The same audio behind a tag of the right size is tagged as usual.
    const std::string fine = media.writeBytes("fine.mp3", Concat({Tag(3, frames, 0, 256), audio}));
    ASSERT_TRUE(WriteMp3Tag(fine, KoreanValues()).written);
    EXPECT_EQ(DecodedAudioMd5(fine), DecodedAudioMd5(media.path("plain.mp3")));
}

TEST_F(Mp3TagWriting, ReadOnlyAndFullDiskLeaveTheFileAsItWas) {
    const std::string path = media.makeAudio("song.mp3", "mp3", 20);
    ASSERT_EQ(RunTool({"id3v2", "-a", "Artist", "-t", "Title", path}), 0);
    const auto before = FileBytes(path);

    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    auto entries = FolderEntries(media.dirPath());
    const TagWriteResult readOnly = WriteMp3Tag(path, KoreanValues());
    EXPECT_FALSE(readOnly.written);
    EXPECT_EQ(readOnly.userMessage, "파일정보 쓰기 실패");
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(FolderEntries(media.dirPath()), entries);
    chmod(path.c_str(), 0644);

    test::SmallTmpfs disk(before.size() + before.size() / 2);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    const std::string full = disk.dir() + "/song.mp3";
    std::filesystem::copy_file(path, full);
    entries = FolderEntries(disk.dir());
    EXPECT_FALSE(WriteMp3Tag(full, KoreanValues()).written);
    EXPECT_EQ(FileBytes(full), before);
    EXPECT_EQ(FolderEntries(disk.dir()), entries);
}

}  // namespace
}  // namespace tavora
