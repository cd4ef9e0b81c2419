// The hand-off channel under a flood: many launches at once, each on its own thread as
// each launch is its own process, against one serving player.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "HandOffChannel.h"
#include "WaitUntil.h"

using namespace tavora;

namespace {

std::mutex messagesMutex;
std::vector<QString> qtMessages;

void KeepMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    std::lock_guard lock(messagesMutex);
    qtMessages.push_back(text);
}

}  // namespace

// More launches than the socket's backlog (50) while the player is busy: connections
// have to wait, which a client built on Qt's sockets does with timers and notifiers that
// a launch (no event loop) cannot have.
TEST(HandOffChannelTest, LaunchesBeyondTheBacklogEachArriveExactlyOnceWithoutQtComplaints) {
    const auto folder = std::filesystem::temp_directory_path() / ("tavora-handoff-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    SetHandOffFolder(folder.string());
    int argc = 1;
    char name[] = "handoff_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const auto previous = qInstallMessageHandler(KeepMessage);

    std::map<uintptr_t, int> arrived;
    HandOffServer server([&](unsigned message, uintptr_t wParam, intptr_t lParam) -> intptr_t {
        if (message != 0x8236) return -1;
        ++arrived[wParam];
        return static_cast<intptr_t>(wParam) * 2 + lParam;
    });
    ASSERT_TRUE(server.listen());

    constexpr int kLaunches = 150;
    std::atomic<int> started{0}, finished{0};
    std::vector<std::optional<intptr_t>> replies(kLaunches + 1);
    std::vector<std::thread> launches;
    for (int n = 1; n <= kLaunches; ++n)
        launches.emplace_back([&, n] {
            ++started;
            replies[n] = SendHandOff(0x8236, static_cast<uintptr_t>(n), 1, std::chrono::seconds(120));
            ++finished;
        });
    // The player is busy (no events served) until every launch is on its way.
    while (started < kLaunches) std::this_thread::yield();
    EXPECT_TRUE(test::WaitUntil([&] { return finished == kLaunches; }, std::chrono::seconds(120),
                                [&] { app.processEvents(QEventLoop::AllEvents, 10); }));
    for (auto& t : launches) t.join();
    qInstallMessageHandler(previous);

    for (int n = 1; n <= kLaunches; ++n) {
        EXPECT_EQ(replies[n], std::optional<intptr_t>(n * 2 + 1)) << n;
        EXPECT_EQ(arrived[static_cast<uintptr_t>(n)], 1) << n;
    }
    EXPECT_EQ(arrived.size(), size_t(kLaunches));
    std::lock_guard lock(messagesMutex);
    for (const QString& text : qtMessages) ADD_FAILURE() << text.toStdString();
    std::filesystem::remove_all(folder);
}

TEST(HandOffChannelTest, NoPlayerMeansNoReplyAfterTheWait) {
    const auto folder = std::filesystem::temp_directory_path() / ("tavora-handoff-none-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    SetHandOffFolder(folder.string());
    EXPECT_FALSE(WaitForHandOffServer(std::chrono::milliseconds(200)));
    EXPECT_FALSE(SendHandOff(0x8236, 1, 0, std::chrono::milliseconds(200)).has_value());
    std::filesystem::remove_all(folder);
}

TEST(HandOffChannelTest, RepliesAreDecimalNumbersOnly) {
    EXPECT_EQ(ParseHandOffReply("42"), std::optional<intptr_t>(42));
    EXPECT_EQ(ParseHandOffReply("-7\r"), std::optional<intptr_t>(-7));
    for (const char* bad : {"", "x", "4 2", "12abc", "99999999999999999999999"})
        EXPECT_FALSE(ParseHandOffReply(bad).has_value()) << bad;
}
