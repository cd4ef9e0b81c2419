#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>
#include <mutex>

#include <gtest/gtest.h>

#include "LoopbackWebServer.h"
#include "M3uLoader.h"
#include "PlaylistFiles.h"
#include "PlaylistModel.h"
#include "PlsLoader.h"
#include "PlaylistTestSupport.h"
#include "TempRegistry.h"

namespace tavora {
namespace {
namespace fs = std::filesystem;

using test::LoopbackWebServer;
using test::TempFolder;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Stands in for the audio engine and the tag reader: files that exist open, with
// their size as length; the title is marked so tests see where it came from. The
// loader reads on several threads at once.
struct FakeEngine {
    std::mutex lock;
    std::vector<std::string> probed;
    std::atomic<int> playedRow{-1};
    M3uLoadServices Services() {
        M3uLoadServices s;
        s.readEntry = [this](const std::string& path) -> std::optional<M3uEntryInfo> {
            {
                std::lock_guard guard(lock);
                probed.push_back(path);
            }
            std::error_code ec;
            if (!fs::is_regular_file(path, ec)) return std::nullopt;
            return M3uEntryInfo{"tag:" + fs::path(path).filename().string(),
                                static_cast<long long>(fs::file_size(path))};
        };
        s.playFirstRow = [this](int row) { playedRow = row; };
        return s;
    }
};

TEST(M3uWriting, HeaderThenTwoLinesPerRow) {
    TempFolder tmp;
    const std::string list = (tmp.path() / "out.m3u").string();
    ASSERT_TRUE(WriteM3u(list, {}));
    EXPECT_EQ(ReadAll(list), "#EXTM3U\r\n");

    tmp.Write("out.m3u", std::string(5000, 'z') + "\r\n");  // a longer old file is replaced
    std::vector<PlaylistEntry> rows = {{"", "하나", "01:00", "/m/1.mp3"},
                                       {"", "two\nlines", "URL", "http://h:8000/"},
                                       {"", "three", "", "/m/3.ogg"}};
    ASSERT_TRUE(WriteM3u(list, rows));
    EXPECT_EQ(ReadAll(list),
              "#EXTM3U\r\n#EXTINF:0,하나\r\n/m/1.mp3\r\n#EXTINF:0,two lines\r\nhttp://h:8000/\r\n"
              "#EXTINF:0,three\r\n/m/3.ogg\r\n");
    EXPECT_FALSE(WriteM3u((tmp.path() / "missing-folder" / "x.m3u").string(), rows));
}

TEST(M3uLoading, ALoadStopsAddingOnceThePlayerCloses) {
    TempFolder tmp;
    const std::string a = tmp.Write("a.mp3", "a");
    const std::string list = tmp.Write("l.m3u", a + "\n" + a + "\n" + a + "\n");
    PlaylistModel model;
    FakeEngine engine;
    M3uLoadServices services = engine.Services();
    std::atomic<bool> stop{false};
    services.stop = &stop;
    auto probe = services.readEntry;
    services.readEntry = [&](const std::string& p) {
        stop = true;  // the player closes while the first entry is read
        return probe(p);
    };
    std::mutex m3uLoadLock;
    M3uLoader loader(model, services, m3uLoadLock);
    EXPECT_EQ(loader.LoadM3u(M3uLoadMode::CommandLine, list).rowsAdded, 1);
    EXPECT_EQ(model.RowCount(), 1);
}

TEST(M3uLoading, RowsTakeTitleAndLengthFromTheSongs) {
    TempFolder tmp;
    const std::string a = tmp.Write("music/a.mp3", std::string(125, 'a'));
    tmp.Write("music/노래.ogg", std::string(61, 'b'));
    tmp.Write("lists/sub/c.wav", "c");
    // Mixed line ends, an EXTINF line, a missing file, a relative path, a UTF-8 name,
    // and no final line end.
    const std::string list = tmp.Write("lists/mix.m3u", "#EXTM3U\r\n#EXTINF:123,Wrong Title\r\n" + a +
                                                            "\n/nowhere/x.mp3\r../music/노래.ogg\n\rsub/c.wav");
    PlaylistModel model;
    FakeEngine engine;
    std::mutex m3uLoadLock;
    M3uLoader loader(model, engine.Services(), m3uLoadLock);
    const auto result = loader.LoadM3u(M3uLoadMode::CommandLine, list);
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.rowsAdded, 3);
    ASSERT_EQ(model.RowCount(), 3);
    EXPECT_EQ(model.GetEntryField(0, kColumnTitle), "tag:a.mp3");
    EXPECT_EQ(model.GetEntryField(0, kColumnTime), "02:05");
    EXPECT_EQ(model.GetEntryField(1, kColumnPath), (tmp.path() / "music/노래.ogg").string());
    EXPECT_EQ(model.GetEntryField(1, kColumnTime), "01:01");
    EXPECT_EQ(model.GetEntryField(2, kColumnPath), (tmp.path() / "lists/sub/c.wav").string());
    for (const auto& p : engine.probed) EXPECT_EQ(p.find('#'), std::string::npos);
}

TEST(M3uLoading, StreamAddressesComeBackAsStreamRows) {
    TempFolder tmp;
    PlaylistModel model;
    FakeEngine engine;
    M3uLoadServices services = engine.Services();
    services.readEntry = [](const std::string&) -> std::optional<M3uEntryInfo> { return M3uEntryInfo{"tag", -1}; };
    std::mutex m3uLoadLock;
    M3uLoader loader(model, services, m3uLoadLock);
    loader.LoadM3u(M3uLoadMode::CommandLine, tmp.Write("r.m3u", "#EXTM3U\r\n#EXTINF:0,Radio\r\nhttp://127.0.0.1:8000/live\r\n"));
    ASSERT_EQ(model.RowCount(), 1);
    EXPECT_EQ(model.GetEntryField(0, kColumnTitle), "live");
    EXPECT_EQ(model.GetEntryField(0, kColumnTime), "URL");
}

TEST(M3uLoading, ReplacingKeepsTheListWhenTheFileCannotBeOpened) {
    TempFolder tmp;
    PlaylistModel model;
    model.AddEntry("old", "01:00", "/old.mp3");
    FakeEngine engine;
    std::mutex m3uLoadLock;
    M3uLoader loader(model, engine.Services(), m3uLoadLock);
    EXPECT_FALSE(loader.LoadM3u(M3uLoadMode::Dialog, (tmp.path() / "none.m3u").string()).opened);
    EXPECT_EQ(model.RowCount(), 1);

    const std::string song = tmp.Write("s.mp3", "x");
    EXPECT_TRUE(loader.LoadM3u(M3uLoadMode::Dialog, tmp.Write("l.m3u", song + "\n")).opened);
    ASSERT_EQ(model.RowCount(), 1);
    EXPECT_EQ(model.GetEntryField(0, kColumnPath), song);
}

TEST(M3uLoading, DroppedListPlaysItsFirstRowOnce) {
    TempFolder tmp;
    const std::string s1 = tmp.Write("1.mp3", "x"), s2 = tmp.Write("2.mp3", "y");
    const std::string list = tmp.Write("d.m3u", "/missing.mp3\n" + s1 + "\n" + s2 + "\n");
    PlaylistModel model;
    model.AddEntry("before", "", "/b.mp3");
    FakeEngine engine;
    std::mutex m3uLoadLock;
    M3uLoader loader(model, engine.Services(), m3uLoadLock);
    std::atomic<bool> playFirst{true};
    loader.LoadM3u(M3uLoadMode::Dropped, list, &playFirst);
    EXPECT_EQ(engine.playedRow, 1);
    EXPECT_EQ(model.CurrentIndex(), 1);
    EXPECT_EQ(model.SelectedIndex(), 1);
    EXPECT_FALSE(playFirst.load());
    engine.playedRow = -1;
    loader.LoadM3u(M3uLoadMode::Dropped, list, &playFirst);
    EXPECT_EQ(engine.playedRow, -1);
}

// A long list naming a few songs many times, read by several threads whose reads end in
// any order: the rows still come in the file's order, each song is read once, and the
// list control is told about every row (in batches, not row by row).
TEST(M3uLoading, RepeatedSongsAreReadOnceAndRowsKeepTheFileOrder) {
    TempFolder tmp;
    std::vector<std::string> songs;
    for (int i = 0; i < 30; ++i)
        songs.push_back(i % 7 == 3 ? (tmp.path() / ("missing-" + std::to_string(i) + ".mp3")).string()
                                   : tmp.Write("s/" + std::to_string(i) + ".ogg", std::string(60 + i, 'x')));
    std::string text = "#EXTM3U\n";
    std::vector<std::string> expected;
    for (int i = 0; i < 3000; ++i) {
        const std::string& song = songs[static_cast<size_t>((i * 7 + i / 13) % 30)];
        text += "#EXTINF:1,x\n" + song + "\n";
        if (song.find("missing-") == std::string::npos) expected.push_back(song);
    }
    const std::string list = tmp.Write("big.m3u", text);

    struct Ranges : PlaylistObserver {
        std::mutex lock;
        std::vector<std::pair<int, int>> added;
        void RowsAdded(int first, int count) override {
            std::lock_guard guard(lock);
            added.emplace_back(first, count);
        }
    } ranges;
    PlaylistModel model;
    model.AddEntry("before", "01:00", "/before.mp3");
    model.AddObserver(&ranges);
    FakeEngine engine;
    M3uLoadServices services = engine.Services();
    services.readers = 4;
    const auto read = services.readEntry;
    services.readEntry = [read](const std::string& p) {
        // Uneven read times, so later songs often finish first.
        std::this_thread::sleep_for(std::chrono::microseconds(std::hash<std::string>{}(p) % 700));
        return read(p);
    };
    std::mutex m3uLoadLock;
    M3uLoader loader(model, services, m3uLoadLock);
    const M3uLoadResult result = loader.LoadM3u(M3uLoadMode::CommandLine, list);
    model.RemoveObserver(&ranges);

    EXPECT_EQ(result.rowsAdded, static_cast<int>(expected.size()));
    EXPECT_EQ(result.firstRow, 1);
    ASSERT_EQ(model.RowCount(), static_cast<int>(expected.size()) + 1);
    for (size_t i = 0; i < expected.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        ASSERT_EQ(model.GetEntryField(row, kColumnPath), expected[i]) << "row " << row;
        EXPECT_EQ(model.GetEntryField(row, kColumnTitle), "tag:" + fs::path(expected[i]).filename().string());
        char time[16];
        std::snprintf(time, sizeof time, "01:%02d", static_cast<int>(fs::file_size(expected[i]) - 60));
        EXPECT_EQ(model.GetEntryField(row, kColumnTime), time);
    }
    std::sort(engine.probed.begin(), engine.probed.end());
    EXPECT_EQ(std::adjacent_find(engine.probed.begin(), engine.probed.end()), engine.probed.end());
    EXPECT_EQ(engine.probed.size(), songs.size());
    // Every new row announced once, in order, and far fewer announcements than rows.
    int next = 1;
    for (const auto& [first, count] : ranges.added) {
        EXPECT_EQ(first, next);
        next = first + count;
    }
    EXPECT_EQ(next, model.RowCount());
    EXPECT_LT(ranges.added.size(), expected.size() / 10);
}

// A song whose reading throws is passed over like one that does not open.
TEST(M3uLoading, ASongWhoseReadingThrowsIsSkipped) {
    TempFolder tmp;
    const std::string a = tmp.Write("a.mp3", "a"), b = tmp.Write("b.mp3", "b"), c = tmp.Write("c.mp3", "c");
    const std::string list = tmp.Write("l.m3u", a + "\n" + b + "\n" + c + "\n" + b + "\n");
    PlaylistModel model;
    FakeEngine engine;
    M3uLoadServices services = engine.Services();
    const auto read = services.readEntry;
    services.readEntry = [&](const std::string& p) {
        if (p == b) throw std::runtime_error("broken song");
        return read(p);
    };
    std::mutex m3uLoadLock;
    M3uLoader loader(model, services, m3uLoadLock);
    EXPECT_EQ(loader.LoadM3u(M3uLoadMode::CommandLine, list).rowsAdded, 2);
    ASSERT_EQ(model.RowCount(), 2);
    EXPECT_EQ(model.GetEntryField(0, kColumnPath), a);
    EXPECT_EQ(model.GetEntryField(1, kColumnPath), c);
}

// Closing the player in the middle of a long list: no song is read after that, the
// loader returns, and the rows added are the first entries of the file, in order.
TEST(M3uLoading, ClosingMidLoadKeepsAPrefixOfTheList) {
    TempFolder tmp;
    std::string text;
    std::vector<std::string> songs;
    for (int i = 0; i < 400; ++i) {
        songs.push_back(tmp.Write("s/" + std::to_string(i) + ".mp3", "x"));
        text += songs.back() + "\n";
    }
    const std::string list = tmp.Write("l.m3u", text);
    PlaylistModel model;
    FakeEngine engine;
    M3uLoadServices services = engine.Services();
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0}, readsAfterStop{0};
    services.stop = &stop;
    services.readers = 3;
    const auto read = services.readEntry;
    services.readEntry = [&](const std::string& p) {
        if (stop) ++readsAfterStop;
        if (++reads == 50) stop = true;
        return read(p);
    };
    std::mutex m3uLoadLock;
    M3uLoader loader(model, services, m3uLoadLock);
    const M3uLoadResult result = loader.LoadM3u(M3uLoadMode::CommandLine, list);
    // Reads already under way when the stop came may finish; none starts later.
    EXPECT_LE(readsAfterStop.load(), 2);
    EXPECT_LT(result.rowsAdded, 60);
    ASSERT_EQ(model.RowCount(), result.rowsAdded);
    for (int row = 0; row < model.RowCount(); ++row)
        EXPECT_EQ(model.GetEntryField(row, kColumnPath), songs[static_cast<size_t>(row)]);
}

