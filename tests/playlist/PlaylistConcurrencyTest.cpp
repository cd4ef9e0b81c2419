#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
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

// A pass over many rows naming a few songs, read by several threads: every song is read
// once, every row gets its own song's texts, a row the reader cannot read keeps its
// texts, and the list hears of the changes in batches.
TEST(PlaylistConcurrency, TitlePassReadsEachSongOnceAndWritesInBatches) {
    struct Changes : PlaylistObserver {
        std::atomic<int> events{0}, rows{0};
        void RowsChanged(int, int count) override {
            ++events;
            rows += count;
        }
    } changes;
    PlaylistModel model;
    model.AddEntry("before", "09:09", "/kept.mp3");
    for (int i = 0; i < 1200; ++i) model.AddEntry("file", "", "/s/" + std::to_string(i % 37) + ".mp3");
    model.AddEntry("unreadable", "", "/s/broken.mp3");
    model.AddObserver(&changes);
    std::mutex lock;
    std::map<std::string, int> reads;
    const int changed = RefreshRows(
        model, 1,
        [&](const std::string& path) -> std::optional<RowText> {
            {
                std::lock_guard guard(lock);
                ++reads[path];
            }
            // Uneven read times, so the reading threads finish out of order; nothing waits on them.
            std::this_thread::sleep_for(std::chrono::microseconds(std::hash<std::string>{}(path) % 500));
            if (path == "/s/broken.mp3") return std::nullopt;
            return RowText{"title of " + path, "01:00"};
        },
        nullptr, 3);
    model.RemoveObserver(&changes);
    EXPECT_EQ(changed, 1200);
    EXPECT_EQ(reads.size(), 38u);
    for (const auto& [path, count] : reads) EXPECT_EQ(count, 1) << path;
    const auto entries = model.Entries();
    EXPECT_EQ(entries.front().title, "before");
    EXPECT_EQ(entries.back().title, "unreadable");
    for (size_t i = 1; i + 1 < entries.size(); ++i) {
        EXPECT_EQ(entries[i].title, "title of " + entries[i].path);
        EXPECT_EQ(entries[i].time, "01:00");
    }
    EXPECT_GE(changes.rows.load(), 1200);
    EXPECT_LT(changes.events.load(), 120);
}

}  // namespace
}  // namespace tavora
