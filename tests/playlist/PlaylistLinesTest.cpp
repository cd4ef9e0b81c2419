#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlaylistFiles.h"
#include "PlaylistText.h"

namespace tavora {
namespace {

std::vector<std::string> Lines(const std::string& bytes, size_t chunk = kPlaylistChunk) {
    PlaylistLineReader reader(chunk);
    reader.OpenBytes(bytes);
    std::vector<std::string> lines;
    while (auto line = reader.NextLine()) lines.push_back(*line);
    return lines;
}

using L = std::vector<std::string>;

TEST(PlaylistLines, EveryLineEndCountsOnce) {
    // CR, LF, CR LF, LF CR; the last line has no line end.
    const std::string bytes = "a\rb\nc\r\nd\n\re";
    for (size_t chunk : {kPlaylistChunk, size_t{1}, size_t{2}, size_t{3}})
        EXPECT_EQ(Lines(bytes, chunk), (L{"a", "b", "c", "d", "e"})) << "chunk " << chunk;
    // A doubled line end is one line end; a third starts an empty line.
    EXPECT_EQ(Lines("a\n\nb\r\n\r\nc\n"), (L{"a", "b", "", "c"}));
    EXPECT_EQ(Lines(""), L{});
    EXPECT_EQ(Lines("\n"), L{""});
}

TEST(PlaylistLines, Utf8AndLegacyKoreanText) {
    const std::string utf8 = "/음악/노래.mp3";
    const std::string cp949 = "/\xC0\xBD\xBE\xC7/\xB3\xEB\xB7\xA1.mp3";  // the same text in CP949
    EXPECT_EQ(Lines(utf8 + "\r\n" + cp949 + "\r\n"), (L{utf8, utf8}));
    // A byte-order mark is not part of the first line.
    EXPECT_EQ(Lines("\xEF\xBB\xBF" + utf8 + "\n" + "b"), (L{utf8, "b"}));
    // Neither UTF-8 nor CP949: read as ISO-8859-1 rather than dropped.
    EXPECT_EQ(Lines("caf\xE9\n"), L{"café"});
}

TEST(PlaylistLines, LinesSpanChunksAndOverlongLinesAreCut) {
    std::string longName(25000, 'x');
    const auto lines = Lines(longName + "\nnext\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], longName);
    const auto cut = Lines(std::string(kMaxPlaylistLine + 100, 'y') + "\nz");
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0].size(), kMaxPlaylistLine);
    EXPECT_EQ(cut[1], "z");
}

TEST(PlsEntries, TakesEveryNumberedFileLine) {
    EXPECT_EQ(PlsEntryValue("File1=http://a/"), "http://a/");
    EXPECT_EQ(PlsEntryValue("File12=/m/b.mp3"), "/m/b.mp3");
    EXPECT_FALSE(PlsEntryValue("file1=/x"));
    EXPECT_FALSE(PlsEntryValue("File0=/x"));
    EXPECT_FALSE(PlsEntryValue("File=/x"));
    EXPECT_FALSE(PlsEntryValue("Title1=x"));
    EXPECT_FALSE(PlsEntryValue("NumberOfEntries=3"));
}

TEST(ListEntryPaths, RelativePathsAreTakenFromTheListFolder) {
    EXPECT_EQ(ResolveListEntry("a.mp3", "/lists"), "/lists/a.mp3");
    EXPECT_EQ(ResolveListEntry("../music/a.mp3", "/lists/x"), "/lists/music/a.mp3");
    EXPECT_EQ(ResolveListEntry("/abs/a.mp3", "/lists"), "/abs/a.mp3");
    EXPECT_EQ(ResolveListEntry("http://h/a.mp3", "/lists"), "http://h/a.mp3");
    EXPECT_EQ(ResolveListEntry("mms://h/live", "/lists"), "mms://h/live");
    EXPECT_EQ(ResolveListEntry("file:///m/%ED%95%9C.mp3", "/lists"), "/m/한.mp3");
    EXPECT_EQ(ResolveListEntry("C:\\Music\\a.mp3", "/lists"), "C:\\Music\\a.mp3");
    EXPECT_TRUE(HasUrlScheme("HTTP://x"));
    EXPECT_FALSE(HasUrlScheme("C://x"));
    EXPECT_FALSE(HasUrlScheme("music/a.mp3"));
}

}  // namespace
}  // namespace tavora