// Two lists loaded at once (say, two dropped files) come out one after the other.
TEST(M3uLoading, TwoLoadsNeverInterleave) {
    TempFolder tmp;
    std::string first, second;
    for (int i = 0; i < 20; ++i) {
        first += tmp.Write("a/" + std::to_string(i) + ".mp3") + "\n";
        second += tmp.Write("b/" + std::to_string(i) + ".mp3") + "\n";
    }
    const std::string listA = tmp.Write("a.m3u", first), listB = tmp.Write("b.m3u", second);
    PlaylistModel model;
    M3uLoadServices services;
    services.readEntry = [](const std::string&) -> std::optional<M3uEntryInfo> {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // let the other loader run
        return M3uEntryInfo{"t", 60};
    };
    // Two loader objects, as two commands make them: only the shared lock keeps them apart.
    std::mutex m3uLoadLock;
    M3uLoader loaderA(model, services, m3uLoadLock), loaderB(model, services, m3uLoadLock);
    std::thread t1([&] { loaderA.LoadM3u(M3uLoadMode::CommandLine, listA); });
    std::thread t2([&] { loaderB.LoadM3u(M3uLoadMode::CommandLine, listB); });
    t1.join();
    t2.join();
    ASSERT_EQ(model.RowCount(), 40);
    int switches = 0;
    for (int i = 1; i < 40; ++i)
        if (model.GetEntryField(i, kColumnPath).find("/a/") != model.GetEntryField(i - 1, kColumnPath).find("/a/"))
            ++switches;
    EXPECT_EQ(switches, 1);
}

