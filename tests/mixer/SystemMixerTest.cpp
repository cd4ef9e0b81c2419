// The master volume against a real sound server of the test's own: what the mixer reads
// and writes must be what pactl sees, changes made elsewhere must be told and followed,
// and a missing, dying or returning server must never hurt the caller.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "PrivatePulseServer.h"
#include "mixer/SystemMixer.h"

namespace tavora::test {
namespace {

using platform::kMasterVolumeMax;
using platform::MasterFromPulse;
using platform::PulseFromMaster;
using platform::SystemMixer;

TEST(MasterVolumeScaleTest, EveryMasterValueReadsBackUnchangedAndEndsMeetTheServerScale) {
    for (unsigned value = 0; value <= kMasterVolumeMax; ++value)
        ASSERT_EQ(MasterFromPulse(PulseFromMaster(value)), value) << value;
    EXPECT_EQ(PulseFromMaster(0), PA_VOLUME_MUTED);
    EXPECT_EQ(PulseFromMaster(kMasterVolumeMax), PA_VOLUME_NORM);
    EXPECT_EQ(PulseFromMaster(kMasterVolumeMax + 1), PA_VOLUME_NORM);
    // Turned up past 100 % by another program: the top of the slider.
    EXPECT_EQ(MasterFromPulse(PA_VOLUME_NORM * 3 / 2), kMasterVolumeMax);
}

// A mixer on the test's server, counting its notifications.
class MixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.Start()) GTEST_SKIP() << "pulseaudio cannot run here";
    }
    int Notified() const { return notifications.load(); }
    static unsigned PactlMaster() { return MasterFromPulse(static_cast<pa_volume_t>(PrivatePulseServer::SinkVolume())); }

    PrivatePulseServer server;
    std::atomic<int> notifications{0};
    std::atomic<std::thread::id> notifiedOn{};
    SystemMixer mixer{[this] {
        notifiedOn = std::this_thread::get_id();
        ++notifications;
    }};
};

TEST_F(MixerTest, ReadsTheLoudestChannelAndTheMuteOfTheDefaultSink) {
    ASSERT_TRUE(PrivatePulseServer::PactlOk("set-sink-volume @DEFAULT_SINK@ 30% 45%"));
    ASSERT_TRUE(PrivatePulseServer::PactlOk("set-sink-mute @DEFAULT_SINK@ 1"));
    ASSERT_TRUE(mixer.Open());
    EXPECT_TRUE(mixer.IsOpen());
    EXPECT_EQ(mixer.Volume(), PactlMaster());
    EXPECT_NEAR(static_cast<double>(mixer.Volume()) / kMasterVolumeMax, 0.45, 0.001);
    EXPECT_TRUE(mixer.Muted());
    EXPECT_EQ(Notified(), 0) << "opening is no change";
}

TEST_F(MixerTest, WritingScalesEveryChannelKeepingTheBalance) {
    ASSERT_TRUE(PrivatePulseServer::PactlOk("set-sink-volume @DEFAULT_SINK@ 80% 40%"));
    ASSERT_TRUE(mixer.Open());
    const unsigned half = kMasterVolumeMax / 2;
    ASSERT_TRUE(mixer.SetVolume(half));
    EXPECT_EQ(mixer.Volume(), half) << "the value written reads back at once";
    const long left = PulseFromMaster(half);
    ASSERT_TRUE(WaitUntil([&] { return PrivatePulseServer::SinkVolume() == left; }))
        << PrivatePulseServer::SinkChannels();
    const std::string channels = PrivatePulseServer::SinkChannels();
    const long right = std::stol(channels.substr(channels.find(' ') + 1));
    EXPECT_NEAR(right, left / 2, 1) << channels;
    EXPECT_EQ(mixer.Volume(), half);

    // Beyond the maximum is the maximum, never more than 100 % on any channel.
    ASSERT_TRUE(mixer.SetVolume(kMasterVolumeMax + 5000));
    ASSERT_TRUE(WaitUntil([] { return PrivatePulseServer::SinkVolume() == PA_VOLUME_NORM; }));
    ASSERT_TRUE(mixer.SetVolume(0));
    ASSERT_TRUE(WaitUntil([] { return PrivatePulseServer::SinkChannels() == "0 0"; }));
    EXPECT_EQ(Notified(), 0) << "our own writes are not reported back to us";
}

TEST_F(MixerTest, AChangeMadeElsewhereIsToldOnTheMixerThreadAndReadBack) {
    ASSERT_TRUE(mixer.Open());
    ASSERT_TRUE(PrivatePulseServer::PactlOk("set-sink-volume @DEFAULT_SINK@ 30%"));
    ASSERT_TRUE(WaitUntil([&] { return Notified() > 0; }));
    EXPECT_EQ(mixer.Volume(), PactlMaster());
    EXPECT_NEAR(static_cast<double>(mixer.Volume()) / kMasterVolumeMax, 0.30, 0.001);
    EXPECT_NE(notifiedOn.load(), std::this_thread::get_id());
}

TEST_F(MixerTest, MuteGoesBothWays) {
    ASSERT_TRUE(mixer.Open());
    ASSERT_FALSE(mixer.Muted());
    ASSERT_TRUE(mixer.SetMute(true));
    EXPECT_TRUE(mixer.Muted());
    ASSERT_TRUE(WaitUntil([] { return PrivatePulseServer::SinkMuted(); }));

    ASSERT_TRUE(PrivatePulseServer::PactlOk("set-sink-mute @DEFAULT_SINK@ 0"));
    ASSERT_TRUE(WaitUntil([&] { return Notified() > 0 && !mixer.Muted(); }));
    EXPECT_FALSE(PrivatePulseServer::SinkMuted());
}

