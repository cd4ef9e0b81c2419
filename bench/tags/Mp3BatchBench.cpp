// Batch-writing the tags of 500 MP3 files: the writer alone, file after file, and the
// editor's batch save (all rows selected, a new album, automatic track numbers), which
// adds the worker job, the progress dialog and re-titling through "Update Tag".
// Each file is a one-second song tagged by id3v2 (ID3v1 and ID3v2.3).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QTreeWidget>

#include <filesystem>

#include "BackgroundJobs.h"
#include "CommandSink.h"
#include "MediaFiles.h"
#include "Mp3TagDialog.h"
#include "Mp3TagWriter.h"

namespace {

using tavora::test::MediaFolder;
using tavora::test::RunTool;

constexpr int kFiles = 500;

struct Mp3Files {
    MediaFolder folder;
    std::vector<std::string> paths;

    Mp3Files() {
        const std::string first = folder.makeAudio("song.mp3", "mp3");
        RunTool({"id3v2", "-t", "Title", "-a", "Artist", "-A", "Album", "-T", "1", first});
        for (int i = 0; i < kFiles; ++i) {
            paths.push_back(folder.path("song" + std::to_string(i) + ".mp3"));
            std::filesystem::copy_file(first, paths.back(), std::filesystem::copy_options::overwrite_existing);
        }
    }
};

Mp3Files& Files() {
    static Mp3Files files;
    return files;
}

QApplication& App() {
    static int argc = 1;
    static char name[] = "mp3_batch_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class CountingSink : public tavora::CommandSink {
public:
    int updates = 0;
    void Send(tavora::cmd::Command c, tavora::CommandData) override { updates += c == tavora::cmd::UpdateTag; }
    void Post(tavora::cmd::Command c, tavora::CommandData d) override { Send(c, std::move(d)); }
};

void BM_WriteMp3Tag500(benchmark::State& state) {
    Mp3Files& files = Files();
    int round = 0;
    for (auto _ : state) {
        tavora::Mp3TagValues values;
        values.v1.title = values.v2.title = "노래 " + std::to_string(++round);
        values.v1.album = values.v2.album = "앨범";
        values.genreText = "(17)Rock";
        for (const std::string& path : files.paths)
            if (!tavora::WriteMp3Tag(path, values).written) state.SkipWithError("WriteMp3Tag failed");
    }
    state.counters["files/s"] = benchmark::Counter(static_cast<double>(kFiles * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WriteMp3Tag500)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_EditorBatchSave500(benchmark::State& state) {
    App();
    Mp3Files& files = Files();
    std::vector<tavora::TaggedRow> rows;
    for (int i = 0; i < kFiles; ++i) rows.push_back({files.paths[static_cast<size_t>(i)], i});
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        tavora::BackgroundJobs jobs;
        CountingSink sink;
        std::vector<tavora::Mp3EditorTags> tags;
        for (const auto& r : rows) tags.push_back(tavora::ReadMp3EditorTags(r.path));
        tavora::Mp3TagDialog dialog(rows, std::move(tags), jobs, &sink);
        dialog.show();
        dialog.fileList()->selectAll();
        dialog.v1Box()->setChecked(true);
        dialog.v2Box()->setChecked(true);
        dialog.autoTrackBox()->setChecked(true);
        dialog.combo(tavora::Mp3Field::Album)->setEditText(QString::fromStdString("앨범 " + std::to_string(++round)));
        QEventLoop loop;
        QObject::connect(&dialog, &tavora::Mp3TagDialog::saveFinished, &loop, &QEventLoop::quit);
        state.ResumeTiming();
        dialog.Save();
        loop.exec();
        state.PauseTiming();
        if (sink.updates != kFiles) state.SkipWithError("not every file was written");
        jobs.WaitIdle();
        state.ResumeTiming();
    }
    state.counters["files/s"] = benchmark::Counter(static_cast<double>(kFiles * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EditorBatchSave500)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
