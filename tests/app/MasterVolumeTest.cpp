// The controller's master volume against a sound server of the test's own: the first
// reading announced, VolumeSetting writing the sink, a change made with pactl
// announced back; and with no server, nothing announced as open and nothing hanging.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include <cstdlib>

#include "Commands.h"
#include "MasterVolume.h"
#include "PlayerEvents.h"
#include "PrivatePulseServer.h"
#include "QtTestSupport.h"
#include "PlayerHarness.h"
#include "TempRegistry.h"

namespace tavora {
namespace {

struct Announced {
    unsigned value = 0;
    bool open = false;
};

Announced Last(const QSignalSpy& spy) {
    const QList<QVariant> args = spy.back();
    return {args.at(0).toUInt(), args.at(2).toBool()};
}

TEST(MasterVolumeTest, WritesTheSinkAndFollowsChangesMadeElsewhere) {
    test::App();
    test::TempRegistry reg;
    test::PrivatePulseServer server;
    if (!server.Start()) GTEST_SKIP() << "pulseaudio cannot run here";
    ASSERT_TRUE(test::PrivatePulseServer::PactlOk("set-sink-volume @DEFAULT_SINK@ 100%"));
    test::PlayerHarness player({});
    PlayerContext& context = player.context();
    QSignalSpy spy(&context.events, &PlayerEvents::masterVolumeChanged);
    MasterVolume* master = OpenMasterVolume(context);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(Last(spy).open);
    EXPECT_EQ(Last(spy).value, 65535u);
    EXPECT_EQ(spy.back().at(1).toUInt(), 65535u);

    context.commands.Send(cmd::VolumeSetting, CommandData::Value(32768));
    // Half of the 0..65535 scale is half of the server's 100 % (65536), give or take its rounding.
    EXPECT_TRUE(test::WaitUntil([] { return std::abs(test::PrivatePulseServer::SinkVolume() - 32768) <= 1; }))
        << test::PrivatePulseServer::SinkVolume();
    EXPECT_EQ(master->Value(), 32768u);

    ASSERT_TRUE(test::PrivatePulseServer::PactlOk("set-sink-volume @DEFAULT_SINK@ 25%"));
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return spy.count() >= 2 && Last(spy).value == 16384; }))
        << (spy.count() ? Last(spy).value : 0);
    // The read-back timer announces nothing while nothing changed.
    const int count = spy.count();
    master->Refresh();
    EXPECT_EQ(spy.count(), count);
}

TEST(MasterVolumeTest, WithoutASoundServerItStaysInactive) {
    test::App();
    test::TempRegistry reg;
    setenv("PULSE_SERVER", "unix:/nonexistent/tavora-no-server", 1);
    test::PlayerHarness player({});
    PlayerContext& context = player.context();
    QSignalSpy spy(&context.events, &PlayerEvents::masterVolumeChanged);
    MasterVolume* master = OpenMasterVolume(context);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_FALSE(Last(spy).open);
    EXPECT_FALSE(master->IsOpen());
    context.commands.Send(cmd::VolumeSetting, CommandData::Value(1000));
    EXPECT_EQ(master->Value(), 0u);
    unsetenv("PULSE_SERVER");
}

}  // namespace
}  // namespace tavora