TEST_F(MixerTest, FollowsTheDefaultSinkWhenItChanges) {
    ASSERT_TRUE(mixer.Open());
    const std::string module = PrivatePulseServer::Pactl("load-module module-null-sink sink_name=second");
    ASSERT_FALSE(module.empty());
    ASSERT_TRUE(PrivatePulseServer::PactlOk("set-sink-volume second 20%"));
    ASSERT_TRUE(PrivatePulseServer::PactlOk("set-default-sink second"));
    ASSERT_TRUE(WaitUntil([&] { return Notified() > 0 && mixer.Volume() == PactlMaster(); }));
    EXPECT_NEAR(static_cast<double>(mixer.Volume()) / kMasterVolumeMax, 0.20, 0.001);

    // Writes go to the new default, not to the sink the mixer first found.
    ASSERT_TRUE(mixer.SetVolume(kMasterVolumeMax));
    ASSERT_TRUE(WaitUntil([] { return PrivatePulseServer::SinkVolume() == PA_VOLUME_NORM; }));
    const std::string first = PrivatePulseServer::Pactl("get-sink-volume null_out");
    EXPECT_NE(first.find("100%"), std::string::npos) << first;

    // The default sink removed: the server falls back to the first one, and so do we.
    ASSERT_TRUE(PrivatePulseServer::PactlOk("set-sink-volume null_out 60%"));
    ASSERT_TRUE(PrivatePulseServer::PactlOk("unload-module " + std::to_string(std::stoi(module))));
    EXPECT_TRUE(WaitUntil([&] { return mixer.IsOpen() && mixer.Volume() == PactlMaster(); }));
}

TEST_F(MixerTest, TheChangeCallbackMayReadAndWriteTheMixer) {
    std::atomic<bool> wrote{false};
    SystemMixer* self = nullptr;
    SystemMixer reacting([&] {
        // Runs on the mixer's own thread: neither call may wait for that thread.
        if (self->Read().open && self->Volume() != kMasterVolumeMax / 4 && !wrote.exchange(true))
            self->SetVolume(kMasterVolumeMax / 4);
    });
    self = &reacting;
    ASSERT_TRUE(reacting.Open());
    ASSERT_TRUE(PrivatePulseServer::PactlOk("set-sink-volume @DEFAULT_SINK@ 70%"));
    ASSERT_TRUE(WaitUntil([&] { return wrote.load(); }));
    EXPECT_TRUE(WaitUntil([] { return PrivatePulseServer::SinkVolume() == PulseFromMaster(kMasterVolumeMax / 4); }));
}

TEST_F(MixerTest, ALostServerClosesTheMixerAndItsReturnReopensIt) {
    ASSERT_TRUE(mixer.Open());
    ASSERT_TRUE(mixer.SetVolume(kMasterVolumeMax / 3));
    ASSERT_TRUE(WaitUntil([] { return PrivatePulseServer::SinkVolume() == PulseFromMaster(kMasterVolumeMax / 3); }));

    server.Kill();
    ASSERT_TRUE(WaitUntil([&] { return !mixer.IsOpen() && Notified() == 1; }));
    EXPECT_EQ(mixer.Volume(), 0u);
    EXPECT_FALSE(mixer.SetVolume(kMasterVolumeMax));
    EXPECT_FALSE(mixer.SetMute(true));

    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(WaitUntil([&] { return mixer.IsOpen() && Notified() == 2; }));
    // A fresh server starts its sink at full volume; the mixer reads the new truth.
    EXPECT_EQ(mixer.Volume(), PactlMaster());
    EXPECT_EQ(mixer.Volume(), kMasterVolumeMax);
    ASSERT_TRUE(mixer.SetMute(true));
    EXPECT_TRUE(WaitUntil([] { return PrivatePulseServer::SinkMuted(); }));
}

TEST(MixerWithoutServerTest, OpenFailsAndEveryCallIsHarmless) {
    setenv("PULSE_SERVER", "unix:/nonexistent/tavora-mixer/native", 1);
    std::atomic<int> notifications{0};
    SystemMixer mixer([&] { ++notifications; });
    EXPECT_FALSE(mixer.Open());
    EXPECT_FALSE(mixer.IsOpen());
    EXPECT_EQ(mixer.Volume(), 0u);
    EXPECT_FALSE(mixer.Muted());
    EXPECT_FALSE(mixer.SetVolume(1000));
    EXPECT_FALSE(mixer.SetMute(true));
    EXPECT_FALSE(mixer.Open()) << "reopening";
    mixer.Close();
    mixer.Close();
    EXPECT_FALSE(mixer.SetVolume(1000)) << "closed";
    EXPECT_EQ(notifications.load(), 0);

    SystemMixer neverOpened;
    EXPECT_FALSE(neverOpened.IsOpen());
    EXPECT_FALSE(neverOpened.SetMute(false));
    unsetenv("PULSE_SERVER");
}

TEST(MixerLateServerTest, AServerStartedAfterOpenIsPickedUp) {
    PrivatePulseServer server;  // points the client at it, not running yet
    std::atomic<int> notifications{0};
    SystemMixer mixer([&] { ++notifications; });
    EXPECT_FALSE(mixer.Open());
    if (!server.Start()) GTEST_SKIP() << "pulseaudio cannot run here";
    ASSERT_TRUE(WaitUntil([&] { return mixer.IsOpen() && notifications.load() == 1; }));
    EXPECT_EQ(mixer.Volume(), MasterFromPulse(static_cast<pa_volume_t>(PrivatePulseServer::SinkVolume())));
}

}  // namespace
}  // namespace tavora::test
