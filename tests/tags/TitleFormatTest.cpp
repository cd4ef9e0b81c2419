#include <gtest/gtest.h>

#include "DisplayTitle.h"
#include "PlayerSettings.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "TempRegistry.h"

namespace tavora {
namespace {

using F = TitleFormat;

struct FormatCase {
    F format;
    const char *title, *artist, *album, *track, *expected;
};

// Each format's rules for every combination of present and missing parts that matters.
constexpr FormatCase kFormatCases[] = {
    {F::TitleArtist, "T", "A", "L", "K", "T - A"},
    {F::TitleArtist, "T", "", "L", "K", "T"},
    {F::TitleArtist, "", "A", "", "", "A"},
    {F::TitleArtist, "", "", "L", "K", "file"},
    {F::ArtistTitle, "T", "A", "", "", "A - T"},
    {F::ArtistTitle, "T", "", "", "", "T"},
    {F::ArtistTitle, "", "A", "", "", "A"},
    {F::ArtistTitle, "", "", "", "", "file"},
    {F::TitleAlbumArtist, "T", "A", "L", "", "T - L - A"},
    {F::TitleAlbumArtist, "T", "", "L", "", "T - L"},
    {F::TitleAlbumArtist, "T", "A", "", "", "T - A"},
    {F::TitleAlbumArtist, "", "A", "L", "", "A - L"},
    {F::TitleAlbumArtist, "T", "", "", "", "T"},
    {F::TitleAlbumArtist, "", "A", "", "", "A"},
    {F::TitleAlbumArtist, "", "", "L", "", "L"},
    {F::TitleAlbumArtist, "", "", "", "K", "file"},
    {F::FileNameTrack, "T", "A", "L", "3", "file - 3"},
    {F::FileNameTrack, "T", "A", "L", "", "file"},
    {F::TitleFileName, "T", "A", "L", "3", "T - file"},
    {F::TitleFileName, "", "A", "L", "3", "file"},
    {F::FileName, "T", "A", "L", "3", "file"},
};

TEST(FormatDisplayTitle, EveryFormatWithMissingParts) {
    for (const FormatCase& c : kFormatCases) {
        EXPECT_EQ(FormatDisplayTitle(c.format, c.title, c.artist, c.album, c.track, "file"), c.expected)
            << "format " << static_cast<int>(c.format) << " title '" << c.title << "' artist '" << c.artist
            << "' album '" << c.album << "' track '" << c.track << "'";
    }
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
