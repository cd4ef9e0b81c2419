#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "DisplayTitle.h"
#include "FileInfoText.h"
#include "MediaFiles.h"
#include "RowTitleTime.h"
#include "TrackLength.h"

namespace tavora {
namespace {

using test::MediaFolder;

TEST(FormatTrackTime, WholeMinutesAndSeconds) {
    EXPECT_EQ(FormatTrackTime(0), "00:00");
    EXPECT_EQ(FormatTrackTime(59.99), "00:59");
    EXPECT_EQ(FormatTrackTime(61), "01:01");
    EXPECT_EQ(FormatTrackTime(125 * 60 + 7), "125:07");
    EXPECT_EQ(FormatTrackTime(-3), "00:00");
    EXPECT_EQ(FormatTrackTime(std::nan("")), "00:00");
    EXPECT_EQ(FormatTrackTime(INFINITY), "00:00");
}

TEST(ReadTrackLength, ExactForEveryDecoder) {
    MediaFolder media;
    for (const char* kind : {"mp3", "ogg", "wma", "wav"}) {
        const std::string path = media.makeAudio(std::string("tone.") + kind, kind, 2.5);
        const auto seconds = ReadTrackLength(path);
        ASSERT_TRUE(seconds) << kind;
        EXPECT_NEAR(*seconds, 2.5, 0.06) << kind;
    }
    // The content decides, not the name.
    std::filesystem::copy_file(media.path("tone.ogg"), media.path("tone-ogg.mp3"));
    EXPECT_NEAR(ReadTrackLength(media.path("tone-ogg.mp3")).value_or(0), 2.5, 0.06);
}

TEST(ReadTrackLength, NothingForFilesNoDecoderReads) {
    MediaFolder media;
    media.writeBytes("text.wav", test::Bytes("RIFF....WAVEbut nothing else"));
    media.writeBytes("text.ogg", test::Bytes("OggS and then garbage"));
    media.writeBytes("text.mp3", test::Bytes("words words words"));
    media.writeBytes("empty.mp3", {});
    for (const char* name : {"text.wav", "text.ogg", "text.mp3", "empty.mp3", "missing.mp3"})
        EXPECT_FALSE(ReadTrackLength(media.path(name))) << name;
    EXPECT_FALSE(ReadTrackLength(media.dirPath()));
}

TEST(ReadRowTitleAndTime, TitleAndTimeOfALocalFile) {
    MediaFolder media;
    const std::string path = media.makeAudio("노래.mp3", "mp3", 2.5);
    ASSERT_EQ(test::RunTool({"mid3v2", "-t", "제목", "-a", "가수", path}, {{"LC_ALL", "C.UTF-8"}}), 0);
    const auto row = ReadRowTitleAndTime(path, {true, TitleFormat::ArtistTitle});
    ASSERT_TRUE(row);
    EXPECT_EQ(row->title, "가수 - 제목");
    EXPECT_EQ(row->time, "00:02");

    const std::string wav = media.makeAudio("tone.wav", "wav", 1.2);
    const auto wavRow = ReadRowTitleAndTime(wav, {});
    ASSERT_TRUE(wavRow);
    EXPECT_EQ(wavRow->title, "tone");
    EXPECT_EQ(wavRow->time, "00:01");
}

// An Ogg song is read once for both; the texts are those of the separate readers.
TEST(ReadRowTitleAndTime, OggCommentsAndLengthTogether) {
    MediaFolder media;
    const std::string wav = media.makeAudio("tone.wav", "wav", 62.4);
    const std::string ogg = media.path("노래.ogg");
    ASSERT_EQ(test::RunTool({"oggenc", "-Q", "-t", "제목", "-a", "가수", "-o", ogg, wav}), 0);
    const TitleSettings settings{true, TitleFormat::ArtistTitle};
    const auto row = ReadRowTitleAndTime(ogg, settings);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->title, "가수 - 제목");
    EXPECT_EQ(row->title, ReadDisplayTitle(ogg, settings));
    EXPECT_EQ(row->time, "01:02");
    EXPECT_EQ(row->time, FormatTrackTime(ReadTrackLength(ogg).value_or(0)));
    // Cut before its audio: no length from the headers, and none from the decoder either.
    std::vector<uint8_t> bytes = media.readBytes("노래.ogg");
    bytes.resize(2500);
    EXPECT_FALSE(ReadRowTitleAndTime(media.writeBytes("cut.ogg", bytes), settings));
}

TEST(ReadRowTitleAndTime, RowsThatMustStayUnchanged) {
    MediaFolder media;
    media.writeBytes("broken.ogg", test::Bytes("not audio"));
    EXPECT_FALSE(ReadRowTitleAndTime(media.path("broken.ogg"), {}));
    EXPECT_FALSE(ReadRowTitleAndTime(media.path("gone.mp3"), {}));
    // An address keeps its "URL" mark; nothing is fetched.
    EXPECT_FALSE(ReadRowTitleAndTime("http://127.0.0.1:9/stream.mp3", {}));
}

TEST(BuildFileInfoText, SizeLengthChannelsBitRateAndSampleRate) {
    MediaFolder media;
    const std::string path = media.makeAudio("tone.wav", "wav", 1.0);
    const auto size = std::filesystem::file_size(path);
    const int kbps = static_cast<int>(static_cast<double>(size) / 125.0 + 0.5);
    const std::string body = "파일 크기 : " + std::to_string(size) + " Bytes \r\n재생 시간 : 00:01 \r\n채널수 : 2 \r\n" +
                             "비트 레이트: " + std::to_string(kbps) + " Kbps\r\n샘플 주파수: 44100 Hz";
    EXPECT_EQ(BuildFileInfoText(path, false), body);
    EXPECT_EQ(BuildFileInfoText(path, true), "파일명: tone.wav \r\n" + body);

    const std::string mp3 = media.makeAudio("tone.mp3", "mp3", 3.0);
    const auto text = BuildFileInfoText(mp3, true);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("재생 시간 : 00:03 \r\n채널수 : 2 \r\n"), std::string::npos) << *text;
    EXPECT_NE(text->find("샘플 주파수: 44100 Hz"), std::string::npos) << *text;

    media.writeBytes("bad.wma", test::Bytes("nothing"));
    EXPECT_FALSE(BuildFileInfoText(media.path("bad.wma"), false));
    EXPECT_FALSE(BuildFileInfoText(media.path("missing.wav"), false));
}

}  // namespace
}  // namespace tavora
