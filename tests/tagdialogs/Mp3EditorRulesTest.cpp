// The MP3 editor's rules without widgets: selections, genres shown and written, and the
// values each file gets.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "Mp3EditorRules.h"
#include "TagSelection.h"

namespace tavora {
namespace {

TEST(TagSelection, SplitsRowsByExtensionInRowOrder) {
    const std::map<int, std::string> paths = {
        {0, "/m/a.mp3"}, {1, "/m/b.Mp3"}, {2, "/m/c.wma"}, {3, "/m/d.mP3"}, {4, "/m/e.ogg"}, {5, "/m/f.MP3"},
        {6, "/m/g.mp3x"}, {7, "/m/h.wav"}};
    const TagSelection s = BuildTagSelection({7, 5, 4, 3, 2, 1, 0, 6, 3, 99},
                                             [&](int row) { return paths.count(row) ? paths.at(row) : ""; });
    std::vector<int> mp3, other;
    for (const auto& r : s.mp3) mp3.push_back(r.row);
    for (const auto& r : s.other) other.push_back(r.row);
    EXPECT_EQ(mp3, (std::vector<int>{0, 1, 3, 5}));
    EXPECT_EQ(other, (std::vector<int>{2, 4, 6, 7})) << "row 99 is gone; duplicates count once";
    EXPECT_EQ(TagWindowModeFor("/m/c.wma"), TagWindowMode::Wma);
    EXPECT_EQ(TagWindowModeFor("/m/c.ASF"), TagWindowMode::Wma);
    EXPECT_EQ(TagWindowModeFor("/m/e.OGG"), TagWindowMode::Ogg);
    EXPECT_EQ(TagWindowModeFor("/m/e.Ogg"), TagWindowMode::None);
    EXPECT_EQ(TagWindowModeFor("/m/h.wav"), TagWindowMode::None);
}

TEST(GenreRules, ShownAndWritten) {
    EXPECT_EQ(ShowGenre("(17)").listIndex, 17);
    EXPECT_EQ(ShowGenre("(17)Rock").listIndex, 17);
    EXPECT_FALSE(ShowGenre("(17)Rock").inserted);
    const GenreShown free = ShowGenre("(255)트로트");
    EXPECT_TRUE(free.inserted);
    EXPECT_EQ(free.insertedText, "트로트");
    EXPECT_TRUE(ShowGenre("Rock").inserted) << "plain text is shown as an empty entry";
    EXPECT_EQ(ShowGenre("Rock").insertedText, "");
    EXPECT_EQ(ShowGenre("").insertedText, "");
    EXPECT_EQ(ShowGenre("(999)").insertedText, "");
    EXPECT_EQ(ShowGenre("(17").insertedText, "");
    EXPECT_EQ(ShowGenre(kSkipMarker).insertedText, kSkipMarker);

    EXPECT_EQ(GenreText(17, "Rock", false), "(17)Rock");
    EXPECT_EQ(GenreText(0, "Blues", false), "(0)Blues");
    EXPECT_EQ(GenreText(-1, "트로트", true), "(255)트로트");
    EXPECT_EQ(GenreText(148, "트로트", true), "(255)트로트");
    EXPECT_EQ(GenreText(-1, "rock", true), "(17)Rock") << "a list name typed in full is that entry";
    EXPECT_EQ(GenreText(148, kSkipMarker, false), "") << "a marker keeps the file's genre";
    EXPECT_EQ(GenreText(150, "", false), "") << "the file's own (empty) entry keeps its genre";
    EXPECT_EQ(GenreText(149, kEmptyMarker, false), "(255)") << "the empty marker clears it";
    EXPECT_EQ(GenreText(-1, "", true), "(255)") << "so does a field emptied by hand";
}

Mp3EditorTags Tags(const std::string& v1Artist, const std::string& v2Artist) {
    Mp3EditorTags t;
    t.v1.artist = v1Artist;
    t.v1.title = "v1 title";
    t.v2.artist = v2Artist;
    t.v2.title = "v2 title";
    t.v2.composer = "작곡가";
    t.v2.genre = "(255)트로트";
    return t;
}

Mp3EditorChoices AllSkip() {
    Mp3EditorChoices c;
    c.writeV1 = c.writeV2 = true;
    return c;
}

TEST(Mp3FileValues, SkipKeepsEachTagEmptyClearsBothTextSetsBoth) {
    Mp3EditorTags cached = Tags("가수1", "가수 하나");
    Mp3EditorChoices c = AllSkip();
    c.fields[static_cast<size_t>(Mp3Field::Title)] = ChoiceFromText("새 제목");
    c.fields[static_cast<size_t>(Mp3Field::Composer)] = ChoiceFromText(kEmptyMarker);
    c.fields[static_cast<size_t>(Mp3Field::Artist)] = ChoiceFromText(kSkipMarker);
    const Mp3TagValues v = ValuesForFile(cached, c, true, 4);
    EXPECT_EQ(v.v1.artist, "가수1");
    EXPECT_EQ(v.v2.artist, "가수 하나");
    EXPECT_EQ(v.v1.title, "새 제목");
    EXPECT_EQ(v.v2.title, "새 제목");
    EXPECT_EQ(v.v2.composer, "");
    EXPECT_EQ(v.genreText, "") << "no genre chosen: the file keeps its own";
    EXPECT_EQ(cached.v2.title, "새 제목") << "the cache follows what was written";
    EXPECT_EQ(cached.v2.genre, "(255)트로트");
    const auto kept = [&](std::string TagRecord::*m) { return std::find(v.keepV2.begin(), v.keepV2.end(), m) != v.keepV2.end(); };
    EXPECT_TRUE(kept(&TagRecord::artist)) << "left alone, not rewritten";
    EXPECT_TRUE(kept(&TagRecord::album));
    EXPECT_FALSE(kept(&TagRecord::title));
    EXPECT_FALSE(kept(&TagRecord::composer));
}

TEST(Mp3FileValues, UntickedTagBoxEmptiesThatTagAndAutoTrackOnlyInBatch) {
    Mp3EditorChoices c = AllSkip();
    c.writeV1 = false;
    c.autoTrack = true;
    c.genreText = "(17)Rock";
    Mp3EditorTags cached = Tags("a", "b");
    Mp3TagValues v = ValuesForFile(cached, c, true, 2);
    EXPECT_EQ(v.v1.title, "");
    EXPECT_EQ(v.v1.track, "3") << "track by list position + 1";
    EXPECT_EQ(v.v2.track, "3");
    EXPECT_EQ(v.v2.artist, "b");
    EXPECT_EQ(cached.v1.genre, "(17)Rock") << "the genre goes to both tags";

    Mp3EditorTags single = Tags("a", "b");
    v = ValuesForFile(single, c, false, 2);
    EXPECT_EQ(v.v2.track, "") << "no automatic track for a single file";
}

TEST(Mp3FileValues, DistinctValuesPerFileV1ThenV2) {
    const Mp3EditorTags a = Tags("가수1", "가수1");
    const Mp3EditorTags b = Tags("가수2", "가수 둘");
    const Mp3EditorTags c = Tags("", "가수1");
    EXPECT_EQ(DistinctValues({&a, &b, &c}, Mp3Field::Artist), (std::vector<std::string>{"가수1", "가수2", "가수 둘"}));
    EXPECT_EQ(DistinctValues({&a, &b}, Mp3Field::Title), (std::vector<std::string>{"v1 title", "v2 title"}));
    EXPECT_EQ(DistinctValues({&c}, Mp3Field::Album), std::vector<std::string>{});
}

}  // namespace
}  // namespace tavora
