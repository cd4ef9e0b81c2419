// Loading a skin (parse plus every bitmap) and composing the main window, on the
// generated default skin. Figures are per iteration; run with --benchmark_time_unit=ms.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdlib>
#include <string>

#include "SkinIdentifiers.h"
#include "SkinPictures.h"
#include "SkinReader.h"

namespace {

const std::string& SkinFolder() {
    static const std::string folder = std::string(TAVORA_GENERATED_SKINS_DIR) + "/Default";
    return folder;
}

void BM_ParseDescription(benchmark::State& state) {
    for (auto _ : state) {
        tavora::SkinReader reader;
        benchmark::DoNotOptimize(reader.Open(SkinFolder() + "/TavoraSkin.xml"));
    }
}
BENCHMARK(BM_ParseDescription)->Unit(benchmark::kMillisecond);

void BM_LoadSkin(benchmark::State& state) {
    for (auto _ : state) {
        tavora::SkinReader reader;
        reader.Open(SkinFolder() + "/TavoraSkin.xml");
        tavora::SkinElementSet set;
        benchmark::DoNotOptimize(tavora::LoadSkinElementSet(reader, SkinFolder(), set));
    }
}
BENCHMARK(BM_LoadSkin)->Unit(benchmark::kMillisecond);

void BM_ComposeMainWindow(benchmark::State& state) {
    tavora::SkinElementSet set;
    tavora::pictures::LoadSkin(SkinFolder(), set);
    tavora::pictures::MainState playing;
    for (auto _ : state) benchmark::DoNotOptimize(tavora::pictures::MainPicture(set, playing));
}
BENCHMARK(BM_ComposeMainWindow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
