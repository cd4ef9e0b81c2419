#pragma once
// The application object of the widget tests and waiting for states that need the Qt
// event loop (queued signals, timers, posted events).
#include <QApplication>
#include <QCoreApplication>
#include <QMetaObject>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>

#include "WaitUntil.h"

namespace tavora::test {

// The one QApplication of a test program (offscreen unless QT_QPA_PLATFORM says else).
inline QApplication& App() {
    static int argc = 1;
    static char name[] = "tavora_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs the event loop until done() holds or `timeout` has passed; the last result.
template <typename Done>
bool WaitUntilWithEvents(Done&& done, std::chrono::milliseconds timeout = kStateTimeout) {
    return QTest::qWaitFor(done, static_cast<int>(timeout.count()));
}

// Runs the event loop until everything posted to this thread before the call has been
// delivered (queued signals and calls from workers that have already posted them): a
// marker posted last has run.
inline bool DeliverPostedEvents() {
    auto reached = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [reached] { *reached = true; }, Qt::QueuedConnection);
    return WaitUntilWithEvents([&] { return *reached; });
}

// Runs the event loop until a timer of `period` has fired `ticks` times: the proof that
// a program timer of that period, had it still been running, would have fired in that
// time (for checks that something did not happen).
inline bool RunTimerPeriods(std::chrono::milliseconds period, int ticks) {
    QTimer witness;
    int fired = 0;
    QObject::connect(&witness, &QTimer::timeout, [&fired] { ++fired; });
    witness.start(period);
    return WaitUntilWithEvents([&] { return fired >= ticks; });
}

// Until the workers of `jobs` are idle and what they posted to the UI thread has run;
// three rounds, since what runs there may start more work that posts in turn.
template <typename Jobs>
void SettleJobs(Jobs& jobs) {
    for (int round = 0; round < 3; ++round) {
        jobs.WaitIdle();
        DeliverPostedEvents();
    }
}

}  // namespace tavora::test
