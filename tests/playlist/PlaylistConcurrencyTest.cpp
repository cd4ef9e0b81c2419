#include <algorithm>
#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "PlaylistModel.h"
#include "RowRefresh.h"
#include "TrackAdvance.h"

namespace tavora {
namespace {

// Several loaders add rows while the UI thread deletes rows, moves them and advances
// through the list: rows and indices must stay consistent at every step.
TEST(PlaylistConcurrency, LoadersAndTheUiThreadNeverMisalignRowsAndIndices) {
    PlaylistModel model;
    struct CountingObserver : PlaylistObserver {
        std::atomic<int> added{0};
        void RowsAdded(int, int count) override { added += count; }
    } observer;
    model.AddObserver(&observer);

    constexpr int kLoaders = 4;
    constexpr int kRowsPerLoader = 1500;
    std::atomic<bool> loading{true};
    std::vector<std::thread> loaders;
    for (int l = 0; l < kLoaders; ++l) {
        loaders.emplace_back([&model, l] {
            for (int i = 0; i < kRowsPerLoader; ++i) {
                const std::string path = "/l" + std::to_string(l) + "/" + std::to_string(i) + ".mp3";
                if (i % 10 == 0) {
                    model.AddEntries({{"batch", "", path + "#b"}});
                } else {
                    model.AddEntry(path, "", path);
                }
            }
        });
    }

    std::mt19937 random(5);
    std::thread ui([&] {
        const AdvanceModes modes{RepeatMode::All, true};
        while (loading.load()) {
            const int count = model.RowCount();
            if (count > 4) {
                std::uniform_int_distribution<int> pick(0, count + 2);  // sometimes out of range
                std::vector<int> rows{pick(random), pick(random)};
                model.SetCurrentIndex(pick(random) % count);
                model.DeleteSelectedEntries(rows);
                model.MoveEntries({pick(random)}, pick(random));
            }
            const AdvanceChoice choice = ChooseNext(model, modes);
            // Loaders only append, so the chosen row still holds the chosen song.
            if (choice.action == AdvanceAction::Play) {
                ASSERT_EQ(model.GetEntryField(choice.row, kColumnPath), choice.path);
            }
            EntryGuard guard(model);
            const int last = model.LastIndexLocked(guard);
            const int current = model.CurrentIndexLocked(guard);
            ASSERT_GE(current, -1);
            ASSERT_LE(current, last + 1);
            if (current >= 0 && current <= last) {
                ASSERT_FALSE(model.GetEntryFieldLocked(guard, current, kColumnPath).empty());
            }
            const int pos = model.ShufflePosLocked(guard);
            ASSERT_LE(pos, last);
        }
    });
    for (auto& t : loaders) t.join();
    loading = false;
    ui.join();
    model.RemoveObserver(&observer);

    EXPECT_EQ(observer.added.load(), kLoaders * kRowsPerLoader);
    const auto rows = model.Entries();
    EXPECT_EQ(model.LastIndex(), static_cast<int>(rows.size()) - 1);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].label, "  " + std::to_string(i + 1) + ".");
        // Title and path of a row always travel together.
        if (rows[i].title != "batch") {
            EXPECT_EQ(rows[i].title, rows[i].path);
        }
    }
    auto order = model.ShuffleOrder();
    std::sort(order.begin(), order.end());
    for (size_t i = 0; i < order.size(); ++i) ASSERT_EQ(order[i], static_cast<int>(i));
}

}  // namespace
}  // namespace tavora

namespace tavora {
namespace {

// The title pass reads songs while the UI thread deletes rows: a title always lands on
// the row of its own song.
TEST(PlaylistConcurrency, TitlePassNeverWritesIntoAShiftedRow) {
    PlaylistModel model;
    for (int i = 0; i < 400; ++i) model.AddEntry("file", "", "/s/" + std::to_string(i) + ".mp3");
    std::thread pass([&] {
        RefreshRows(model, 0, [](const std::string& path) -> std::optional<RowText> {
            std::this_thread::yield();
            return RowText{"title of " + path, "01:00"};
        });
    });
    for (int i = 0; i < 150; ++i) model.DeleteSelectedEntries({i % 7});
    pass.join();
    for (const auto& e : model.Entries())
        if (e.title != "file") {
            EXPECT_EQ(e.title, "title of " + e.path);
        }
    // A second pass finishes every row the first one missed while rows moved.
    RefreshRows(model, 0, [](const std::string& path) { return std::optional<RowText>({"title of " + path, "01:00"}); });
    for (const auto& e : model.Entries()) EXPECT_EQ(e.title, "title of " + e.path);
}

}  // namespace
}  // namespace tavora
