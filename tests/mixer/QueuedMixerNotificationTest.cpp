// The mixer's notification handed to the user-interface thread: the handler runs there,
// where widgets may be touched, and reads the new value.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include "PrivatePulseServer.h"
#include "mixer/QueuedMixerNotification.h"

namespace tavora::test {
namespace {

using platform::kMasterVolumeMax;
using platform::SystemMixer;

TEST(QueuedMixerNotificationTest, TheHandlerRunsOnTheReceiversThreadWithTheNewValue) {
    int argc = 1;
    char name[] = "mixer_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    PrivatePulseServer server;
    if (!server.Start()) GTEST_SKIP() << "pulseaudio cannot run here";

    QObject receiver;
    SystemMixer* mixer = nullptr;
    int calls = 0;
    bool onMainThread = true;
    unsigned seen = 0;
    SystemMixer mixerOnServer(platform::QueuedMixerNotification(&receiver, [&] {
        ++calls;
        onMainThread = onMainThread && QThread::currentThread() == app.thread();
        seen = mixer->Volume();
    }));
    mixer = &mixerOnServer;
    ASSERT_TRUE(mixer->Open());
    ASSERT_TRUE(PrivatePulseServer::PactlOk("set-sink-volume @DEFAULT_SINK@ 40%"));
    ASSERT_TRUE(WaitUntil([&] { return calls > 0 && seen == mixer->Volume(); }, kStateTimeout,
                          [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); }));
    EXPECT_TRUE(onMainThread);
    EXPECT_NEAR(static_cast<double>(seen) / kMasterVolumeMax, 0.40, 0.001);
    mixer->Close();
}

}  // namespace
}  // namespace tavora::test
