// The engine modules leave libcurl unloaded until an address is opened, the resampler
// until a song's rate differs from the output's, and FFmpeg until a Windows Media file
// needs it; each then works as before. A program of its own, so that nothing else in
// it has them loaded already; FFmpeg comes last, as it brings the resampler.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "AudioTestSupport.h"
#include "LoopbackWebServer.h"
#include "tavora/bass_api.h"

namespace tavora::test {
namespace {

bool Mapped(const std::vector<std::string>& libraries) {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        for (const std::string& library : libraries)
            if (line.find(library) != std::string::npos) return true;
    return false;
}

bool FfmpegMapped() { return Mapped({"libavformat.so", "libavcodec.so"}); }

TEST(OnDemandLibrariesTest, LibcurlLoadsWhenAnAddressIsOpened) {
    MediaFolder media;
    const std::string mp3 = media.FfmpegTone("tone.mp3", 440, 2.0, 44100, 2, "-c:a libmp3lame");
    ASSERT_FALSE(mp3.empty());
    std::ifstream in(mp3, std::ios::binary);
    const std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LoopbackWebServer server([&body](Connection& c) {
        if (!c.ReadRequest()) return;
        c.Send("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\n\r\n");
        c.Send(body);
    });
    ASSERT_TRUE(server.running());
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));

    const HSTREAM file = BASS_StreamCreateFile(FALSE, mp3.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(file, 0u);
    BASS_StreamFree(file);
    EXPECT_FALSE(Mapped({"libcurl.so"}));

    const HSTREAM stream = BASS_StreamCreateURL(server.url("tone.mp3").c_str(), 0,
                                                BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT, nullptr, nullptr);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    EXPECT_TRUE(Mapped({"libcurl.so"}));
    std::vector<float> buffer(4096);
    EXPECT_GT(BASS_ChannelGetData(stream, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(float))), 0);
    BASS_StreamFree(stream);
    BASS_Free();
}

// A song at the output's rate plays without the resampler; one at another rate loads
// it and keeps its pitch.
TEST(OnDemandLibrariesTest, TheResamplerLoadsWithTheFirstSongAtAnotherRate) {
    MediaFolder media;
    const std::string same = media.FfmpegTone("same.wav", 440, 0.3, 44100, 2, "-c:a pcm_s16le");
    const std::string other = media.FfmpegTone("other.wav", 440, 0.5, 22050, 2, "-c:a pcm_s16le");
    ASSERT_FALSE(same.empty());
    ASSERT_FALSE(other.empty());
    WavOutputSession session;
    ASSERT_TRUE(session.ready());
    const auto playToTheEnd = [](const std::string& path) {
        const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
        const bool played = stream && BASS_ChannelPlay(stream, TRUE) && WavOutputSession::WaitUntilStopped(stream);
        BASS_StreamFree(stream);
        return played;
    };
    ASSERT_TRUE(playToTheEnd(same));
    EXPECT_FALSE(Mapped({"libswresample.so"}));
    ASSERT_TRUE(playToTheEnd(other));
    EXPECT_TRUE(Mapped({"libswresample.so"}));
    const Sound heard = session.Finish();
    const Range range = AudibleRange(heard.left, heard.rate);
    ASSERT_GT(range.end, range.begin + 8000);
    EXPECT_NEAR(ToneFrequency(heard.left, range.end - 8000, range.end - 2000, heard.rate), 440.0, 2.0);
}

TEST(OnDemandLibrariesTest, FfmpegLoadsOnlyWhenAWindowsMediaFileOpens) {
    MediaFolder media;
    const std::string wma = media.FfmpegTone("tone.wma", 440, 1.0, 44100, 2, "-c:a wmav2 -b:a 128k");
    const std::string mp3 = media.FfmpegTone("tone.mp3", 440, 1.0, 44100, 2, "-c:a libmp3lame");
    ASSERT_FALSE(wma.empty());
    ASSERT_FALSE(mp3.empty());
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));

    // Playing an MP3, and refusing a WMA file through the wrong door, need no FFmpeg.
    const HSTREAM song = BASS_StreamCreateFile(FALSE, mp3.c_str(), 0, 0, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    ASSERT_NE(song, 0u);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, wma.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
    EXPECT_EQ(BASS_WMA_StreamCreateFile(FALSE, mp3.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
    std::vector<float> buffer(4096);
    EXPECT_GT(BASS_ChannelGetData(song, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(float))), 0);
    EXPECT_FALSE(FfmpegMapped());

    const HSTREAM stream = BASS_WMA_StreamCreateFile(FALSE, wma.c_str(), 0, 0, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    ASSERT_NE(stream, 0u);
    EXPECT_TRUE(FfmpegMapped());
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(stream, BASS_StreamGetLength(stream)), 1.0, 0.1);
    EXPECT_GT(BASS_ChannelGetData(stream, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(float))), 0);
    // A stream freed and another opened: the module stays and serves again.
    BASS_StreamFree(stream);
    const HSTREAM again = BASS_WMA_StreamCreateFile(FALSE, wma.c_str(), 0, 0, BASS_STREAM_DECODE);
    EXPECT_NE(again, 0u);
    BASS_StreamFree(again);
    BASS_StreamFree(song);
    BASS_Free();
}

}  // namespace
}  // namespace tavora::test
