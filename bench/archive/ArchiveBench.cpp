// Listing and extracting archives of songs the way the player does (the program's
// listing functions over the real modules, rows into a playlist) beside the command-line
// extractors on the same archives:
//  - BM_Zip*: a ZIP of 40 songs of 5 MB each (200 MB; random bytes, which compress as
//    little as MP3 data does), by the player and by `bsdtar -x`.
//  - BM_AlzSet*: the same songs as a 50-volume ALZ set (stored, as ALZ archives of songs
//    usually are), by the player and by `unalz` when it is installed.
//  - BM_SolidRar4* / BM_SolidRar5*: a solid RAR 2.9 and a solid RAR5 archive of 50
//    songs of 1 MB, by the player (one pass over the archive) and entry by entry (a
//    listing, then one UnRar_extract per entry, as the player used to: each entry opens
//    the archive again and, in a solid one, goes through everything before it). No RAR
//    compressor exists here, so their data is stored: the per-entry way re-reads what a
//    compressed archive would make it decode again.
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
constexpr int kSolidSongs = 50;
constexpr int kSolidSongMegabytes = 1;

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::abort();
}

struct Media {
    fs::path dir;
    std::string zip, alz, rar4, rar5;
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
        const std::string one = (dir / "one.mp3").string();
        Run("head -c " + std::to_string(kSolidSongMegabytes << 20) + " /dev/urandom > " + one);
        std::string solid = "[";
        for (int i = 0; i < kSolidSongs; ++i)
            solid += std::string(i ? "," : "") + "{\"name\": \"album/song" + std::to_string(100 + i) +
                     ".mp3\", \"file\": \"" + one + "\"}";
        solid += "]";
        rar4 = (dir / "solid4.rar").string();
        rar5 = (dir / "solid5.rar").string();
        const std::string make = "python3 " + std::string(TAVORA_SOURCE_DIR) + "/tests/archive/make_archive.py ";
        Run(make + rar4 + " '" + solid + "' --solid");
        Run(make + rar5 + " '" + solid + "' --solid --rar5");
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

const ZipFunctions kZip{OpenZip, GotoFirstFile, GotoNextFile, GetFileInfo, Unzip, CloseZip, UnzipEach};
const RarFunctions kRar{UnRar_list, UnRar_extract, UnRar_extract_each};
const AlzFunctions kAlz{UnAlzOpen,         UnAlzGetFileList,      UnAlzSetCurrentFile, UnAlzExtractCurrentFile,
                        GetszDestFileName, GetszDestPathFileName, UnAlzClose};

// Extracts `archive` as the player does, `songs` songs of `megabytes` MB each.
template <typename Functions, typename Load>
void ByPlayer(benchmark::State& state, const Functions& functions, Load load, const std::string& archive,
              int songs = kSongs, int megabytes = kSongMegabytes) {
    for (auto _ : state) {
        state.PauseTiming();
        const std::string out = Files().FreshOut();
        PlaylistModel model;
        std::atomic<bool> stop{false};
        ArchiveTarget target{&model, out + "/Temp", &stop, {}, {}};
        state.ResumeTiming();
        const ArchiveLoadResult result = load(functions, archive, target);
        if (result.rowsAdded != songs) state.SkipWithError("not every song was extracted");
    }
    state.SetBytesProcessed(state.iterations() * int64_t{songs} * (int64_t{megabytes} << 20));
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

void SolidByPlayer(benchmark::State& state, const std::string& archive) {
    ByPlayer(state, kRar, LoadRarArchive, archive, kSolidSongs, kSolidSongMegabytes);
}

int CollectName(void* context, const TavoraArchiveEntry* entry) {
    static_cast<std::vector<std::string>*>(context)->push_back(entry->name);
    return 1;
}

void SolidEntryByEntry(benchmark::State& state, const std::string& archive) {
    for (auto _ : state) {
        state.PauseTiming();
        const std::string out = Files().FreshOut() + "/Temp";
        state.ResumeTiming();
        std::vector<std::string> names;
        UnRar_list(archive.c_str(), CollectName, &names);
        int written = 0;
        for (const std::string& name : names)
            written += UnRar_extract(name.c_str(), archive.c_str(), kRarPassword, out.c_str());
        if (written != kSolidSongs) state.SkipWithError("a song is missing");
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kSolidSongs} * (int64_t{kSolidSongMegabytes} << 20));
}

void BM_SolidRar4ByPlayer(benchmark::State& state) { SolidByPlayer(state, Files().rar4); }
void BM_SolidRar4EntryByEntry(benchmark::State& state) { SolidEntryByEntry(state, Files().rar4); }
void BM_SolidRar5ByPlayer(benchmark::State& state) { SolidByPlayer(state, Files().rar5); }
void BM_SolidRar5EntryByEntry(benchmark::State& state) { SolidEntryByEntry(state, Files().rar5); }

void BM_ZipByPlayer(benchmark::State& state) { ByPlayer(state, kZip, LoadZipArchive, Files().zip); }
void BM_ZipByBsdtar(benchmark::State& state) { ByCommand(state, "bsdtar", "bsdtar -xf " + Files().zip); }
void BM_AlzSetByPlayer(benchmark::State& state) { ByPlayer(state, kAlz, LoadAlzArchive, Files().alz); }
void BM_AlzSetByUnalz(benchmark::State& state) { ByCommand(state, "unalz", "unalz " + Files().alz); }

BENCHMARK(BM_ZipByPlayer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ZipByBsdtar)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_AlzSetByPlayer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_AlzSetByUnalz)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SolidRar4ByPlayer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SolidRar4EntryByEntry)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SolidRar5ByPlayer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SolidRar5EntryByEntry)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
