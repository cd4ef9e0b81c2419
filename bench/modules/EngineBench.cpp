// Cost of the audio engine against the raw decoding libraries, in one process:
//  - BM_Raw*: libmpg123 / libvorbisfile decoding a file to float samples, nothing else.
//  - BM_EngineDecodeOnly*: bass.so's decoding stream alone on the same file.
//  - BM_EngineChain*: the player's chain on the same file through bass.so/bass_fx.so:
//    decoding stream, tempo stream at tempo 0, ten peaking-equaliser bands (all with a
//    gain, so none is bypassed), and the volume multiply the mixer does per sample.
//  - BM_EngineFlatChain*: the same chain with every band at 0 dB (the equaliser's
//    default), which must cost hardly more than decoding.
//  - BM_MinuteOfPlaybackCpu: process CPU time while a 60 s file plays to the "null"
//    output (paced in real time) through the same chain; takes a minute.
// Files are made once at start-up with ffmpeg (a tone mixed with noise, 44.1 kHz stereo).

#include <benchmark/benchmark.h>
#include <mpg123.h>
#include <vorbis/vorbisfile.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tavora/bass_api.h"

namespace {

namespace fs = std::filesystem;

struct Media {
    fs::path dir;
    std::string mp3, ogg, minute;
    Media() {
        dir = fs::temp_directory_path() / ("tavora-bench-" + std::to_string(getpid()));
        fs::create_directories(dir);
        const std::string source = "-f lavfi -i 'sine=f=440:d=30,volume=2[a];anoisesrc=d=30:a=0.1[b];[a][b]amix=inputs=2' -ar 44100 -ac 2";
        mp3 = (dir / "bench.mp3").string();
        ogg = (dir / "bench.ogg").string();
        minute = (dir / "minute.mp3").string();
        Run("ffmpeg -nostdin -v error -y " + source + " -c:a libmp3lame -b:a 192k " + mp3);
        Run("ffmpeg -nostdin -v error -y " + source + " -c:a libvorbis -q:a 5 " + ogg);
        Run("ffmpeg -nostdin -v error -y -f lavfi -i 'sine=f=440:d=60' -ar 44100 -ac 2 -c:a libmp3lame -b:a 192k " + minute);
    }
    ~Media() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    static void Run(const std::string& command) {
        if (std::system(command.c_str()) != 0) std::abort();
    }
};

Media& Files() {
    static Media media;
    return media;
}

void BM_RawMpg123(benchmark::State& state) {
    mpg123_init();
    std::vector<float> buffer(8192);
    for (auto _ : state) {
        int err = 0;
        mpg123_handle* h = mpg123_new(nullptr, &err);
        mpg123_param(h, MPG123_ADD_FLAGS, MPG123_FORCE_FLOAT | MPG123_QUIET, 0);
        mpg123_open(h, Files().mp3.c_str());
        size_t got = 0, total = 0;
        int rc;
        while ((rc = mpg123_read(h, reinterpret_cast<unsigned char*>(buffer.data()), buffer.size() * 4, &got)) == MPG123_OK ||
               rc == MPG123_NEW_FORMAT)
            total += got;
        benchmark::DoNotOptimize(total);
        mpg123_close(h);
        mpg123_delete(h);
    }
}

void BM_RawVorbis(benchmark::State& state) {
    for (auto _ : state) {
        OggVorbis_File file;
        ov_fopen(Files().ogg.c_str(), &file);
        float** pcm = nullptr;
        int link = 0;
        long got, total = 0;
        while ((got = ov_read_float(&file, &pcm, 4096, &link)) > 0) total += got;
        benchmark::DoNotOptimize(total);
        ov_clear(&file);
    }
}

// The player's chain on a decoding tempo stream (decoding channels skip the mixer, so
// the volume multiply is done here exactly as the mixer does it).
HSTREAM OpenChain(const std::string& path, DWORD flags, bool flat = false) {
    const HSTREAM source = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    const HSTREAM tempo = BASS_FX_TempoCreate(source, flags | BASS_FX_FREESOURCE);
    BASS_FX_TempoSet(tempo, 0, 0, 0);
    const float centers[10] = {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000};
    for (int i = 0; i < 10; ++i) BASS_FX_DSP_Set(tempo, BASS_FX_DSPFX_PEAKEQ, 0);
    for (int i = 0; i < 10; ++i) {
        BASS_FX_PEAKEQ_BAND band {i, 44100, 1.0f, 0.0f, centers[i], flat ? 0.0f : i % 2 ? 3.0f : -3.0f};
        BASS_FX_DSP_SetParameters(tempo, BASS_FX_DSPFX_PEAKEQ, &band);
    }
    BASS_ChannelSetAttributes(tempo, 0, 50, -101);
    return tempo;
}

void EngineChain(benchmark::State& state, const std::string& path, bool flat) {
    if (!BASS_Init(0, 44100, 0, nullptr, nullptr)) {
        state.SkipWithError("BASS_Init failed");
        return;
    }
    std::vector<float> buffer(8192);
    for (auto _ : state) {
        const HSTREAM chain = OpenChain(path, BASS_STREAM_DECODE, flat);
        DWORD bytes;
        const float volume = 0.5f;
        while ((bytes = BASS_ChannelGetData(chain, buffer.data(), static_cast<DWORD>(buffer.size() * 4) | BASS_DATA_FLOAT)) !=
                   static_cast<DWORD>(-1) && bytes > 0)
            for (size_t i = 0; i < bytes / 4; ++i) buffer[i] *= volume;
        benchmark::DoNotOptimize(buffer.data());
        BASS_StreamFree(chain);
    }
    BASS_Free();
}

// The decoding stream alone, without the tempo stream and equaliser: the engine's own
// plumbing (exact-length scan at open, channel reads) over the raw library.
void EngineDecodeOnly(benchmark::State& state, const std::string& path) {
    if (!BASS_Init(0, 44100, 0, nullptr, nullptr)) {
        state.SkipWithError("BASS_Init failed");
        return;
    }
    std::vector<float> buffer(8192);
    for (auto _ : state) {
        const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
        DWORD bytes;
        while ((bytes = BASS_ChannelGetData(stream, buffer.data(), static_cast<DWORD>(buffer.size() * 4) | BASS_DATA_FLOAT)) !=
                   static_cast<DWORD>(-1) && bytes > 0)
            benchmark::DoNotOptimize(buffer.data());
        BASS_StreamFree(stream);
    }
    BASS_Free();
}

void BM_EngineDecodeOnlyMp3(benchmark::State& state) { EngineDecodeOnly(state, Files().mp3); }
void BM_EngineDecodeOnlyVorbis(benchmark::State& state) { EngineDecodeOnly(state, Files().ogg); }
void BM_EngineChainMp3(benchmark::State& state) { EngineChain(state, Files().mp3, false); }
void BM_EngineChainVorbis(benchmark::State& state) { EngineChain(state, Files().ogg, false); }
void BM_EngineFlatChainMp3(benchmark::State& state) { EngineChain(state, Files().mp3, true); }
void BM_EngineFlatChainVorbis(benchmark::State& state) { EngineChain(state, Files().ogg, true); }

double ProcessCpuSeconds() {
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

void BM_MinuteOfPlaybackCpu(benchmark::State& state) {
    setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
    for (auto _ : state) {
        if (!BASS_Init(1, 44100, 0, nullptr, nullptr)) {
            state.SkipWithError("BASS_Init failed");
            return;
        }
        const HSTREAM chain = OpenChain(Files().minute, 0);
        const double cpuBefore = ProcessCpuSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        BASS_ChannelPlay(chain, TRUE);
        while (BASS_ChannelIsActive(chain) == BASS_ACTIVE_PLAYING) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        state.SetIterationTime(wall);
        state.counters["cpu_seconds"] = cpu;
        state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / wall;
        BASS_Free();
    }
}

}  // namespace

BENCHMARK(BM_RawMpg123)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineDecodeOnlyMp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineChainMp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineFlatChainMp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawVorbis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineDecodeOnlyVorbis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineChainVorbis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineFlatChainVorbis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinuteOfPlaybackCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    Files();  // make the media before anything is timed
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
