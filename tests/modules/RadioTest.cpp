// Address streams against a real Icecast server on the loopback interface
// (scripts/icy): station headers, successive stream titles, file positions.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <thread>

#include "AudioTestSupport.h"
#include "../support/IcyTestServers.h"
#include "WaitUntil.h"

namespace tavora::test {
namespace {

std::vector<std::string> TagList(const char* tags) {
    std::vector<std::string> lines;
    for (const char* p = tags; p && *p; p += std::strlen(p) + 1) lines.emplace_back(p);
    return lines;
}

TEST(RadioTest, LiveStationGivesItsNameBitRateAndChangingTitles) {
    IcyServer server;
    if (!server.installed()) GTEST_SKIP() << "no Icecast test server (icecast2/ezstream) on this machine";
    ASSERT_TRUE(server.running()) << "the Icecast rig did not start:\n" << server.why();
    setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    const DWORD flags = BASS_STREAM_META | BASS_STREAM_STATUS;
    const HSTREAM radio = BASS_StreamCreateURL(server["ICY_MP3_URL"].c_str(), 0, flags, nullptr, nullptr);
    ASSERT_NE(radio, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_StreamGetFilePosition(radio, BASS_FILEPOS_END), static_cast<DWORD>(-1));
    EXPECT_EQ(BASS_StreamGetLength(radio), static_cast<QWORD>(-1));
    const auto headers = TagList(BASS_StreamGetTags(radio, BASS_TAG_ICY));
    EXPECT_NE(std::find(headers.begin(), headers.end(), "icy-name:Test Radio MP3"), headers.end());
    EXPECT_NE(std::find(headers.begin(), headers.end(), "icy-br:128"), headers.end());
    ASSERT_TRUE(BASS_ChannelPlay(radio, FALSE));

    // Every title the station sends, until the third (the songs change every 6 s).
    std::vector<std::string> titles;
    WaitUntil(
        [&] {
            const char* meta = BASS_StreamGetTags(radio, BASS_TAG_META);
            if (meta && (titles.empty() || titles.back() != meta)) titles.emplace_back(meta);
            return titles.size() >= 3;
        },
        std::chrono::seconds(60));
    ASSERT_GE(titles.size(), 2u);
    const std::set<std::string> expected = {"StreamTitle='" + server["ICY_TITLE_1"] + "';",
                                            "StreamTitle='" + server["ICY_TITLE_2"] + "';"};
    EXPECT_TRUE(expected.count(titles[0])) << titles[0];
    EXPECT_TRUE(expected.count(titles[1])) << titles[1];
    EXPECT_NE(titles[0], titles[1]);
    // Playing all along: the metadata never reached the decoder, so nothing stalled.
    EXPECT_EQ(BASS_ChannelIsActive(radio), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    EXPECT_GT(BASS_ChannelBytes2Seconds(radio, BASS_ChannelGetPosition(radio)), 5.0);
    BASS_StreamFree(radio);

    // A file on a web server: its size is known and fills the buffer.
    const HSTREAM file = BASS_StreamCreateURL(server["ICY_STATIC_MP3_URL"].c_str(), 0, flags, nullptr, nullptr);
    ASSERT_NE(file, 0u);
    EXPECT_EQ(BASS_StreamGetFilePosition(file, BASS_FILEPOS_END), 81176u);
    WaitUntil([&] { return BASS_StreamGetFilePosition(file, BASS_FILEPOS_DOWNLOAD) >= 81176u; });
    EXPECT_EQ(BASS_StreamGetFilePosition(file, BASS_FILEPOS_DOWNLOAD), 81176u);
    EXPECT_LE(BASS_StreamGetFilePosition(file, BASS_FILEPOS_DECODE), 81176u);
    BASS_StreamFree(file);

    // Chained Ogg radio: the titles of its links are offered like ICY titles.
    const HSTREAM ogg = BASS_StreamCreateURL(server["ICY_OGG_URL"].c_str(), 0, flags, nullptr, nullptr);
    ASSERT_NE(ogg, 0u);
    BASS_CHANNELINFO info {};
    BASS_ChannelGetInfo(ogg, &info);
    EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_OGG);
    BASS_ChannelPlay(ogg, FALSE);
    const char* meta = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (meta = BASS_StreamGetTags(ogg, BASS_TAG_META)) != nullptr; }));
    EXPECT_TRUE(expected.count(meta)) << meta;
    BASS_StreamFree(ogg);

    // A station that never sends titles: its name, no metadata, and it still plays.
    const HSTREAM plain = BASS_StreamCreateURL(server["ICY_NOMETA_URL"].c_str(), 0, flags, nullptr, nullptr);
    ASSERT_NE(plain, 0u);
    const auto plainHeaders = TagList(BASS_StreamGetTags(plain, BASS_TAG_ICY));
    EXPECT_NE(std::find(plainHeaders.begin(), plainHeaders.end(), "icy-name:Test Radio No Meta"), plainHeaders.end());
    BASS_ChannelPlay(plain, FALSE);
    EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelBytes2Seconds(plain, BASS_ChannelGetPosition(plain)) > 0.8; }));
    EXPECT_EQ(BASS_StreamGetTags(plain, BASS_TAG_META), nullptr);
    BASS_Free();
    unsetenv("TAVORA_AUDIO_OUTPUT");
}

}  // namespace
}  // namespace tavora::test
