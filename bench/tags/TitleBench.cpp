// Titles read per second, and rows of the title-and-time pass per second, on real
// three-minute MP3 (ID3v2.4 + ID3v1; and ID3v2.3 with a cover picture), OGG and WMA files made by ffmpeg and tagged by the
// usual tools. Files are in the page cache after the first round, as they are when a
// folder's songs are added and then re-titled.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "DisplayTitle.h"
#include "MediaFiles.h"
#include "RowTitleTime.h"

namespace {

using tavora::test::MediaFolder;
using tavora::test::RunTool;

constexpr double kSongSeconds = 180;

struct Songs {
    MediaFolder folder;
    std::string mp3, ogg, wma, mp3WithCover;

    Songs() {
        const std::map<std::string, std::string> utf8 = {{"LC_ALL", "C.UTF-8"}};
        mp3 = folder.makeAudio("song.mp3", "mp3", kSongSeconds);
        RunTool({"mid3v2", "-t", "노래 제목", "-a", "가수", "-A", "앨범", "-T", "3/12", mp3}, utf8);
        RunTool({"id3v2", "-1", "-t", "Title", "-a", "Artist", mp3}, utf8);
        ogg = folder.makeAudio("song.ogg", "ogg", kSongSeconds);
        RunTool({"vorbiscomment", "-w", "-t", "TITLE=노래 제목", "-t", "ARTIST=가수", "-t", "ALBUM=앨범", ogg}, utf8);
        // A 750 KB cover picture ahead of the text frames, as shops and taggers embed them.
        const std::string cover = folder.path("cover.jpg");
        RunTool({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                 "nullsrc=s=1024x1024,geq=lum='random(1)*255':cb=128:cr=128", "-frames:v", "1", "-q:v", "2", cover});
        mp3WithCover = folder.path("cover.mp3");
        RunTool({"ffmpeg", "-v", "error", "-y", "-i", mp3, "-i", cover, "-map", "0:a", "-map", "1", "-c", "copy",
                 "-id3v2_version", "3", "-metadata", "title=노래 제목", "-metadata", "artist=가수", mp3WithCover});
        const std::string plainWma = folder.makeAudio("plain.wma", "wma", kSongSeconds);
        wma = folder.path("song.wma");
        RunTool({"ffmpeg", "-v", "error", "-y", "-i", plainWma, "-c", "copy", "-metadata", "title=노래 제목", "-metadata",
                 "artist=가수", "-metadata", "album=앨범", "-f", "asf", wma});
    }
    const std::string& of(int kind) const { return kind == 0 ? mp3 : kind == 1 ? ogg : kind == 2 ? wma : mp3WithCover; }
};

Songs& TheSongs() {
    static Songs songs;
    return songs;
}

const char* const kKinds[] = {"mp3", "ogg", "wma", "mp3 with cover"};

void BM_ReadDisplayTitle(benchmark::State& state) {
    const std::string& path = TheSongs().of(static_cast<int>(state.range(0)));
    const tavora::TitleSettings settings{true, tavora::TitleFormat::TitleAlbumArtist};
    for (auto _ : state) benchmark::DoNotOptimize(tavora::ReadDisplayTitle(path, settings));
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(std::string(kKinds[state.range(0)]) + " titles");
}
BENCHMARK(BM_ReadDisplayTitle)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void BM_RowTitleAndTime(benchmark::State& state) {
    const std::string& path = TheSongs().of(static_cast<int>(state.range(0)));
    const tavora::TitleSettings settings{true, tavora::TitleFormat::TitleAlbumArtist};
    for (auto _ : state) {
        auto row = tavora::ReadRowTitleAndTime(path, settings);
        if (!row) state.SkipWithError("no length");
        benchmark::DoNotOptimize(row);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(std::string(kKinds[state.range(0)]) + " rows (3-minute songs)");
}
BENCHMARK(BM_RowTitleAndTime)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
