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

// A list of 600 distinct 3-minute songs (hard links to one MP3 and one OGG, so every
// path is read for itself); no song is named twice.
struct DistinctSongs {
    explicit DistinctSongs(const Scratch& scratch) {
        const fs::path dir = scratch.dir / "distinct";
        fs::create_directories(dir);
        const std::string tone = (dir / "long.wav").string();
        Scratch::Run("sox -q -n -r 44100 -c 2 -b 16 '" + tone + "' synth 180 sine 440 vol 0.3");
        const std::string mp3 = (dir / "long.mp3").string(), ogg = (dir / "long.ogg").string();
        Scratch::Run("lame --quiet -b 192 --tt 'Long' --ta '가수' '" + tone + "' '" + mp3 + "'");
        Scratch::Run("oggenc -Q -t 'Long' -a '가수' -o '" + ogg + "' '" + tone + "'");
        list = (dir / "distinct.m3u").string();
        std::ofstream out(list);
        for (int i = 0; i < kSongs; ++i) {
            const fs::path link = dir / ("곡 " + std::to_string(i) + (i % 2 ? ".ogg" : ".mp3"));
            fs::create_hard_link(i % 2 ? ogg : mp3, link);
            out << link.string() << "\n";
        }
    }
    static constexpr int kSongs = 600;
    std::string list;
};

// The engine and the services the player's list loads use.
struct PlayerReading {
    PlayerReading() {
        setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
        library.Load();
        if (library.EngineLoaded()) library.Bass().BASS_Init(0, 44100, 0, nullptr, nullptr);  // probes only decode
        settings = tavora::LoadTitleSettings();
        services.readEntry = [this](const std::string& path) { return tavora::ReadListEntry(probe, path, settings); };
    }
    ~PlayerReading() {
        if (library.EngineLoaded()) library.Bass().BASS_Free();
    }
    tavora::AudioLibrary library;
    const tavora::StreamProbe probe{library};
    tavora::TitleSettings settings;
    tavora::M3uLoadServices services;
};

bool EngineReady(benchmark::State& state, const PlayerReading& reading) {
    if (!reading.library.EngineLoaded()) state.SkipWithError("the engine modules were not found in the build folder");
    return reading.library.EngineLoaded();
}

void LoadList(benchmark::State& state, const tavora::M3uLoadServices& services, const std::string& list, int rows) {
    for (auto _ : state) {
        tavora::PlaylistModel model;
        std::mutex m3uLoadLock;
        tavora::M3uLoader loader(model, services, m3uLoadLock);
        const auto result = loader.LoadM3u(tavora::M3uLoadMode::CommandLine, list);
        if (result.rowsAdded != rows) {
            std::fprintf(stderr, "%d of %d entries added\n", result.rowsAdded, rows);
            state.SkipWithError("not every entry was added");
        }
    }
    state.counters["entries/s"] = benchmark::Counter(rows, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_LoadM3uOfRealFiles(benchmark::State& state) {
    Scratch scratch;
    PlayerReading reading;
    if (!EngineReady(state, reading)) return;
    LoadList(state, reading.services, scratch.list, 10000);
}
BENCHMARK(BM_LoadM3uOfRealFiles)->Unit(benchmark::kMillisecond)->Iterations(2);

// Every song read for itself: the header lengths against the engine opening each file
// (the way every entry was read before), both on the load's reading threads.
void BM_LoadM3uOfDistinctSongs(benchmark::State& state) {
    Scratch scratch;
    DistinctSongs songs(scratch);
    PlayerReading reading;
    if (!EngineReady(state, reading)) return;
    tavora::M3uLoadServices services = reading.services;
    if (state.range(0) == 0) {
        services.readEntry = [&reading](const std::string& path) -> std::optional<tavora::M3uEntryInfo> {
            const auto opened = reading.probe.Probe(path);
            if (!opened) return std::nullopt;
            reading.probe.Free(opened->handle);
            return tavora::M3uEntryInfo{tavora::ReadDisplayTitle(path, reading.settings), opened->lengthSeconds};
        };
    }
    LoadList(state, services, songs.list, DistinctSongs::kSongs);
    state.SetLabel(state.range(0) ? "as the player reads" : "engine opens every file");
}
BENCHMARK(BM_LoadM3uOfDistinctSongs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// One entry of each kind read again and again (a warm page cache): what a song costs
// the list load once it is on the reading thread.
void BM_ReadListEntry(benchmark::State& state) {
    Scratch scratch;
    PlayerReading reading;
    if (!EngineReady(state, reading)) return;
    const std::string& song = scratch.songs[static_cast<size_t>(state.range(0))];
    for (auto _ : state) benchmark::DoNotOptimize(reading.services.readEntry(song));
    state.SetLabel(state.range(0) ? "ogg" : "mp3");
}
BENCHMARK(BM_ReadListEntry)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
