#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include "PlaylistModel.h"
#include "PlaylistModelSignals.h"
#include "WaitUntil.h"

namespace tavora {
namespace {

// Changes made on loader threads reach a receiver on the UI thread through its own
// event loop, in the order they were made on that thread.
TEST(PlaylistModelSignals, ChangesFromWorkerThreadsArriveQueuedOnTheUiThread) {
    int argc = 1;
    char name[] = "playlist_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    PlaylistModel model;
    PlaylistModelSignals modelSignals(model);
    QObject receiver;
    std::vector<int> layouts;
    int added = 0;
    bool onUiThread = true;
    QObject::connect(&modelSignals, &PlaylistModelSignals::rowsAdded, &receiver, [&](int, int count) {
        onUiThread = onUiThread && QThread::currentThread() == app.thread();
        added += count;
    }, Qt::QueuedConnection);
    QObject::connect(&modelSignals, &PlaylistModelSignals::layoutNeeded, &receiver,
                     [&](int rows) { layouts.push_back(rows); }, Qt::QueuedConnection);
    QList<int> removed;
    QObject::connect(&modelSignals, &PlaylistModelSignals::rowsRemoved, &receiver,
                     [&](const QList<int>& rows) { removed = rows; }, Qt::QueuedConnection);

    std::thread loader([&] {
        for (int i = 0; i < 50; ++i) model.AddEntry("t", "", "/p" + std::to_string(i));
    });
    loader.join();
    model.DeleteSelectedEntries({3, 1});
    test::WaitUntil([&] { return added >= 50 && !removed.isEmpty(); }, test::kStateTimeout,
                    [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); });
    EXPECT_EQ(added, 50);
    EXPECT_TRUE(onUiThread);
    EXPECT_EQ(removed, (QList<int>{1, 3}));
    ASSERT_FALSE(layouts.empty());
    EXPECT_EQ(layouts.back(), 48);
}

}  // namespace
}  // namespace tavora
