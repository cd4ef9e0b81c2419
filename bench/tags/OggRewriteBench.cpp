// Rewriting the comments of a 50 MB Ogg Vorbis file: our save (read, re-page, write a
// copy, fsync, rename) beside `vorbiscomment -w` on the same file, which writes its copy
// without syncing it. Both run on a warm page cache; the fsync is the price of never
// leaving a half-written file behind.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "MediaFiles.h"
#include "OggTagWriter.h"
#include "TagRecord.h"

namespace {

using tavora::test::MediaFolder;
using tavora::test::RunTool;

struct BigOgg {
    MediaFolder folder;
    std::string path;
    uintmax_t bytes = 0;

    BigOgg() {
        // Noise at the highest quality makes about 50 MB in 18 minutes of audio.
        path = folder.path("big.ogg");
        RunTool({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                 "anoisesrc=color=pink:sample_rate=44100:duration=1100", "-ac", "2", "-c:a", "libvorbis", "-q:a", "10",
                 "-f", "ogg", path});
        RunTool({"vorbiscomment", "-w", "-t", "TITLE=Start", path});
        bytes = std::filesystem::file_size(path);
    }
};

BigOgg& File() {
    static BigOgg file;
    return file;
}

void BM_WriteOggTag(benchmark::State& state) {
    BigOgg& ogg = File();
    tavora::TagRecord fields;
    fields.artist = "가수";
    int round = 0;
    for (auto _ : state) {
        fields.title = "노래 제목 " + std::to_string(++round);
        if (!tavora::WriteOggTag(ogg.path, fields).written) state.SkipWithError("WriteOggTag failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * ogg.bytes));
    state.counters["MB"] = static_cast<double>(ogg.bytes) / 1e6;
}
BENCHMARK(BM_WriteOggTag)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_VorbiscommentTool(benchmark::State& state) {
    BigOgg& ogg = File();
    int round = 0;
    for (auto _ : state) {
        const std::string title = "TITLE=노래 제목 " + std::to_string(++round);
        if (RunTool({"vorbiscomment", "-w", "-t", title, "-t", "ARTIST=가수", ogg.path}, {{"LC_ALL", "C.UTF-8"}}) != 0)
            state.SkipWithError("vorbiscomment failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * ogg.bytes));
    state.counters["MB"] = static_cast<double>(ogg.bytes) / 1e6;
}
BENCHMARK(BM_VorbiscommentTool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
