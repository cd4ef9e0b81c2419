// Painting the playlist's list control: one screen of rows, and one page of scrolling
// followed by the repaint, for lists of 10 to 100,000 rows. Only the rows in view are
// read and drawn, so the figures should not grow with the list.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <cstdlib>
#include <string>
#include <vector>

#include "PlaylistListCtrl.h"
#include "PlaylistModel.h"

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "playlistwindow_bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

struct Fixture {
    explicit Fixture(int rows) : list(model) {
        std::vector<tavora::NewEntry> entries;
        entries.reserve(static_cast<size_t>(rows));
        for (int i = 0; i < rows; ++i)
            entries.push_back({"Artist " + std::to_string(i % 97) + " - 노래 제목 " + std::to_string(i), "04:05",
                               "/music/album/" + std::to_string(i) + ".mp3"});
        model.AddEntries(std::move(entries));
        QCoreApplication::processEvents();
        list.resize(330, 480);  // 30 rows on screen
        list.LayoutColumns(true);
        list.SelectOnly(rows / 2);
        model.MarkCurrentRow(rows / 2 + 1);
    }
    tavora::PlaylistModel model;
    tavora::PlaylistListCtrl list;
    QImage target{330, 480, QImage::Format_RGB32};
};

void BM_PaintOneScreen(benchmark::State& state) {
    App();
    Fixture f(static_cast<int>(state.range(0)));
    f.list.ScrollTo(static_cast<int>(state.range(0)) / 2);
    for (auto _ : state) {
        f.list.render(&f.target);
        benchmark::DoNotOptimize(f.target.constBits());
    }
    state.SetLabel(std::to_string(f.list.rowsPerPage()) + " rows on screen");
}
BENCHMARK(BM_PaintOneScreen)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_ScrollOnePage(benchmark::State& state) {
    App();
    const int rows = static_cast<int>(state.range(0));
    Fixture f(rows);
    const int page = f.list.rowsPerPage();
    int top = 0;
    for (auto _ : state) {
        top += page;
        if (top > rows - page) top = 0;
        f.list.ScrollTo(top);
        f.list.render(&f.target);
        benchmark::DoNotOptimize(f.target.constBits());
    }
}
BENCHMARK(BM_ScrollOnePage)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
