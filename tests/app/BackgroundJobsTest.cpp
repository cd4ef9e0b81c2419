// The life cycle of the controller's jobs: one lock per kind, also for work done
// inside a job of another kind; cancel and join; jobs that wait for the UI thread
// are released while the UI thread joins them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "BackgroundJobs.h"
#include "PlaybackTestSupport.h"
#include "WaitUntil.h"

using namespace tavora;

namespace {
void Pump() { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); }
}  // namespace

TEST(BackgroundJobsTest, OneKindNeverOverlapsItselfNorItsWorkInsideOtherJobs) {
    BackgroundJobs jobs;
    std::atomic<int> inside{0}, most{0};
    auto work = [&] {
        const int now = ++inside;
        most = std::max(most.load(), now);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        --inside;
    };
    for (int i = 0; i < 3; ++i) jobs.Start("M3uLoad", [&](const std::atomic<bool>&) { work(); });
    for (int i = 0; i < 3; ++i)
        jobs.Start("Add", [&](const std::atomic<bool>&) {
            std::lock_guard<std::mutex> lists(jobs.KindLock("M3uLoad"));
            work();
        });
    jobs.WaitIdle();
    EXPECT_EQ(most.load(), 1);
}

TEST(BackgroundJobsTest, CancelStopsRunningJobsAndStartsNoMore) {
    BackgroundJobs jobs;
    std::atomic<bool> running{false}, sawStop{false}, lateRan{false};
    jobs.Start("Scan", [&](const std::atomic<bool>& stop) {
        running = true;
        while (!stop) std::this_thread::yield();  // a row loop checking the flag
        sawStop = true;
        // A job started by a stopping job (a scan's title pass) does not run.
        jobs.Start("TitleTimeRefresh", [&](const std::atomic<bool>&) { lateRan = true; });
    });
    while (!running) std::this_thread::yield();
    jobs.Cancel();
    EXPECT_TRUE(jobs.Cancelled());
    jobs.Join();
    EXPECT_TRUE(sawStop);
    EXPECT_FALSE(lateRan);
    jobs.Start("Scan", [&](const std::atomic<bool>&) { lateRan = true; });
    jobs.Join();
    EXPECT_FALSE(lateRan);
}

TEST(BackgroundJobsTest, AJobWaitingForTheUiThreadIsReleasedByTheJoin) {
    App();
    QObject uiObject;  // lives on this (the UI) thread
    BackgroundJobs jobs;
    std::atomic<bool> started{false}, answered{false};
    jobs.Start("M3uLoad", [&](const std::atomic<bool>&) {
        started = true;
        // As a list load that replaces the list waits for the playing stream to stop.
        QMetaObject::invokeMethod(&uiObject, [&] { answered = true; }, Qt::BlockingQueuedConnection);
    });
    while (!started) std::this_thread::yield();
    jobs.StopAll(Pump);
    EXPECT_TRUE(answered);
}

// A job still waiting for its kind's lock when the workers are stopped runs all the same
// (seeing the stop flag): the playlist restore must not be skipped at an early close,
// or the empty list would be saved over the stored one.
TEST(BackgroundJobsTest, AJobQueuedBeforeStopAllStillRunsAndSeesTheStopFlag) {
    BackgroundJobs jobs;
    std::atomic<bool> firstRunning{false}, secondSawStop{false}, secondRan{false};
    jobs.Start("Load", [&](const std::atomic<bool>& stop) {
        firstRunning = true;
        while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    ASSERT_TRUE(test::WaitUntil([&] { return firstRunning.load(); }));
    jobs.Start("Load", [&](const std::atomic<bool>& stop) {  // waits for the first one's lock
        secondSawStop = stop.load();
        secondRan = true;
    });
    jobs.StopAll();
    EXPECT_TRUE(secondRan);
    EXPECT_TRUE(secondSawStop);
    int late = 0;
    jobs.Start("Load", [&](const std::atomic<bool>&) { ++late; });  // after StopAll: refused
    jobs.WaitIdle();
    EXPECT_EQ(late, 0);
}

// A job's result comes back on the UI thread, typed, after the work has ended.
TEST(BackgroundJobsTest, AResultArrivesOnTheUiThreadWithItsValue) {
    App();
    QObject receiver;  // lives on this (the UI) thread
    BackgroundJobs jobs;
    std::thread::id workedOn, deliveredOn;
    std::vector<int> delivered;
    jobs.StartThen(
        "Add", &receiver,
        [&](const std::atomic<bool>&) {
            workedOn = std::this_thread::get_id();
            return std::vector<int>{3, 5};
        },
        [&](std::vector<int> rows) {
            deliveredOn = std::this_thread::get_id();
            delivered = std::move(rows);
        });
    ASSERT_TRUE(test::WaitUntil([&] { return !delivered.empty(); }, test::kStateTimeout, Pump));
    EXPECT_EQ(delivered, (std::vector<int>{3, 5}));
    EXPECT_EQ(deliveredOn, std::this_thread::get_id());
    EXPECT_NE(workedOn, deliveredOn);
    jobs.StopAll(Pump);
}
