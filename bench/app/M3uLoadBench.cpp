// Loading a 10,000-line M3U of real local files the way the player does: every entry
// read for its length and titled by its tags, by the player's own list-entry reader. The songs are made once by lame, oggenc and sox in a scratch folder.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <mutex>

#include <unistd.h>

#include "AudioLibrary.h"
#include "DisplayTitle.h"
#include "ListEntryReader.h"
#include "M3uLoader.h"
#include "PlaylistModel.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "StreamProbe.h"

namespace {

namespace fs = std::filesystem;

struct Scratch {
    Scratch() {
        dir = fs::temp_directory_path() / ("tavora-m3u-bench-" + std::to_string(getpid()));
        fs::create_directories(dir);
        setenv("TAVORA_REGISTRY", (dir / "registry.db").c_str(), 1);
        tavora::WriteRegString(tavora::keys::kRoot, tavora::keys::kInstallDir, TAVORA_BENCH_BINARY_DIR);
        const std::string tone = (dir / "tone.wav").string();
        Run("sox -q -n -r 44100 -c 2 -b 16 '" + tone + "' synth 30 sine 440 vol 0.3");
        for (int i = 0; i < 20; ++i) {
            const std::string base = (dir / ("곡 " + std::to_string(i))).string();
            Run("lame --quiet --tt 'Title " + std::to_string(i) + "' --ta '가수' '" + tone + "' '" + base + ".mp3'");
            Run("oggenc -Q -t 'Title " + std::to_string(i) + "' -a '가수' -o '" + base + ".ogg' '" + tone + "'");
            songs.push_back(base + ".mp3");
            songs.push_back(base + ".ogg");
        }
        list = (dir / "big.m3u").string();
        std::ofstream out(list);
        out << "#EXTM3U\r\n";
        for (int i = 0; i < 10000; ++i) out << songs[static_cast<size_t>(i) % songs.size()] << "\r\n";
    }
    ~Scratch() { fs::remove_all(dir); }
    static void Run(const std::string& cmd) {
        if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", cmd.c_str());
    }
    fs::path dir;
    std::vector<std::string> songs;
    std::string list;
};

void BM_LoadM3uOfRealFiles(benchmark::State& state) {
    Scratch scratch;
    setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
    tavora::AudioLibrary library;
    library.Load();
    const tavora::BassFunctions& b = library.Bass();
    if (!library.EngineLoaded()) {
        state.SkipWithError("the engine modules were not found in the build folder");
        return;
    }
    b.BASS_Init(0, 44100, 0, nullptr, nullptr);  // no sound: probes only decode
    const tavora::TitleSettings settings = tavora::LoadTitleSettings();
    const tavora::StreamProbe probe(library);
    tavora::M3uLoadServices services;
    services.readEntry = [&](const std::string& path) { return tavora::ReadListEntry(probe, path, settings); };
    for (auto _ : state) {
        tavora::PlaylistModel model;
        std::mutex m3uLoadLock;
        tavora::M3uLoader loader(model, services, m3uLoadLock);
        const auto result = loader.LoadM3u(tavora::M3uLoadMode::CommandLine, scratch.list);
        if (result.rowsAdded != 10000) {
            std::fprintf(stderr, "%d of 10000 entries added\n", result.rowsAdded);
            state.SkipWithError("not every entry was added");
        }
    }
    b.BASS_Free();
    state.counters["entries/s"] = benchmark::Counter(10000, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadM3uOfRealFiles)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
