// The settings store under a playlist-sized load: 300,000 string values (a
// 100,000-row playlist's titles, times and paths) written in one batch, then read back.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "Registry.h"
#include "RegistryKeys.h"
#include "store/RegistryStore.h"

namespace {

struct ScratchStore {
    ScratchStore() {
        static int made = 0;  // a new file each time: the thread's connection stays on the last one
        dir = std::filesystem::temp_directory_path() /
              ("tavora-bench-" + std::to_string(getpid()) + "-" + std::to_string(++made));
        std::filesystem::create_directories(dir);
        setenv("TAVORA_REGISTRY", (dir / "registry.db").c_str(), 1);
    }
    ~ScratchStore() { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

constexpr int kRows = 100000;

void WriteRows() {
    tavora::RegistryBatch batch;
    for (int i = 0; i < kRows; ++i) {
        const std::string n = std::to_string(i);
        tavora::WriteRegString(tavora::keys::kPlayListName, n, "아티스트 " + n + " - 노래 제목 " + n);
        tavora::WriteRegString(tavora::keys::kPlayListTime, n, "03:45");
        tavora::WriteRegString(tavora::keys::kPlayListPath, n, "/home/user/Music/Album " + n + "/track.mp3");
    }
    tavora::WriteRegDword(tavora::keys::kPlayListCount, "ListCount", kRows);
}

void BM_Write300kStringsInOneBatch(benchmark::State& state) {
    ScratchStore store;
    for (auto _ : state) WriteRows();
    state.counters["values/s"] = benchmark::Counter(3.0 * kRows, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Write300kStringsInOneBatch)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same values into a fresh store through one key writer per column, as the
// playlist save does.
void BM_Write300kStringsWithKeyWriters(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        {
            ScratchStore store;
            state.ResumeTiming();
            tavora::RegistryBatch batch;
            const auto column = [](const char* key, auto text) {
                tavora::store::KeyWriter writer(tavora::store::Hive::LocalMachine, key);
                for (int i = 0; i < kRows; ++i) writer.SetString(std::to_string(i), text(std::to_string(i)));
            };
            column(tavora::keys::kPlayListName, [](const std::string& n) { return "아티스트 " + n + " - 노래 제목 " + n; });
            column(tavora::keys::kPlayListTime, [](const std::string&) { return std::string("03:45"); });
            column(tavora::keys::kPlayListPath,
                   [](const std::string& n) { return "/home/user/Music/Album " + n + "/track.mp3"; });
            tavora::WriteRegDword(tavora::keys::kPlayListCount, "ListCount", kRows);
            batch.Commit();
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.counters["values/s"] = benchmark::Counter(3.0 * kRows, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Write300kStringsWithKeyWriters)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Read300kStrings(benchmark::State& state) {
    ScratchStore store;
    WriteRows();
    size_t bytes = 0;
    for (auto _ : state) {
        for (int i = 0; i < kRows; ++i) {
            const std::string n = std::to_string(i);
            bytes += tavora::ReadRegString(tavora::keys::kPlayListName, n).size();
            bytes += tavora::ReadRegString(tavora::keys::kPlayListTime, n).size();
            bytes += tavora::ReadRegString(tavora::keys::kPlayListPath, n).size();
        }
    }
    benchmark::DoNotOptimize(bytes);
    state.counters["values/s"] = benchmark::Counter(3.0 * kRows, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Read300kStrings)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
