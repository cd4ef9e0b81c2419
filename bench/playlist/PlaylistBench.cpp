// Playlist figures: adding 100,000 rows, saving and restoring them through the
// settings store, and reading a 10,000-line M3U file of local files.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <mutex>

#include <benchmark/benchmark.h>

#include "M3uLoader.h"
#include "PlaylistFiles.h"
#include "PlaylistModel.h"
#include "PlaylistRegistry.h"

namespace {
namespace fs = std::filesystem;
using namespace tavora;

constexpr int kRows = 100000;

std::string SongPath(int i) { return "/home/user/음악/앨범 " + std::to_string(i / 12) + "/" + std::to_string(i % 12) + " 노래.mp3"; }

fs::path ScratchFolder() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("tavora-plbench-" + std::to_string(getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

// Rows added one at a time, as a loader thread does, then the shuffle order drawn once.
void BM_AddEntry100k(benchmark::State& state) {
    for (auto _ : state) {
        PlaylistModel model;
        for (int i = 0; i < kRows; ++i) model.AddEntry("노래 제목", "", SongPath(i));
        benchmark::DoNotOptimize(model.ShufflePos());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_AddEntry100k)->Unit(benchmark::kMillisecond);

void BM_AddEntries100kBatch(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<NewEntry> rows;
        rows.reserve(kRows);
        for (int i = 0; i < kRows; ++i) rows.push_back({"노래 제목", "", SongPath(i)});
        PlaylistModel model;
        model.AddEntries(std::move(rows));
        benchmark::DoNotOptimize(model.ShufflePos());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_AddEntries100kBatch)->Unit(benchmark::kMillisecond);

void FillModel(PlaylistModel& model, const std::string& tag = "") {
    std::vector<NewEntry> rows;
    for (int i = 0; i < kRows; ++i) rows.push_back({"노래 제목 " + tag + std::to_string(i), "03:25", SongPath(i) + tag});
    model.AddEntries(std::move(rows));
}

void UseScratchStore() { setenv("TAVORA_REGISTRY", (ScratchFolder() / "registry.db").c_str(), 1); }

// Every save replaces a stored list whose titles and paths all differ, so every row is
// written (what the first save of a newly loaded list costs).
void BM_SavePlaylist100k(benchmark::State& state) {
    UseScratchStore();
    PlaylistModel lists[2];
    FillModel(lists[0], "a");
    FillModel(lists[1], "b");
    SavePlaylistToRegistry(lists[1]);
    size_t next = 0;
    for (auto _ : state) SavePlaylistToRegistry(lists[next++ % 2]);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SavePlaylist100k)->Unit(benchmark::kMillisecond);

// The same list saved again (the usual exit: the list hardly changed since the start).
void BM_SavePlaylist100kUnchanged(benchmark::State& state) {
    UseScratchStore();
    PlaylistModel model;
    FillModel(model);
    SavePlaylistToRegistry(model);
    for (auto _ : state) SavePlaylistToRegistry(model);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SavePlaylist100kUnchanged)->Unit(benchmark::kMillisecond);

// The first save, into a store that holds no list.
void BM_SavePlaylist100kIntoEmptyStore(benchmark::State& state) {
    PlaylistModel model;
    FillModel(model);
    static int round = 0;  // a new file for every save, over repetitions too
    for (auto _ : state) {
        state.PauseTiming();
        setenv("TAVORA_REGISTRY", (ScratchFolder() / ("empty-" + std::to_string(round++) + ".db")).c_str(), 1);
        state.ResumeTiming();
        SavePlaylistToRegistry(model);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SavePlaylist100kIntoEmptyStore)->Unit(benchmark::kMillisecond);

void BM_RestorePlaylist100k(benchmark::State& state) {
    UseScratchStore();
    {
        PlaylistModel model;
        FillModel(model);
        SavePlaylistToRegistry(model);
    }
    for (auto _ : state) {
        PlaylistModel model;
        const auto result = LoadPlaylistFromRegistry(model, false);
        if (result.rowsLoaded != kRows) state.SkipWithError("rows lost");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_RestorePlaylist100k)->Unit(benchmark::kMillisecond);

// 5,000 "#EXTINF:" lines and 5,000 paths of real files, half relative.
std::string MakeM3u() {
    const fs::path folder = ScratchFolder() / "songs";
    fs::create_directories(folder);
    std::string text = "#EXTM3U\r\n";
    for (int i = 0; i < 5000; ++i) {
        const std::string name = "곡 " + std::to_string(i) + ".mp3";
        if (!fs::exists(folder / name)) std::ofstream(folder / name) << "x";
        text += "#EXTINF:200,Artist - Title " + std::to_string(i) + "\r\n";
        text += (i % 2 ? (folder / name).string() : "songs/" + name) + "\r\n";
    }
    const fs::path list = ScratchFolder() / "list.m3u";
    std::ofstream(list, std::ios::binary) << text;
    return list.string();
}

// Reading and resolving the lines only.
void BM_ReadM3u10kLines(benchmark::State& state) {
    const std::string list = MakeM3u();
    for (auto _ : state) {
        size_t entries = 0;
        ForEachM3uEntry(list, [&](const std::string&) { ++entries; });
        if (entries != 5000) state.SkipWithError("entries lost");
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_ReadM3u10kLines)->Unit(benchmark::kMillisecond);

// The whole load with a probe that only checks the file exists (the engine and the
// tag reader are measured by their own benchmarks).
void BM_LoadM3u10kLines(benchmark::State& state) {
    const std::string list = MakeM3u();
    M3uLoadServices services;
    services.readEntry = [](const std::string& path) -> std::optional<M3uEntryInfo> {
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) return std::nullopt;
        return M3uEntryInfo{"title", 200};
    };
    for (auto _ : state) {
        PlaylistModel model;
        std::mutex m3uLoadLock;
        M3uLoader loader(model, services, m3uLoadLock);
        if (loader.LoadM3u(M3uLoadMode::CommandLine, list).rowsAdded != 5000) state.SkipWithError("rows lost");
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_LoadM3u10kLines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(ScratchFolder(), ec);
    return 0;
}
