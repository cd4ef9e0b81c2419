// The station texts of internet streams: stream-title blocks and header lists as
// servers send them, including the awkward ones.
#include <gtest/gtest.h>

#include <string>

#include "IcyTitleParser.h"

using namespace tavora;

TEST(IcyTitleParser, StreamTitleIsTheQuotedTextOfItsField) {
    EXPECT_EQ(ParseStreamTitle("StreamTitle='A - B';StreamUrl='';"), "A - B");
    EXPECT_EQ(ParseStreamTitle("StreamTitle='A - B';"), "A - B");
    // Fields in another order, and an empty title (a station between songs).
    EXPECT_EQ(ParseStreamTitle("StreamUrl='http://x/';StreamTitle='Song';"), "Song");
    EXPECT_EQ(ParseStreamTitle("StreamTitle='';"), "");
}

TEST(IcyTitleParser, QuotesAndSemicolonsInsideTheTitleStay) {
    EXPECT_EQ(ParseStreamTitle("StreamTitle='Rock 'n' Roll';StreamUrl='';"), "Rock 'n' Roll");
    EXPECT_EQ(ParseStreamTitle("StreamTitle='Live; Take 2 - Band';"), "Live; Take 2 - Band");
    EXPECT_EQ(ParseStreamTitle("StreamTitle='Don't Stop';"), "Don't Stop");
    // Korean titles pass through byte for byte.
    EXPECT_EQ(ParseStreamTitle("StreamTitle='한국 가수 - 노래';"), "한국 가수 - 노래");
}

TEST(IcyTitleParser, MissingOrUnclosedFields) {
    EXPECT_FALSE(ParseStreamTitle(""));
    EXPECT_FALSE(ParseStreamTitle("StreamUrl='x';"));
    EXPECT_FALSE(ParseStreamTitle("streamtitle='lower case key';"));
    // No closing "';": the title runs to the end of the block, without a final quote.
    EXPECT_EQ(ParseStreamTitle("StreamTitle='Cut off"), "Cut off");
    EXPECT_EQ(ParseStreamTitle("StreamTitle='Closed'"), "Closed");
    EXPECT_EQ(ParseStreamTitle("StreamTitle='"), "");
    // The block ends at a NUL, as the engine's C string does.
    EXPECT_EQ(ParseStreamTitle(std::string("StreamTitle='A';\0StreamTitle='B';", 34)), "A");
}

TEST(IcyTitleParser, GarbageAndOverlongTitlesAreBounded) {
    const std::string huge(5000, 'x');
    const auto title = ParseStreamTitle("StreamTitle='" + huge + "';");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->size(), kStreamTitleLimit);
    EXPECT_FALSE(ParseStreamTitle(std::string("\xff\xfe\x00\x01garbage", 11)));
}

TEST(IcyTitleParser, HeaderListGivesStationNameAndBitRate) {
    const char list[] = "icy-notice1:<BR>This stream requires Winamp\0icy-name:Test Radio MP3\0icy-br:128\0\0";
    const IcyHeaders h = ParseIcyHeaders(list);
    EXPECT_EQ(h.name, "Test Radio MP3");
    EXPECT_EQ(h.bitrate, "128");
    // Header names in any case, blanks after the colon.
    const char other[] = "ICY-NAME: Spaced Out\0Icy-Br: 64\0\0";
    const IcyHeaders o = ParseIcyHeaders(other);
    EXPECT_EQ(o.name, "Spaced Out");
    EXPECT_EQ(o.bitrate, "64");
}

TEST(IcyTitleParser, HeaderListWithoutFieldsOrEndMarker) {
    const char none[] = "icy-genre:Jazz\0icy-url:http://x\0\0";
    const IcyHeaders n = ParseIcyHeaders(none);
    EXPECT_FALSE(n.name);
    EXPECT_FALSE(n.bitrate);
    EXPECT_FALSE(ParseIcyHeaders(nullptr).name);
    // A list cut off without its empty last string is read up to the bound only.
    const char cut[] = {'i', 'c', 'y', '-', 'b', 'r', ':', '9', '6'};
    EXPECT_EQ(ParseIcyHeaders(cut, sizeof cut).bitrate, "96");
    const std::string longRate = "icy-br:" + std::string(600, '9');
    EXPECT_EQ(ParseIcyHeaders(longRate.c_str(), longRate.size()).bitrate->size(), kBitrateLimit);
}

TEST(IcyTitleParser, StationNameIsAddedOnceAndWithinTheBound) {
    std::string title = "live";
    title = WithStationName(title, "Radio");
    title = WithStationName(title, "Radio");  // the next tick
    EXPECT_EQ(title, "liveRadio");
    const std::string full(kStreamTitleLimit - 2, 't');
    EXPECT_EQ(WithStationName(full, "Radio"), full);
    EXPECT_EQ(WithStationName("x", ""), "x");
}
