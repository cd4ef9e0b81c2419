// Titles of files tagged by the programs users tag with.
#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <random>
#include <thread>

#include "DisplayTitle.h"
#include "MediaFiles.h"
#include "Mp3TagReader.h"
#include "OggTagReader.h"
#include "TagMessages.h"
#include "WmaTagReader.h"

namespace tavora {
namespace {

using test::MediaFolder;
using test::RunTool;

const std::map<std::string, std::string> kUtf8Locale = {{"LC_ALL", "C.UTF-8"}};
const std::map<std::string, std::string> kByteLocale = {{"LC_ALL", "C"}};
const std::string kCp949Title = "\xB3\xEB\xB7\xA1\x20\xC1\xA6\xB8\xF1";  // "노래 제목"
const std::string kCp949OldTitle = "\xBF\xBE \xC1\xA6\xB8\xF1";            // "옛 제목"

TitleSettings Settings(TitleFormat format, bool preferId3v2 = true) { return {preferId3v2, format}; }

// Collects what the readers would tell the user.
class MessageCapture {
public:
    MessageCapture() {
        SetTagMessageSink([this](const std::string& m, const std::string&) {
            std::lock_guard lock(mutex_);
            messages_.push_back(m);
        });
    }
    ~MessageCapture() { SetTagMessageSink({}); }
    std::vector<std::string> take() {
        std::lock_guard lock(mutex_);
        return std::exchange(messages_, {});
    }

private:
    std::mutex mutex_;
    std::vector<std::string> messages_;
};

class RealFileTitles : public ::testing::Test {
protected:
    MediaFolder media;
    MessageCapture messages;

    std::string tagged(const std::string& name, const std::vector<std::string>& tool,
                       const std::map<std::string, std::string>& env = kUtf8Locale) {
        const std::string path = media.makeAudio(name, "mp3");
        std::vector<std::string> args = tool;
        args.push_back(path);
        EXPECT_EQ(RunTool(args, env), 0) << tool.front();
        return path;
    }

    // A file tagged with title "노래 제목", artist "가수", album "앨범" and the given track
    // shows these titles in the six formats.
    static void ExpectSixFormats(const std::string& path, const std::string& fileName, const std::string& track) {
        const std::pair<TitleFormat, std::string> expected[] = {
            {TitleFormat::TitleArtist, "노래 제목 - 가수"},
            {TitleFormat::ArtistTitle, "가수 - 노래 제목"},
            {TitleFormat::TitleAlbumArtist, "노래 제목 - 앨범 - 가수"},
            {TitleFormat::FileNameTrack, fileName + " - " + track},
            {TitleFormat::TitleFileName, "노래 제목 - " + fileName},
            {TitleFormat::FileName, fileName},
        };
        for (const auto& [format, title] : expected)
            EXPECT_EQ(ReadDisplayTitle(path, Settings(format)), title) << path << " format " << static_cast<int>(format);
    }

