// The automation service and the MPRIS player on a private session bus: holds by
// client, release by vanishing, the activation file; MPRIS calls arriving as commands.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <QDBusReply>
#include <QFile>
#include <QTimer>

#include <limits>
#include <memory>

#include "AutomationService.h"
#include "CommandSink.h"
#include "MprisService.h"
#include "PlaybackView.h"
#include "PlayerEvents.h"
#include "PrivateBus.h"
#include "QtTestSupport.h"
#include "RecordingSink.h"
#include "Settings.h"
#include "StateView.h"
#include "TempFolder.h"

using namespace tavora;

namespace {

test::PrivateBus& Bus() {
    static auto* bus = new test::PrivateBus;  // lives as long as the process
    return *bus;
}

using test::RecordingSink;
using test::StateView;

// Counts the player's PropertiesChanged signals that name a property.
class ChangeListener : public QObject {
    Q_OBJECT
public:
    QStringList changed;
public slots:
    void OnChanged(const QString&, const QVariantMap& properties, const QStringList&) {
        changed += properties.keys();
    }
};

// A second program on the bus: its own connection, so its own unique name.
QDBusConnection Client(const QString& name) { return QDBusConnection::connectToBus(Bus().address(), name); }

QDBusMessage CallAutomation(QDBusConnection& c, const char* method) {
    // The service answers on this thread: wait with the event loop running.
    return c.call(QDBusMessage::createMethodCall(QString::fromLatin1(kAutomationService),
                                                 QString::fromLatin1(kAutomationPath),
                                                 QString::fromLatin1(kAutomationService), QString::fromLatin1(method)),
                  QDBus::BlockWithGui);
}

QDBusMessage CallMpris(QDBusConnection& c, const char* method) {
    return c.call(QDBusMessage::createMethodCall(QString::fromLatin1(kMprisService), QString::fromLatin1(kMprisPath),
                                                 QStringLiteral("org.mpris.MediaPlayer2.Player"),
                                                 QString::fromLatin1(method)),
                  QDBus::BlockWithGui);
}

QVariant MprisProperty(QDBusConnection& c, const char* name) {
    QDBusMessage get = QDBusMessage::createMethodCall(QString::fromLatin1(kMprisService),
                                                      QString::fromLatin1(kMprisPath),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << QStringLiteral("org.mpris.MediaPlayer2.Player") << QString::fromLatin1(name);
    const QDBusMessage reply = c.call(get, QDBus::BlockWithGui);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

class SessionBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Bus().ok()) GTEST_SKIP() << "dbus-daemon is not there";
        test::App();
    }
    // An MPRIS player over a recording sink and a view the test sets.
    MprisPlayer& Mpris() {
        player_ = std::make_unique<MprisPlayer>(sink, view, events, settings_, std::function<void()>{});
        return *player_;
    }
    static bool ListenForChanges(QDBusConnection& c, ChangeListener& listener) {
        return c.connect(QString(), QString::fromLatin1(kMprisPath), QStringLiteral("org.freedesktop.DBus.Properties"),
                         QStringLiteral("PropertiesChanged"), &listener,
                         SLOT(OnChanged(QString, QVariantMap, QStringList)));
    }

    Settings settings_;  // the defaults: nothing is loaded from a store
    RecordingSink sink;
    StateView view;
    PlayerEvents events;
    std::unique_ptr<MprisPlayer> player_;  // goes before what it uses
};

}  // namespace

TEST_F(SessionBusTest, ClientsHoldUntilTheyReleaseOrLeaveTheBus) {
    std::vector<bool> told;
    AutomationService service([&](bool held) { told.push_back(held); });
    ASSERT_TRUE(service.Register());
    QDBusConnection a = Client(QStringLiteral("a"));
    {
        // Held only here, so that dropping the name below really closes it.
        QDBusConnection b = Client(QStringLiteral("b"));
        ASSERT_EQ(CallAutomation(a, "Attach").type(), QDBusMessage::ReplyMessage);
        ASSERT_EQ(CallAutomation(b, "Attach").type(), QDBusMessage::ReplyMessage);
    }
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return service.holds() == 2; }));
    EXPECT_EQ(told, std::vector<bool>{true});
    // One client cannot let go of another's hold, nor twice of its own.
    CallAutomation(a, "Release");
    CallAutomation(a, "Release");
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return service.holds() == 1; }));
    EXPECT_EQ(told, std::vector<bool>{true});
    // b ends without a word: the bus tells, and its hold goes.
    QDBusConnection::disconnectFromBus(QStringLiteral("b"));
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return service.holds() == 0; }));
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
    a = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(QStringLiteral("a"));
}

TEST_F(SessionBusTest, SecondServiceCannotTakeTheName) {
    AutomationService first([](bool) {});
    ASSERT_TRUE(first.Register());
    AutomationService second([](bool) {});
    EXPECT_FALSE(second.Register());
}

TEST_F(SessionBusTest, ActivationFileNamesTheServiceAndTheProgram) {
    test::TempFolder home("data");
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    ASSERT_TRUE(WriteAutomationServiceFile(QStringLiteral("/opt/tavora/bin/tavoraplayer")));
    QFile file(AutomationServiceFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              QStringLiteral("[D-BUS Service]\nName=TavoraPlayer.Application\nExec=/opt/tavora/bin/tavoraplayer\n"));
    EXPECT_TRUE(AutomationServiceFilePath().startsWith(QString::fromStdString(home.path().string())));
    // A path the bus would split into words is refused, not written half.
    EXPECT_FALSE(WriteAutomationServiceFile(QStringLiteral("/opt/my player/tavoraplayer")));
    unsetenv("XDG_DATA_HOME");
}

