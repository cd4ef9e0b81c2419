// The engine modules leave FFmpeg unloaded until a Windows Media file needs it; the
// file then plays as before. A program of its own, so that nothing else in it has
// FFmpeg loaded already.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "AudioTestSupport.h"
#include "tavora/bass_api.h"

namespace tavora::test {
namespace {

bool FfmpegMapped() {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find("libavformat.so") != std::string::npos || line.find("libavcodec.so") != std::string::npos)
            return true;
    return false;
}

TEST(FfmpegOnDemandTest, LoadedOnlyWhenAWindowsMediaFileOpens) {
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