TEST(PlsLoading, EveryEntryBecomesARowMarkedByKind) {
    TempFolder tmp;
    std::string pls = "[playlist]\nNumberOfEntries=12\n";
    for (int i = 1; i <= 12; ++i) {
        pls += "File" + std::to_string(i) + "=" + (i % 2 ? "http://radio" + std::to_string(i) + ".example/" : "music/" + std::to_string(i) + ".mp3") + "\n";
        pls += "Title" + std::to_string(i) + "=ignored\n";
    }
    pls += "File13=mms://h/live\r\nFile14=MMS-like-but-local.mp3\nVersion=2";
    PlaylistModel model;
    const auto result = LoadPls(model, tmp.Write("r.pls", pls));
    ASSERT_TRUE(result.read);
    EXPECT_EQ(result.rowsAdded, 14);
    EXPECT_TRUE(result.firstIsUrl);
    EXPECT_EQ(model.GetEntryField(0, kColumnTitle), "http://radio1.example/");
    EXPECT_EQ(model.GetEntryField(0, kColumnTime), "URL");
    EXPECT_EQ(model.GetEntryField(11, kColumnTitle), "music/12.mp3");
    EXPECT_EQ(model.GetEntryField(11, kColumnTime), "---");
    EXPECT_EQ(model.GetEntryField(11, kColumnPath), (tmp.path() / "music/12.mp3").string());
    EXPECT_EQ(model.GetEntryField(12, kColumnTime), "URL");
    EXPECT_EQ(model.GetEntryField(13, kColumnTime), "---");  // a local name starting with "m" is no address
    EXPECT_FALSE(LoadPls(model, (tmp.path() / "none.pls").string()).read);
}

