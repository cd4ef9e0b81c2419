#pragma once
// The application object of the widget tests and waiting for states that need the Qt
// event loop (queued signals, timers, posted events).
#include <QApplication>
#include <QTest>

#include <chrono>

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

}  // namespace tavora::test
