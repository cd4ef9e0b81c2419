// Running functions on the UI thread from it and from workers, with and without waiting.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <QTest>

#include <atomic>
#include <thread>

#include "UiThread.h"
#include "QtTestSupport.h"

using namespace tavora;

namespace {
void EnsureApp() {
    static int argc = 1;
    static char name[] = "uithread_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}
}  // namespace

TEST(UiThread, OnTheUiThreadItRunsAtOnceAndNeverWaitsForItself) {
    EnsureApp();
    QObject context;
    int ran = 0;
    RunOnUiThread(&context, [&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(RunOnUiThreadAndWait(&context, [&] { ++ran; }, std::chrono::milliseconds(1)));
    EXPECT_EQ(ran, 2);
}

TEST(UiThread, FromAWorkerItRunsOnTheUiThread) {
    EnsureApp();
    QObject context;
    std::atomic<bool> waited{false};
    std::thread::id ranOn;
    std::thread worker([&] {
        waited = RunOnUiThreadAndWait(&context, [&] { ranOn = std::this_thread::get_id(); }, std::chrono::seconds(30));
    });
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return waited.load(); }));
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(UiThread, AWaitIsBoundedWhenTheUiThreadDoesNotAnswer) {
    EnsureApp();
    QObject context;
    auto ran = std::make_shared<std::atomic<int>>(0);
    bool answered = true;
    // The UI thread is busy joining the worker: it cannot run the call meanwhile.
    std::thread([&, ran] { answered = RunOnUiThreadAndWait(&context, [ran] { ++*ran; }, std::chrono::milliseconds(50)); })
        .join();
    EXPECT_FALSE(answered);
    EXPECT_EQ(ran->load(), 0);
    // It still runs once the UI thread is free.
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return ran->load() == 1; }));
}