TEST(PlsLoading, AddressesAreDownloadedToTheTemplatesFolder) {
    TempFolder tmp;
    const std::string served = (tmp.path() / "served").string();
    fs::create_directories(served);
    std::ofstream(fs::path(served) / "radio.pls") << "[playlist]\r\nFile1=http://127.0.0.1:1/live\r\nFile2=/local.mp3\r\n";
    LoopbackWebServer server(served);
    ASSERT_TRUE(server.running());

    const std::string home = (tmp.path() / "home").string();
    fs::create_directories(home);
    const std::string oldHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (tmp.path() / "config").c_str(), 1);

    PlaylistModel model;
    const auto result = LoadPls(model, server.url("radio.pls"));
    const auto missing = LoadPls(model, server.url("absent.pls"));
    setenv("HOME", oldHome.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");

    ASSERT_TRUE(result.read);
    EXPECT_EQ(result.rowsAdded, 2);
    EXPECT_TRUE(result.firstIsUrl);
    EXPECT_EQ(model.GetEntryField(1, kColumnTime), "---");
    EXPECT_TRUE(fs::exists(fs::path(home) / "Templates" / "TavoraPlayer" / "radio.pls"));
    EXPECT_FALSE(missing.read);  // a failed download adds nothing
    EXPECT_EQ(model.RowCount(), 2);
    EXPECT_FALSE(fs::exists(fs::path(home) / "Templates" / "TavoraPlayer" / "absent.pls"));
}

}  // namespace
}  // namespace tavora