    static void ExpectKoreanTags(const TagRecord& r, const std::string& track, const std::string& genre) {
        EXPECT_EQ(r.title, "노래 제목");
        EXPECT_EQ(r.artist, "가수");
        EXPECT_EQ(r.album, "앨범");
        EXPECT_EQ(r.track, track);
        EXPECT_EQ(r.genre, genre);
    }
};

TEST_F(RealFileTitles, Id3v2ToolWritesUtf16ThatReadsBackInKorean) {
    const std::string path =
        tagged("id3v2.mp3", {"id3v2", "-t", "노래 제목", "-a", "가수", "-A", "앨범", "-T", "3", "-g", "17"});
    ExpectKoreanTags(ReadMp3Tags(path, true), "3", "(17)Rock");
    ExpectSixFormats(path, "id3v2", "3");
}

TEST_F(RealFileTitles, FfmpegVersion3Utf16) {
    const std::string plain = media.makeAudio("plain.mp3", "mp3");
    const std::string path = media.path("ffmpeg.mp3");
    ASSERT_EQ(RunTool({"ffmpeg", "-v", "error", "-y", "-i", plain, "-c", "copy", "-id3v2_version", "3", "-metadata",
                       "title=노래 제목", "-metadata", "artist=가수", "-metadata", "album=앨범", "-metadata",
                       "track=5", path}),
              0);
    ExpectKoreanTags(ReadMp3Tags(path, true), "5", "");
    ExpectSixFormats(path, "ffmpeg", "5");
}

TEST_F(RealFileTitles, Mid3v2Version4Utf8) {
    const std::string path =
        tagged("mid3v2.mp3", {"mid3v2", "-t", "노래 제목", "-a", "가수", "-A", "앨범", "-T", "7/9", "-g", "Rock"});
    ExpectKoreanTags(ReadMp3Tags(path, true), "7/9", "(17)Rock");
    ExpectSixFormats(path, "mid3v2", "7/9");
}

TEST_F(RealFileTitles, LegacyCp949BytesInId3v1AndInALatin1Frame) {
    // A tagger running in a byte locale stores the bytes it is given, as Korean Windows did.
    const std::string path = tagged("legacy.mp3", {"id3v2", "-1", "-t", kCp949OldTitle, "-a", "\xB0\xA1\xBC\xF6"}, kByteLocale);
    ASSERT_EQ(RunTool({"id3v2", "-2", "-t", kCp949Title, path}, kByteLocale), 0);
    EXPECT_EQ(ReadDisplayTitle(path, Settings(TitleFormat::TitleArtist, true)), "노래 제목 - 가수");
    EXPECT_EQ(ReadDisplayTitle(path, Settings(TitleFormat::TitleArtist, false)), "옛 제목 - 가수");
    EXPECT_EQ(ReadId3v1Tags(path).title, "옛 제목");
}

TEST_F(RealFileTitles, PreferenceChoosesBetweenTheTwoTagsFieldByField) {
    // ID3v1 holds title and artist; ID3v2 only a different artist. (mid3v2 would update the
    // ID3v1 tag too, so it writes first.)
    const std::string both = tagged("both.mp3", {"mid3v2", "-a", "V2 Artist"});
    ASSERT_EQ(RunTool({"id3v2", "-1", "-t", "V1 Title", "-a", "V1 Artist", both}, kUtf8Locale), 0);
    EXPECT_EQ(ReadDisplayTitle(both, Settings(TitleFormat::TitleArtist, true)), "V1 Title - V2 Artist");
    EXPECT_EQ(ReadDisplayTitle(both, Settings(TitleFormat::TitleArtist, false)), "V1 Title - V1 Artist");

    // With the preference off, an ID3v2-only file has no fields at all.
    const std::string onlyV2 = tagged("only v2.mp3", {"mid3v2", "-t", "Title", "-a", "Artist"});
    EXPECT_EQ(ReadDisplayTitle(onlyV2, Settings(TitleFormat::TitleArtist, false)), "only v2");
    EXPECT_EQ(ReadDisplayTitle(onlyV2, Settings(TitleFormat::TitleArtist, true)), "Title - Artist");
}

TEST_F(RealFileTitles, MissingFieldsFallBackByTheFormatRules) {
    const std::string titleOnly = tagged("title only.MP3", {"mid3v2", "-t", "제목"});
    EXPECT_EQ(ReadDisplayTitle(titleOnly, Settings(TitleFormat::TitleArtist)), "제목");
    EXPECT_EQ(ReadDisplayTitle(titleOnly, Settings(TitleFormat::TitleAlbumArtist)), "제목");
    EXPECT_EQ(ReadDisplayTitle(titleOnly, Settings(TitleFormat::FileNameTrack)), "title only");

    const std::string untagged = media.makeAudio("무제.mp3", "mp3");
    // The title falls back to the file name before formatting, so "title - file name" repeats it.
    for (int f = 1; f <= 6; ++f) {
        const std::string expected = f == 5 ? "무제 - 무제" : "무제";
        EXPECT_EQ(ReadDisplayTitle(untagged, Settings(static_cast<TitleFormat>(f))), expected) << f;
    }
}

TEST_F(RealFileTitles, WmaAttributesWrittenByFfmpeg) {
    const std::string plain = media.makeAudio("plain.wma", "wma");
    const std::string path = media.path("ffmpeg.WMA");
    ASSERT_EQ(RunTool({"ffmpeg", "-v", "error", "-y", "-i", plain, "-c", "copy", "-metadata", "title=노래 제목",
                       "-metadata", "artist=가수", "-metadata", "album=앨범", "-metadata", "track=4", "-f", "asf", path}),
              0);
    ExpectKoreanTags(ReadWmaTags(path), "4", "");
    ExpectSixFormats(path, "ffmpeg", "4");
    EXPECT_EQ(ReadDisplayTitle(plain, Settings(TitleFormat::TitleArtist)), "plain");
    EXPECT_TRUE(messages.take().empty());
}

TEST_F(RealFileTitles, VorbisCommentsWrittenByVorbiscomment) {
    const std::string path = media.makeAudio("vorbis.ogg", "ogg");
    ASSERT_EQ(RunTool({"vorbiscomment", "-w", "-t", "TITLE=old", "-t", "ARTIST=가수", "-t", "TRACKNUMBER=2",
                       "-t", "title=노래=제목", "-t", "comment=not a title", path},
                      kUtf8Locale),
              0);
    const TagRecord r = ReadOggTags(path);
    EXPECT_EQ(r.title, "노래=제목");  // the later TITLE wins; the value keeps its own "="
    EXPECT_EQ(r.artist, "가수");
    EXPECT_EQ(r.track, "2");
    EXPECT_EQ(ReadDisplayTitle(path, Settings(TitleFormat::TitleArtist)), "노래=제목 - 가수");

    // Legacy taggers put CP949 into comments too; ffmpeg stores the bytes it is given.
    const std::string legacy = media.path("legacy.ogg");
    ASSERT_EQ(RunTool({"ffmpeg", "-v", "error", "-y", "-i", path, "-c", "copy", "-map_metadata", "-1", "-metadata",
                       "ALBUM=\xBE\xD9\xB9\xFC", legacy},
                      kByteLocale),
              0);
    EXPECT_EQ(ReadOggTags(legacy).album, "앨범");
    EXPECT_EQ(ReadDisplayTitle(path, Settings(TitleFormat::TitleFileName)), "노래=제목 - vorbis");

    const std::string korean = media.makeAudio("korean.ogg", "ogg");
    ASSERT_EQ(RunTool({"vorbiscomment", "-w", "-t", "TITLE=노래 제목", "-t", "ARTIST=가수", "-t", "ALBUM=앨범",
                       "-t", "TRACKNUMBER=6", "-t", "GENRE=트로트", korean},
                      kUtf8Locale),
              0);
    ExpectKoreanTags(ReadOggTags(korean), "6", "트로트");
    ExpectSixFormats(korean, "korean", "6");

    const std::string untagged = media.makeAudio("untagged.OGG", "ogg");
    EXPECT_EQ(ReadDisplayTitle(untagged, Settings(TitleFormat::ArtistTitle)), "untagged");
    EXPECT_TRUE(messages.take().empty());
}

TEST_F(RealFileTitles, FilesThatAreNotWhatTheirNameSaysGetTheFileNameTitle) {
    const std::string ogg = media.makeAudio("real.ogg", "ogg");
    const std::string wma = media.makeAudio("real.wma", "wma");
    const std::string mp3 = tagged("real.mp3", {"mid3v2", "-t", "A long enough title to be cut", "-a", "Artist"});
    std::filesystem::copy_file(ogg, media.path("ogg inside.wma"));
    std::filesystem::copy_file(wma, media.path("wma inside.ogg"));
    std::filesystem::copy_file(ogg, media.path("ogg inside.mp3"));
    const auto tagBytes = media.readBytes("real.mp3");
    media.writeBytes("cut tag.mp3", {tagBytes.begin(), tagBytes.begin() + 40});
    media.writeBytes("cut ogg.ogg", [&] { auto b = media.readBytes("real.ogg"); b.resize(100); return b; }());
    std::mt19937 rng(5);
    std::vector<uint8_t> noise(4096);
    for (auto& b : noise) b = static_cast<uint8_t>(rng());
    for (const char* name : {"noise.mp3", "noise.wma", "noise.ogg"}) media.writeBytes(name, noise);
    media.writeBytes("text.mp3", test::Bytes("just some text, no tag"));
    media.writeBytes("empty.ogg", {});
    std::filesystem::create_directory(media.path("folder.wma"));

    for (const char* name : {"ogg inside.wma", "wma inside.ogg", "ogg inside.mp3", "cut ogg.ogg", "noise.mp3",
                             "noise.wma", "noise.ogg", "text.mp3", "empty.ogg", "folder.wma", "missing.ogg", "missing.wma"}) {
        EXPECT_EQ(ReadDisplayTitle(media.path(name), Settings(TitleFormat::TitleArtist)), FileNameTitle(name)) << name;
    }
    // A tag cut inside its first frame leaves nothing to show either.
    EXPECT_EQ(ReadDisplayTitle(media.path("cut tag.mp3"), Settings(TitleFormat::TitleArtist)), "cut tag");

    const auto said = messages.take();
    auto count = [&](const std::string& m) { return std::count(said.begin(), said.end(), m); };
    EXPECT_EQ(count("OGG File open failed"), 4);  // wma inside, cut, noise, empty
    EXPECT_EQ(count("  실패 "), 1);
    EXPECT_EQ(count("Open메소드를 실행할 수 없습니다.: 0x80004005"), 3);  // ogg inside, noise, folder
    EXPECT_EQ(count("Open메소드를 실행할 수 없습니다.: 0x80070002"), 1);
}

TEST_F(RealFileTitles, WorkersReadTitlesAtTheSameTime) {
    // The title passes run on workers while the user-interface thread reads titles too.
    const std::string mp3 = tagged("a.mp3", {"id3v2", "-t", "엠피3", "-a", "가수"});
    const std::string ogg = media.makeAudio("b.ogg", "ogg");
    ASSERT_EQ(RunTool({"vorbiscomment", "-w", "-t", "TITLE=오그", ogg}, kUtf8Locale), 0);
    const std::string wma = media.makeAudio("c.wma", "wma");
    const TitleSettings settings = Settings(TitleFormat::TitleArtist);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {mp3, "엠피3 - 가수"}, {ogg, "오그"}, {wma, "c"}};
    std::atomic<int> wrong{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < 60; ++i) {
                const auto& [path, title] = expected[static_cast<size_t>(i + t) % expected.size()];
                if (ReadDisplayTitle(path, settings) != title) ++wrong;
            }
        });
    }
    for (auto& w : workers) w.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace tavora
