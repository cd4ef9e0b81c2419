// Output start-up: the sound server must be reachable unless the output is overridden,
// and device 1 plays into the default PulseAudio sink of a private server.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>

#include "AudioTestSupport.h"
#include "WaitUntil.h"

extern char** environ;

namespace tavora::test {
namespace {

TEST(OutputTest, InitFailsWithoutASoundServer) {
    unsetenv("TAVORA_AUDIO_OUTPUT");
    setenv("PULSE_SERVER", "unix:/nonexistent/tavora/native", 1);
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DRIVER);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "/dev/null", 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    unsetenv("PULSE_SERVER");
}

TEST(OutputTest, UnknownDevicesAndSecondInitAreRefused) {
    setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
    EXPECT_FALSE(BASS_Init(5, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_TRUE(BASS_Free());
    EXPECT_FALSE(BASS_Free());
    setenv("TAVORA_AUDIO_OUTPUT", "wav:/nonexistent/folder/out.wav", 1);
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    unsetenv("TAVORA_AUDIO_OUTPUT");
}

// A private PulseAudio with a null sink, as on a desktop without sound hardware.
class PrivatePulse {
public:
    explicit PrivatePulse(const std::string& dir) {
        const std::string config = dir + "/default.pa";
        socket_ = dir + "/native";
        std::ofstream(config) << "load-module module-null-sink sink_name=null_out\nset-default-sink null_out\n"
                                 "load-module module-native-protocol-unix socket=" << socket_ << " auth-anonymous=1\n";
        setenv("PULSE_RUNTIME_PATH", dir.c_str(), 1);
        setenv("PULSE_STATE_PATH", dir.c_str(), 1);
        std::vector<std::string> args = {"pulseaudio", "-n", "--file=" + config, "--daemonize=no", "--system=false",
                                         "--exit-idle-time=-1", "--use-pid-file=no", "--realtime=no",
                                         "--high-priority=no", "--log-target=stderr", "--log-level=error"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, "pulseaudio", nullptr, nullptr, argv.data(), environ) != 0) pid_ = 0;
        setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
        // The socket appears before the server takes clients: wait until it answers.
        if (pid_) WaitUntil([this] { return std::filesystem::exists(socket_) && Answers(); });
    }
    ~PrivatePulse() {
        if (pid_) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        unsetenv("PULSE_SERVER");
    }
    bool running() const { return pid_ && std::filesystem::exists(socket_) && Answers(); }
    static bool Answers() { return std::system("pactl info >/dev/null 2>&1") == 0; }

private:
    pid_t pid_ = 0;
    std::string socket_;
};

TEST(OutputTest, DeviceOnePlaysIntoTheDefaultPulseSink) {
    MediaFolder media;
    PrivatePulse pulse(media.Path(""));
    if (!pulse.running()) GTEST_SKIP() << "pulseaudio could not be started here";
    unsetenv("TAVORA_AUDIO_OUTPUT");
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr)) << BASS_ErrorGetCode();
    const std::string path = media.FfmpegTone("tone.wav", 440, 1.5, 44100, 2, "-c:a pcm_s16le");
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    // The server may take a moment to start its sink; after that it takes sound at its
    // own pace: the position moves on, and never faster than time passes (a sink that
    // took the sound without playing it would let the whole file through at once).
    auto seconds = [&] { return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream)); };
    ASSERT_TRUE(WaitUntil([&] { return seconds() >= 0.2; })) << "the stream does not start";
    const double first = seconds();
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitUntil([&] { return seconds() >= first + 0.5; })) << "the stream stalls";
    const double second = seconds();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // The sink's buffer may run ahead of the clock by its latency (well below 0.25 s).
    EXPECT_LE(second - first, elapsed + 0.25);
    EXPECT_TRUE(MediaFolder::Run("pactl list sink-inputs | grep -q TavoraPlayer"));
    EXPECT_TRUE(WavOutputSession::WaitUntilStopped(stream));
    BASS_Free();
}

// The sound server goes away in the middle of a song: playback keeps to real time
// (it used to race through the rest of the song, and so through the whole playlist),
// the loss can be asked for, and the sound comes back when the server does.
TEST(OutputTest, LostSoundServerKeepsTimeAndIsReconnected) {
    MediaFolder media;
    auto pulse = std::make_unique<PrivatePulse>(media.Path(""));
    if (!pulse->running()) GTEST_SKIP() << "pulseaudio could not be started here";
    unsetenv("TAVORA_AUDIO_OUTPUT");
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr)) << BASS_ErrorGetCode();
    EXPECT_EQ(TAVORA_OutputError(), BASS_OK);
    const std::string path = media.FfmpegTone("long.wav", 440, 60, 44100, 2, "-c:a pcm_s16le");
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    auto seconds = [&] { return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream)); };
    auto waitFor = [](auto condition) { return WaitUntil(condition); };
    ASSERT_TRUE(waitFor([&] { return seconds() > 0.2; }));

    pulse.reset();  // the server quits
    ASSERT_TRUE(waitFor([] { return TAVORA_OutputError() == BASS_ERROR_DRIVER; }));
    const auto lost = std::chrono::steady_clock::now();
    const double atLoss = seconds();
    ASSERT_TRUE(waitFor([&] { return std::chrono::steady_clock::now() - lost >= std::chrono::seconds(1); }));
    // One second of wall time: about one second of song, surely not the whole minute.
    const double moved = seconds() - atLoss;
    EXPECT_GT(moved, 0.2);
    EXPECT_LT(moved, 3.0);
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PLAYING));

    pulse = std::make_unique<PrivatePulse>(media.Path(""));
    ASSERT_TRUE(pulse->running());
    EXPECT_TRUE(waitFor([] { return TAVORA_OutputError() == BASS_OK; }));
    EXPECT_TRUE(waitFor([] { return MediaFolder::Run("pactl list sink-inputs 2>/dev/null | grep -q TavoraPlayer"); }));
    BASS_Free();
}

}  // namespace
}  // namespace tavora::test
