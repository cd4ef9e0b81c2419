// Listing and extracting archives of songs the way the player does (the program's
// listing functions over the real modules, rows into a playlist) beside the command-line
// extractors on the same archives:
//  - BM_Zip*: a ZIP of 40 songs of 5 MB each (200 MB; random bytes, which compress as
//    little as MP3 data does), by the player and by `bsdtar -x`.
//  - BM_AlzSet*: the same songs as a 50-volume ALZ set (stored, as ALZ archives of songs
//    usually are), by the player and by `unalz` when it is installed.
// Each iteration extracts into an empty folder. Files are made once at start-up (zip
// and tests/archive/make_archive.py). A benchmark, not a test: the figures depend on the
// machine, its disk and its load.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ArchiveLoading.h"
#include "PlaylistModel.h"

namespace {

namespace fs = std::filesystem;
using namespace tavora;

constexpr int kSongs = 40;
constexpr int kSongMegabytes = 5;
constexpr int kAlzVolumes = 50;

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::abort();
}

struct Media {
    fs::path dir;
    std::string zip, alz;
    Media() {
        dir = fs::temp_directory_path() / ("tavora-archive-bench-" + std::to_string(getpid()));
        fs::create_directories(dir / "songs");
        std::string entries = "[";
        for (int i = 0; i < kSongs; ++i) {
            const std::string name = "song" + std::to_string(100 + i) + ".mp3";
            Run("head -c " + std::to_string(kSongMegabytes << 20) + " /dev/urandom > " + (dir / "songs" / name).string());
            entries += std::string(i ? "," : "") + "{\"name\": \"album/" + name + "\", \"file\": \"" +
                       (dir / "songs" / name).string() + "\"}";
        }
        entries += "]";
        zip = (dir / "songs.zip").string();
        alz = (dir / "songs.alz").string();
        Run("cd " + (dir / "songs").string() + " && mkdir album && mv *.mp3 album && zip -qr " + zip + " album");
        for (auto& e : fs::directory_iterator(dir / "songs" / "album")) fs::rename(e.path(), dir / "songs" / e.path().filename());
        Run("python3 " + std::string(TAVORA_SOURCE_DIR) + "/tests/archive/make_archive.py " + alz + " '" + entries +
            "' " + std::to_string(kAlzVolumes));
    }
    ~Media() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // An empty folder for one iteration's output.
    std::string FreshOut() const {
        const fs::path out = dir / "out";
        fs::remove_all(out);
        fs::create_directories(out / "Temp");
        return out.string();
    }
};

Media& Files() {
    static Media media;
    return media;
}

const ZipFunctions kZip{OpenZip, GotoFirstFile, GotoNextFile, GetFileInfo, Unzip, CloseZip};
const AlzFunctions kAlz{UnAlzOpen,         UnAlzGetFileList,      UnAlzSetCurrentFile, UnAlzExtractCurrentFile,
                        GetszDestFileName, GetszDestPathFileName, UnAlzClose};

template <typename Functions, typename Load>
void ByPlayer(benchmark::State& state, const Functions& functions, Load load, const std::string& archive) {
    for (auto _ : state) {
        state.PauseTiming();
        const std::string out = Files().FreshOut();
        PlaylistModel model;
        std::atomic<bool> stop{false};
        ArchiveTarget target{&model, out + "/Temp", &stop, {}};
        state.ResumeTiming();
        const ArchiveLoadResult result = load(functions, archive, target);
        if (result.rowsAdded != kSongs) state.SkipWithError("not every song was extracted");
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kSongs} * (int64_t{kSongMegabytes} << 20));
}

void ByCommand(benchmark::State& state, const std::string& tool, const std::string& command) {
    if (std::system(("command -v " + tool + " > /dev/null").c_str()) != 0) {
        state.SkipWithError((tool + " is not installed").c_str());
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        const std::string out = Files().FreshOut();
        state.ResumeTiming();
        Run("cd " + out + " && " + command + " > /dev/null");
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kSongs} * (int64_t{kSongMegabytes} << 20));
}

void BM_ZipByPlayer(benchmark::State& state) { ByPlayer(state, kZip, LoadZipArchive, Files().zip); }
void BM_ZipByBsdtar(benchmark::State& state) { ByCommand(state, "bsdtar", "bsdtar -xf " + Files().zip); }
void BM_AlzSetByPlayer(benchmark::State& state) { ByPlayer(state, kAlz, LoadAlzArchive, Files().alz); }
void BM_AlzSetByUnalz(benchmark::State& state) { ByCommand(state, "unalz", "unalz " + Files().alz); }

BENCHMARK(BM_ZipByPlayer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ZipByBsdtar)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_AlzSetByPlayer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_AlzSetByUnalz)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
