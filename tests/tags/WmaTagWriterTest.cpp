// Writing WMA attributes: only the fields the user changed, and never an empty text.
#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <taglib/asffile.h>
#include <taglib/asftag.h>

#include "MediaFiles.h"
#include "WmaTagReader.h"
#include "WmaTagWriter.h"
#include "WriterTools.h"

namespace tavora {
namespace {

using test::DecodedAudioMd5;
using test::FileBytes;
using test::FolderEntries;
using test::MediaFolder;
using test::RunTool;

class WmaTagWriting : public ::testing::Test {
protected:
    MediaFolder media;

    // Tagged by ffmpeg's ASF muxer.
    std::string taggedWma() {
        const std::string plain = media.makeAudio("plain.wma", "wma", 2);
        const std::string out = media.path("song.wma");
        EXPECT_EQ(RunTool({"ffmpeg", "-v", "error", "-i", plain, "-c", "copy", "-metadata", "title=옛 제목", "-metadata",
                           "artist=가수", "-metadata", "album=앨범", "-metadata", "comment=설명", "-metadata",
                           "genre=Ballad", "-f", "asf", out}),
                  0);
        std::remove(plain.c_str());
        return out;
    }

    static std::string Attribute(const std::string& path, const char* name) {
        TagLib::ASF::File file(path.c_str(), false);
        const TagLib::ASF::AttributeList list = file.tag()->attribute(name);
        return list.isEmpty() ? "<absent>" : list.front().toString().to8Bit(true);
    }
};

TEST_F(WmaTagWriting, UntouchedFieldsKeepTheirValues) {
    const std::string path = taggedWma();
    const std::string audio = DecodedAudioMd5(path);
    ASSERT_EQ(ReadWmaTags(path).artist, "가수");
    ASSERT_EQ(Attribute(path, "Description"), "설명");

    TagRecord shown;  // the window shows no year, comment or genre for WMA files
    shown.title = "새 제목";
    shown.artist = "가수";
    shown.album = "앨범";
    shown.track = "4";
    const TagWriteResult result = WriteWmaTags(path, shown, kWmaTitle | kWmaTrack);
    ASSERT_TRUE(result.written) << result.detail;

    const TagRecord r = ReadWmaTags(path);
    EXPECT_EQ(r.title, "새 제목");
    EXPECT_EQ(r.artist, "가수");
    EXPECT_EQ(r.album, "앨범");
    EXPECT_EQ(r.track, "4");
    EXPECT_EQ(Attribute(path, "Description"), "설명");
    EXPECT_EQ(Attribute(path, "WM/Genre"), "Ballad");
    EXPECT_EQ(DecodedAudioMd5(path), audio);
    EXPECT_EQ(FolderEntries(media.dirPath()), std::set<std::string>{"song.wma"});
}

TEST_F(WmaTagWriting, ChangedFieldLeftEmptyRemovesTheAttribute) {
    const std::string path = taggedWma();
    TagRecord values;
    values.year = "2024";
    values.genre = "트로트";
    ASSERT_TRUE(WriteWmaTags(path, values, kWmaAlbum | kWmaYear | kWmaGenre | kWmaComment).written);
    EXPECT_EQ(Attribute(path, "WM/AlbumTitle"), "<absent>");
    EXPECT_EQ(Attribute(path, "WM/Year"), "2024");
    EXPECT_EQ(Attribute(path, "WM/GenreID"), "트로트");
    EXPECT_EQ(Attribute(path, "WM/Genre"), "트로트");
    TagLib::ASF::File file(path.c_str(), false);
    EXPECT_TRUE(file.tag()->comment().isEmpty());
    EXPECT_EQ(Attribute(path, "Description"), "<absent>");
    EXPECT_EQ(ReadWmaTags(path).title, "옛 제목");
}

TEST_F(WmaTagWriting, FailuresLeaveTheFileAsItWas) {
    const std::string path = taggedWma();
    const auto before = FileBytes(path);
    TagRecord values;
    values.title = "x";
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    auto entries = FolderEntries(media.dirPath());
    const TagWriteResult readOnly = WriteWmaTags(path, values, kWmaTitle);
    EXPECT_FALSE(readOnly.written);
    EXPECT_EQ(readOnly.userMessage, "Open메소드를 실행할 수 없습니다.: 0x80070005");
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(FolderEntries(media.dirPath()), entries);

    const std::string notAsf = media.writeBytes("fake.wma", std::vector<uint8_t>(5000, 'x'));
    entries = FolderEntries(media.dirPath());
    const TagWriteResult result = WriteWmaTags(notAsf, values, kWmaTitle);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.userMessage, "Open메소드를 실행할 수 없습니다.: 0x80004005");
    EXPECT_EQ(FileBytes(notAsf), std::vector<unsigned char>(5000, 'x'));
    EXPECT_EQ(FolderEntries(media.dirPath()), entries);

    // Gone, or a folder under a song's name: the editor cannot open it either.
    EXPECT_EQ(WriteWmaTags(media.path("gone.wma"), values, kWmaTitle).userMessage,
              "Open메소드를 실행할 수 없습니다.: 0x80070002");
    ASSERT_TRUE(std::filesystem::create_directory(media.path("folder.wma")));
    EXPECT_EQ(WriteWmaTags(media.path("folder.wma"), values, kWmaTitle).userMessage,
              "Open메소드를 실행할 수 없습니다.: 0x80004005");
}

}  // namespace
}  // namespace tavora
