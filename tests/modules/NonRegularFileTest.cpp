// Opening songs that are no regular files (a FIFO named "x.mp3", a link to /dev/zero,
// a folder) fails at once in every module, like a file that does not open.

#include <gtest/gtest.h>

#include "../support/NonRegularFiles.h"
#include "AudioTestSupport.h"

namespace tavora::test {
namespace {

TEST(NonRegularFileTest, EveryModuleRefusesAtOnce) {
    setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    MediaFolder media;
    for (const char* extension : {"mp3", "wma", "cda"}) {
        for (const NonRegularFile& file : MakeNonRegularFiles(media.Path(""), extension)) {
            const char* path = file.path.c_str();
            auto refused = [](HSTREAM stream) {
                EXPECT_EQ(stream, 0u);
                if (stream) BASS_StreamFree(stream);
            };
            EXPECT_TRUE(ReturnsPromptly([&] { refused(BASS_StreamCreateFile(FALSE, path, 0, 0, BASS_STREAM_DECODE)); },
                                        file)) << path;
            EXPECT_TRUE(ReturnsPromptly(
                [&] { refused(BASS_WMA_StreamCreateFile(FALSE, path, 0, 0, BASS_STREAM_DECODE)); }, file)) << path;
            EXPECT_TRUE(ReturnsPromptly([&] { refused(BASS_CD_StreamCreateFile(path, BASS_STREAM_DECODE)); }, file))
                << path;
        }
    }
    BASS_Free();
    unsetenv("TAVORA_AUDIO_OUTPUT");
}

}  // namespace
}  // namespace tavora::test