TEST_F(SessionBusTest, MprisCallsArriveAsTheSameCommandsAsTheButtons) {
    MprisPlayer& player = Mpris();
    ASSERT_TRUE(player.Register());
    QDBusConnection c = Client(QStringLiteral("mpris"));
    EXPECT_EQ(MprisProperty(c, "PlaybackStatus").toString(), QStringLiteral("Stopped"));
    view.state.isPaused = 1;
    view.state.volumeMax = 40;
    view.state.volume = 10;
    EXPECT_EQ(MprisProperty(c, "PlaybackStatus").toString(), QStringLiteral("Paused"));
    EXPECT_DOUBLE_EQ(MprisProperty(c, "Volume").toDouble(), 0.25);
    view.state.isPaused = 0;
    for (const char* method : {"Pause", "Play", "Next", "Previous", "Stop"})  // nothing plays: nothing to pause
        EXPECT_EQ(CallMpris(c, method).type(), QDBusMessage::ReplyMessage) << method;
    std::vector<int> ids;
    for (const auto& [id, data] : sink.sent) ids.push_back(id);
    EXPECT_EQ(ids, (std::vector<int>{cmd::Play, cmd::Next, cmd::Back, cmd::Stop}));
    QDBusConnection::disconnectFromBus(QStringLiteral("mpris"));
}

TEST_F(SessionBusTest, MprisAnnouncesAStateChangeThatMovedWhatItShows) {
    MprisPlayer& player = Mpris();
    view.state.volumeMax = 40;
    view.state.volume = 10;
    ASSERT_TRUE(player.Register());
    QDBusConnection c = Client(QStringLiteral("listener"));
    ChangeListener listener;
    ASSERT_TRUE(ListenForChanges(c, listener));
    // A position tick moves nothing the properties show; a volume change does.
    view.position = 3;
    emit events.displayChanged();
    view.state.volume = 20;
    emit events.stateChanged(StateFact::Volume);
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return listener.changed.contains(QStringLiteral("Volume")); }));
    EXPECT_EQ(listener.changed, QStringList{QStringLiteral("Volume")});
    QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
}

TEST_F(SessionBusTest, MprisFollowsATrackChangeWithoutATimer) {
    MprisPlayer& player = Mpris();
    ASSERT_TRUE(player.Register());
    QDBusConnection c = Client(QStringLiteral("tracks"));
    ChangeListener listener;
    ASSERT_TRUE(ListenForChanges(c, listener));
    // Nothing in the player counts time: what it announces comes from the events alone.
    EXPECT_TRUE(player.findChildren<QTimer*>().isEmpty());
    view.state.isPlaying = 1;
    view.state.channelHandle = 9;
    view.state.titleText = "둘째 곡";
    view.path = "/music/b.mp3";
    emit events.trackChanged();
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return listener.changed.contains(QStringLiteral("Metadata")); }));
    EXPECT_TRUE(listener.changed.contains(QStringLiteral("PlaybackStatus")));
    QDBusConnection::disconnectFromBus(QStringLiteral("tracks"));
}

TEST_F(SessionBusTest, MprisSeekVolumeAndLoopKeepTheirRanges) {
    MprisPlayer& player = Mpris();
    view.state.isPlaying = 1;
    view.state.channelHandle = 7;
    view.state.lengthSeconds = 100;
    view.state.volumeMax = 60;
    view.state.volume = 30;
    view.position = 40;
    EXPECT_DOUBLE_EQ(player.volume(), 0.5);
    EXPECT_EQ(player.position(), 40000000);

    constexpr qlonglong kMax = std::numeric_limits<qlonglong>::max(), kMin = std::numeric_limits<qlonglong>::min();
    const QDBusObjectPath track(QStringLiteral("/org/tavoraplayer/track/7"));
    player.Seek(-50000000);  // before the start: to the start
    player.Seek(kMin);
    player.Seek(15000000);
    player.Seek(70000000);   // past the end: the next song
    player.Seek(kMax);
    player.SetPosition(QDBusObjectPath(QStringLiteral("/org/tavoraplayer/track/6")), 5000000);  // another song
    player.SetPosition(track, 200000000);  // beyond it: nothing
    player.SetPosition(track, kMax);
    player.SetPosition(track, -1);
    player.SetPosition(track, kMin);
    player.SetPosition(track, 12000000);
    // A length beyond what a position in seconds can carry is held there.
    view.state.lengthSeconds = 4000000000u;
    player.Seek(3000000000LL * 1000000);
    view.state.lengthSeconds = 100;
    player.setVolume(2.0);
    player.setVolume(0.25);
    player.setLoopStatus(QStringLiteral("Playlist"));
    player.setLoopStatus(QStringLiteral("Sometimes"));
    player.OpenUri(QStringLiteral("ftp://example.org/a.mp3"));
    player.OpenUri(QStringLiteral("file:///music/a%20b.mp3"));
    std::vector<std::pair<int, int>> got;
    for (const auto& [id, data] : sink.sent) got.emplace_back(id, data.value.value_or(-1));
    const std::vector<std::pair<int, int>> expected = {
        {cmd::SeekTo, 0},        {cmd::SeekTo, 0},         {cmd::SeekTo, 55},
        {cmd::Next, -1},         {cmd::Next, -1},          {cmd::SeekTo, 12},
        {cmd::SeekTo, std::numeric_limits<int>::max()},
        {cmd::SetVolume, 60},    {cmd::SetVolume, 15},     {cmd::SetRepeatMode, 2},
        {cmd::HandOffAddAndPlay, 1}};  // the row the song gets is played
    EXPECT_EQ(got, expected);
    EXPECT_EQ(sink.sent.back().second.path, "/music/a b.mp3");
}

#include "SessionBusTest.moc"
