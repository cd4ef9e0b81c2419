// The main window's work per 30 ms display tick on the generated default skin, with
// the offscreen platform: a refresh that finds nothing changed, a spectrum step, the
// repaint of the title strip and spectrum that a scrolling title and moving bars
// cause, and a full composition for comparison. Figures are per iteration.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPaintEvent>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Application.h"
#include "MainWindow.h"
#include "PlayerEvents.h"
#include "SkinBitmap.h"
#include "TavoraPlayerDlg.h"

namespace {

struct Fixture {
    Fixture() {
        const auto dir = std::filesystem::temp_directory_path() / ("tavora-mainwindow-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        setenv("TAVORA_REGISTRY", (dir / "registry.db").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        tavora::CurrentSkinFolder = std::string(TAVORA_GENERATED_SKINS_DIR) + "/Default";
        tavora::CurrentSkinFile = tavora::CurrentSkinFolder + "/TavoraSkin.xml";
        // The player without its features; the bench makes the main window itself.
        app = std::make_unique<tavora::Application>("", "");
        dlg = &app->Assemble([](const tavora::Feature&) { return false; });
        tavora::PlayerContext& context = dlg->context();
        window = new tavora::MainWindow(context.commands, context.view, context.events, context.windows.Owner());
        window->show();
        dlg->state().isPlaying = 1;
        dlg->state().channelInfo = {44100, 2, 0};
        dlg->SetTitleText("A long song title that scrolls across the strip - 타보라 벤치마크");
        QApplication::processEvents();
    }
    std::unique_ptr<tavora::Application> app;
    tavora::CTavoraPlayerDlg* dlg = nullptr;
    tavora::MainWindow* window = nullptr;
};

Fixture& Get() {
    static int argc = 1;
    static char name[] = "mainwindow_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    static Fixture fixture;
    return fixture;
}

void BM_RefreshUnchanged(benchmark::State& state) {
    Fixture& f = Get();
    // A hidden window skips its refreshes: the figure would mean nothing.
    if (!f.window->isVisible() || f.window->isMinimized()) state.SkipWithError("the window is not shown");
    f.window->RefreshDisplay();
    QApplication::processEvents();
    for (auto _ : state) f.window->RefreshDisplay();
}
BENCHMARK(BM_RefreshUnchanged)->Unit(benchmark::kMicrosecond);

void BM_SpectrumStep(benchmark::State& state) {
    Fixture& f = Get();
    std::vector<float> bins(256);
    int tick = 0;
    for (auto _ : state) {
        for (int b = 0; b < 256; ++b) bins[b] = 0.05f + 0.05f * ((b + tick) % 7) / 7.0f;
        if (++tick % 3 == 0) f.window->spectrum().Feed(bins.data(), 256);
        benchmark::DoNotOptimize(f.window->spectrum().Step(true));
    }
}
BENCHMARK(BM_SpectrumStep)->Unit(benchmark::kMicrosecond);

// What a scrolling title and moving bars repaint each tick: the strip and the spectrum.
void BM_PaintStripAndSpectrum(benchmark::State& state) {
    Fixture& f = Get();
    const QRegion region = QRegion(f.window->PlacedRect("ID_LCD_MP3INFO_GROUND")) +
                           f.window->PlacedRect("ID_LCD_SPEC_GROUND");
    for (auto _ : state) {
        f.window->repaint(region);
    }
}
BENCHMARK(BM_PaintStripAndSpectrum)->Unit(benchmark::kMicrosecond);

void BM_PaintWholeWindow(benchmark::State& state) {
    Fixture& f = Get();
    for (auto _ : state) f.window->repaint();
}
BENCHMARK(BM_PaintWholeWindow)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
