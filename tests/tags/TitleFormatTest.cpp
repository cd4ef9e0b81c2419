#include <gtest/gtest.h>

#include "DisplayTitle.h"
#include "PlayerSettings.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "../support/TempRegistry.h"

namespace tavora {
namespace {

using F = TitleFormat;

std::string Format(F f, const std::string& t, const std::string& a, const std::string& l, const std::string& k) {
    return FormatDisplayTitle(f, t, a, l, k, "file");
}

TEST(FormatDisplayTitle, TitleAndArtistFormats) {
    EXPECT_EQ(Format(F::TitleArtist, "T", "A", "L", "K"), "T - A");
    EXPECT_EQ(Format(F::TitleArtist, "T", "", "L", "K"), "T");
    EXPECT_EQ(Format(F::TitleArtist, "", "A", "", ""), "A");
    EXPECT_EQ(Format(F::TitleArtist, "", "", "L", "K"), "file");
    EXPECT_EQ(Format(F::ArtistTitle, "T", "A", "", ""), "A - T");
    EXPECT_EQ(Format(F::ArtistTitle, "T", "", "", ""), "T");
    EXPECT_EQ(Format(F::ArtistTitle, "", "A", "", ""), "A");
    EXPECT_EQ(Format(F::ArtistTitle, "", "", "", ""), "file");
}

TEST(FormatDisplayTitle, TitleAlbumArtistCoversEveryMissingPart) {
    EXPECT_EQ(Format(F::TitleAlbumArtist, "T", "A", "L", ""), "T - L - A");
    EXPECT_EQ(Format(F::TitleAlbumArtist, "T", "", "L", ""), "T - L");
    EXPECT_EQ(Format(F::TitleAlbumArtist, "T", "A", "", ""), "T - A");
    EXPECT_EQ(Format(F::TitleAlbumArtist, "", "A", "L", ""), "A - L");
    EXPECT_EQ(Format(F::TitleAlbumArtist, "T", "", "", ""), "T");
    EXPECT_EQ(Format(F::TitleAlbumArtist, "", "A", "", ""), "A");
    EXPECT_EQ(Format(F::TitleAlbumArtist, "", "", "L", ""), "L");
    EXPECT_EQ(Format(F::TitleAlbumArtist, "", "", "", "K"), "file");
}

TEST(FormatDisplayTitle, FileNameFormats) {
    EXPECT_EQ(Format(F::FileNameTrack, "T", "A", "L", "3"), "file - 3");
    EXPECT_EQ(Format(F::FileNameTrack, "T", "A", "L", ""), "file");
    EXPECT_EQ(Format(F::TitleFileName, "T", "A", "L", "3"), "T - file");
    EXPECT_EQ(Format(F::TitleFileName, "", "A", "L", "3"), "file");
    EXPECT_EQ(Format(F::FileName, "T", "A", "L", "3"), "file");
}

TEST(FileNameTitle, RemovesFourCharactersWhateverTheExtension) {
    EXPECT_EQ(FileNameTitle("/music/song.mp3"), "song");
    EXPECT_EQ(FileNameTitle("/music/song.mp2"), "song");
    EXPECT_EQ(FileNameTitle("/music/song.flac"), "song.");
    EXPECT_EQ(FileNameTitle("/음악/노래 제목.ogg"), "노래 제목");
    EXPECT_EQ(FileNameTitle("/music/노래.곡명임"), "노래");  // characters, not bytes
    EXPECT_EQ(FileNameTitle("relative.wma"), "relative");
    EXPECT_EQ(FileNameTitle("/music/a.b"), "");
    EXPECT_EQ(FileNameTitle("/music/"), "");
}

TEST(TagSourceForPath, ExtensionIsCaseSensitiveLowerOrUpper) {
    EXPECT_EQ(TagSourceForPath("/a/b.mp3"), TagSource::Mp3);
    EXPECT_EQ(TagSourceForPath("/a/b.MP3"), TagSource::Mp3);
    EXPECT_EQ(TagSourceForPath("/a/b.Mp3"), TagSource::None);
    for (const char* p : {"/a/b.wma", "/a/b.WMA", "/a/b.asf", "/a/b.ASF"}) EXPECT_EQ(TagSourceForPath(p), TagSource::Wma) << p;
    EXPECT_EQ(TagSourceForPath("/a/b.ogg"), TagSource::Ogg);
    EXPECT_EQ(TagSourceForPath("/a/b.OGG"), TagSource::Ogg);
    EXPECT_EQ(TagSourceForPath("/a/b.wav"), TagSource::None);
    EXPECT_EQ(TagSourceForPath("/a.mp3/b"), TagSource::None);
    EXPECT_EQ(TagSourceForPath("/a/mp3"), TagSource::None);
    EXPECT_EQ(ReadDisplayTitle("/does/not/exist/song.flac", {}), "song.");
}

TEST(TitleSettings, FlagsAreTestedInTheirOrderAndNoneMeansTitleAlbumArtist) {
    PlayerSettings s;
    s.type1 = s.type2 = s.type3 = s.type4 = s.type5 = s.type6 = 0;
    EXPECT_EQ(TitleSettingsFrom(s).format, F::TitleAlbumArtist);
    s.type6 = 1;
    EXPECT_EQ(TitleSettingsFrom(s).format, F::FileName);
    s.type5 = 1;
    EXPECT_EQ(TitleSettingsFrom(s).format, F::TitleFileName);
    s.type4 = 1;
    EXPECT_EQ(TitleSettingsFrom(s).format, F::FileNameTrack);
    s.type3 = 1;  // Type3 is never tested itself
    EXPECT_EQ(TitleSettingsFrom(s).format, F::FileNameTrack);
    s.type2 = 1;
    EXPECT_EQ(TitleSettingsFrom(s).format, F::ArtistTitle);
    s.type1 = 1;
    EXPECT_EQ(TitleSettingsFrom(s).format, F::TitleArtist);
}

TEST(TitleSettings, LoadedFromTheStore) {
    test::TempRegistry registry;
    TitleSettings fresh = LoadTitleSettings();
    EXPECT_TRUE(fresh.preferId3v2);
    EXPECT_EQ(fresh.format, F::TitleArtist);

    WriteRegDword(keys::kTagSortMp3, "Version", 0);
    WriteRegDword(keys::kTagSortMp3, "Type1", 0);
    WriteRegDword(keys::kTagSortMp3, "Type3", 1);
    const TitleSettings stored = LoadTitleSettings();
    EXPECT_FALSE(stored.preferId3v2);
    EXPECT_EQ(stored.format, F::TitleAlbumArtist);
}

}  // namespace
}  // namespace tavora
