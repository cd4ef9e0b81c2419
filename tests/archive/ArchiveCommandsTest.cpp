// Archives given to the controller (dropped, handed over on the command line) with the
// real engine and archive modules: their songs become rows that play, deleting a row
// deletes its file (the playing stream is freed first), the sweep runs at exit, and a
// missing module leaves its kind out.
#include <gtest/gtest.h>

#include <QTest>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "AddingTestSupport.h"
#include "ArchiveLoading.h"
#include "ArchiveTestSupport.h"
#include "ArchiveReader.h"
#include "AudioLibrary.h"
#include "Commands.h"
#include "PlaylistEntry.h"
#include "PlaybackView.h"
#include "PlayerHarness.h"
#include "PlaylistObserver.h"
#include "StreamPlayback.h"

namespace tavora::test {
namespace {

namespace fs = std::filesystem;

// A player installed in a folder of its own (its "system" holds the build's modules),
// with the archive reader joined as the Application joins it.
class ArchiveCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        setenv("XDG_RUNTIME_DIR", (reg_.dir() / "runtime").c_str(), 1);
        fs::create_directories(reg_.dir() / "runtime");
        setenv("HOME", reg_.dir().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (reg_.dir() / "config").c_str(), 1);
        setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
        install_ = (reg_.dir() / "install").string();
        fs::create_directories(install_);
        WriteRegString(keys::kRoot, keys::kInstallDir, install_);
    }
    // `system` links every module of the build, or only those `keep` accepts.
    template <typename Keep>
    void LinkModules(Keep keep) {
        const fs::path modules = fs::path(std::getenv("TAVORA_BINARY_DIR")) / "system";
        fs::create_directories(install_ + "/system");
        for (const auto& entry : fs::directory_iterator(modules)) {
            const std::string name = entry.path().filename().string();
            if (keep(name)) fs::create_symlink(entry.path(), install_ + "/system/" + name);
        }
    }
    void StartPlayer() {
        if (!fs::exists(install_ + "/system")) LinkModules([](const std::string&) { return true; });
        player_ = std::make_unique<PlayerHarness>(std::vector<std::string_view>{"archive reader"});
        player_->Start();
        dialogs_ = std::make_shared<ScriptedDialogs>();
        RegisterAddingCommands(player_->controller(), dialogs_);
    }
    void TearDown() override { player_.reset(); }
    PlayerContext& context() { return player_->context(); }
    const PlaybackState& state() { return context().view.State(); }

    std::string Temp(const std::string& name) const { return install_ + "/Temp/" + name; }
    PlaylistModel& model() { return context().playlist; }
    template <typename Done>
    bool WaitFor(Done done) {
        return WaitUntilWithEvents(done);
    }
    // The jobs and what they queued for the UI thread, until the player is idle.
    void Settle() { player_->Drain(); }
    std::string MakeArchive(const std::string& name, const std::string& json) {
        const std::string out = media_.path(name);
        EXPECT_TRUE(RunShell("python3 " + Quote(TestScript("make_archive.py")) + " " + Quote(out) + " " + Quote(json)));
        return out;
    }

    TempRegistry reg_;
    MediaFolder media_;
    std::string install_;
    std::unique_ptr<PlayerHarness> player_;
    std::shared_ptr<ScriptedDialogs> dialogs_;
};

// Watches an archive's rows arrive on the loading thread: whether a row ever came
// before its file, and whether `later` was already extracted when the first row came.
// The extraction is held at the second row until Release().
class RowArrivals : public PlaylistObserver {
public:
    RowArrivals(PlaylistModel& model, std::string later) : model_(model), later_(std::move(later)) {}
    void RowsAdded(int first, int count) override {
        std::unique_lock<std::mutex> lock(mutex_);
        for (int row = first; row < first + count; ++row) {
            if (!fs::exists(model_.GetEntryField(row, kColumnPath))) rowBeforeFile = true;
            if (added_ == 0) laterExtractedAtFirstRow = fs::exists(later_);
            if (++added_ == 2) released_.wait_for(lock, std::chrono::seconds(60), [this] { return release_; });
        }
    }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        release_ = true;
        released_.notify_all();
    }
    bool rowBeforeFile = false;
    bool laterExtractedAtFirstRow = false;

private:
    PlaylistModel& model_;
    const std::string later_;
    std::mutex mutex_;
    std::condition_variable released_;
    int added_ = 0;
    bool release_ = false;
};

TEST_F(ArchiveCommandsTest, DroppedZipSongsPlayDeletingFreesTheirFileAndExitSweeps) {
    StartPlayer();
    MakeTaggedSong(media_, "pack/a.mp3", "mp3", "Song A", 1);
    MakeTaggedSong(media_, "pack/b.OGG", "ogg", "Song B", 1);
    MakeTaggedSong(media_, "pack/x.Mp3", "mp3", "Mixed Case", 1);
    std::ofstream(media_.path("pack/cover.jpg")) << "not a picture";
    ASSERT_TRUE(RunShell("cd " + Quote(media_.path("pack")) + " && zip -q ../songs.zip a.mp3 cover.jpg b.OGG x.Mp3"));

    context().commands.Send(cmd::OpenFileDrag, CommandData::Path(media_.path("songs.zip")));
    ASSERT_TRUE(WaitFor([&] { return model().RowCount() == 2; }));
    Settle();
    EXPECT_EQ(Fields(model()), (RowFields{{"a.mp3", std::string(kTimeArchive), Temp("a.mp3")}, {"b.OGG", std::string(kTimeArchive), Temp("b.OGG")}}));

    // The row plays from its extracted file and gets its length when it starts.
    context().commands.Send(cmd::PlayRow, CommandData::Value(1));
    ASSERT_TRUE(WaitFor([&] { return state().isPlaying == 1; }));
    EXPECT_EQ(model().GetEntryField(1, kColumnTime), "00:01");

    // Deleting the playing row frees the stream, then deletes the file.
    model().DeleteSelectedEntries({1});
    EXPECT_FALSE(fs::exists(Temp("b.OGG")));
    EXPECT_EQ(state().isPlaying, 0);
    EXPECT_TRUE(fs::exists(Temp("cover.jpg")));

    // Exit: songs stay for the saved rows, the rest is swept (by the same case rule).
    player_.reset();
    EXPECT_TRUE(fs::exists(Temp("a.mp3")));
    EXPECT_FALSE(fs::exists(Temp("x.Mp3")));
    EXPECT_FALSE(fs::exists(Temp("cover.jpg")));
}

// "-s" with an archive plays its first song once extracted; "-add" only adds. A RAR and
// an ALZ started together are listed by jobs of their own, each with its own path.
TEST_F(ArchiveCommandsTest, CommandLineArchivesAddAndPlay) {
    StartPlayer();
    const std::string song = MakeTaggedSong(media_, "s.mp3", "mp3", "Song S", 1);
    const std::string rar = MakeArchive("set.rar", R"([{"name": "album", "folder": true},
        {"name": "album/s.mp3", "file": ")" + song + R"("}, {"name": "liner.txt", "data": "notes"}])");
    const std::string alz = MakeArchive("set.alz", R"([{"name": "one/t.mp3", "file": ")" + song + R"("},
        {"name": "readme.txt", "data": "text"}])");

    context().commands.Send(cmd::HandOffAddAndPlay, CommandData::Path(rar));
    context().commands.Send(cmd::HandOffAdd, CommandData::Path(alz));
    ASSERT_TRUE(WaitFor([&] { return model().RowCount() == 3 && state().isPlaying == 1; }));
    Settle();
    const std::string playing = model().GetEntryField(model().CurrentIndex(), kColumnPath);
    EXPECT_EQ(playing, Temp("album/s.mp3"));
    RowFields rows = Fields(model());
    std::sort(rows.begin(), rows.end());
    // The played row has its tag title and length now.
    EXPECT_EQ(rows, (RowFields{{"Song S", "00:01", Temp("album/s.mp3")},
                               {"readme.txt", std::string(kTimeArchive), Temp("readme.txt")},
                               {"t.mp3", std::string(kTimeArchive), Temp("one/t.mp3")}}));
}

// One archive opened with the open dialog ("Open Total") stops the song that plays and
// adds the archive's songs without playing them; "-s" with an archive plays its first
// song in place of the one that played.
TEST_F(ArchiveCommandsTest, OpeningOneArchiveStopsThePlayingSongAndSPlaysItsFirst) {
    StartPlayer();
    const std::string now = MakeTaggedSong(media_, "now.mp3", "mp3", "Now", 20);
    const std::string song = MakeTaggedSong(media_, "s.mp3", "mp3", "Song S", 1);
    struct Case {
        const char* how;
        bool viaOpenTotal;
        bool archiveSongPlays;
    };
    for (const Case& c : {Case{"Open Total", true, false}, Case{"-s", false, true}}) {
        SCOPED_TRACE(c.how);
        model().DeleteAllEntries();
        const std::string folder = c.viaOpenTotal ? "opened" : "started";
        const std::string archive = MakeArchive(folder + ".rar", R"([{"name": ")" + folder + R"(/a.mp3", "file": ")" +
                                                                     song + R"("}])");
        model().AddEntries({{"Now", "00:20", now}});
        context().commands.Send(cmd::PlayRow, CommandData::Value(0));
        ASSERT_TRUE(WaitFor([&] { return state().isPlaying == 1; }));
        if (c.viaOpenTotal) {
            dialogs_->songFiles.push_back({archive});
            context().commands.Send(cmd::OpenTotal);
        } else {
            context().commands.Send(cmd::HandOffAddAndPlay, CommandData::Path(archive));
        }
        ASSERT_TRUE(WaitFor([&] { return model().RowCount() == 2; }));
        Settle();
        const std::string extracted = Temp(folder + "/a.mp3");
        EXPECT_EQ(model().GetEntryField(1, kColumnPath), extracted);
        EXPECT_EQ(state().isPlaying, c.archiveSongPlays ? 1 : 0);
        if (c.archiveSongPlays) {
            EXPECT_EQ(model().GetEntryField(model().CurrentIndex(), kColumnPath), extracted);
        }
    }
}

// "-s" with an archive: each song's row comes as soon as its file is complete (never
// before it), and the first song plays while the rest is still being extracted: here
// the extraction is held at the second song until the first plays.
TEST_F(ArchiveCommandsTest, SWithAnArchivePlaysItsFirstSongWhileTheRestExtracts) {
    StartPlayer();
    const std::string song = MakeTaggedSong(media_, "pack/a.mp3", "mp3", "Song A", 1);
    fs::copy_file(song, media_.path("pack/b.mp3"));
    ASSERT_TRUE(RunShell("cd " + Quote(media_.path("pack")) + " && zip -q ../two.zip a.mp3 b.mp3"));
    const std::string rar = MakeArchive("two.rar", R"([{"name": "r/a.mp3", "file": ")" + song +
                                                       R"("}, {"name": "r/b.mp3", "file": ")" + song + R"("}])");
    struct Case {
        std::string archive;
        std::string folder;
    };
    for (const Case& c : {Case{media_.path("two.zip"), ""}, Case{rar, "r/"}}) {
        SCOPED_TRACE(c.archive);
        context().commands.Send(cmd::Stop);
        model().DeleteAllEntries();
        RowArrivals arrivals(model(), Temp(c.folder + "b.mp3"));
        model().AddObserver(&arrivals);
        context().commands.Send(cmd::HandOffAddAndPlay, CommandData::Path(c.archive));
        EXPECT_TRUE(test::WaitUntilWithEvents([&] { return state().isPlaying == 1; }));
        arrivals.Release();
        EXPECT_TRUE(WaitFor([&] { return model().RowCount() == 2; }));
        Settle();
        model().RemoveObserver(&arrivals);
        EXPECT_EQ(model().GetEntryField(model().CurrentIndex(), kColumnPath), Temp(c.folder + "a.mp3"));
        EXPECT_FALSE(arrivals.rowBeforeFile);
        EXPECT_FALSE(arrivals.laterExtractedAtFirstRow);
    }
}

// Archives of every kind started at once: each job lists its own archive (none reads a
// path meant for another), archives of one kind one after the other, and every song
// arrives exactly once, after the songs before it in its archive. (Archives of different
// kinds extract at the same time, so their rows, each added once its file is there, may
// interleave.)
TEST_F(ArchiveCommandsTest, ManyArchivesAtOnceEachListedOnce) {
    StartPlayer();
    std::vector<std::string> archives;
    std::vector<std::string> expected;
    for (int i = 0; i < 2; ++i) {
        const std::string n = std::to_string(i);
        std::ofstream(media_.path("z" + n + "a.mp3")) << "z";
        std::ofstream(media_.path("z" + n + "b.mp3")) << "z";
        ASSERT_TRUE(RunShell("cd " + Quote(media_.path("")) + " && zip -q z" + n + ".zip z" + n + "a.mp3 z" + n + "b.mp3"));
        archives.push_back(media_.path("z" + n + ".zip"));
        archives.push_back(MakeArchive("r" + n + ".rar", R"([{"name": "r)" + n + R"(a.mp3", "data": "r"},
            {"name": "r)" + n + R"(b.mp3", "data": "r"}])"));
        archives.push_back(MakeArchive("l" + n + ".alz", R"([{"name": "l)" + n + R"(a.mp3", "data": "l"},
            {"name": "l)" + n + R"(b.mp3", "data": "l"}])"));
        for (const char* kind : {"z", "r", "l"})
            for (const char* song : {"a", "b"}) expected.push_back(kind + n + song + ".mp3");
    }
    for (const std::string& path : archives) context().commands.Post(cmd::StartArchiveLoad, CommandData::Path(path));
    ASSERT_TRUE(WaitFor([&] { return model().RowCount() >= 12; }));
    Settle();
    std::vector<std::string> titles;
    for (const auto& e : model().Entries()) titles.push_back(e.title);
    ASSERT_EQ(titles.size(), 12u);
    for (size_t i = 0; i < titles.size(); ++i) {
        if (titles[i].substr(2) != "b.mp3") continue;  // "z0b.mp3" comes after its archive's "z0a.mp3"
        const auto a = std::find(titles.begin(), titles.end(), titles[i].substr(0, 2) + "a.mp3");
        EXPECT_LT(a - titles.begin(), static_cast<long>(i)) << titles[i];
    }
    std::sort(titles.begin(), titles.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(titles, expected);
}

// Without UnRar.so, and with an UnZip.so that lacks the entry points, both count as
// missing; their archives are not listed, the ALZ still is.
TEST_F(ArchiveCommandsTest, MissingModulesLeaveTheirKindOut) {
    LinkModules([](const std::string& name) { return name != kUnRarModule && name != kUnZipModule; });
    fs::create_symlink(fs::path(std::getenv("TAVORA_BINARY_DIR")) / "system" / kBassFxModule,
                       install_ + "/system/" + kUnZipModule);
    StartPlayer();
    const std::vector<std::string> missing = context().engine.MissingFiles();
    EXPECT_NE(std::find(missing.begin(), missing.end(), kUnRarModule), missing.end());
    EXPECT_NE(std::find(missing.begin(), missing.end(), kUnZipModule), missing.end());
    EXPECT_EQ(std::find(missing.begin(), missing.end(), kUnAlzipperModule), missing.end());

    const std::string rar = MakeArchive("x.rar", R"([{"name": "a.mp3", "data": "a"}])");
    const std::string alz = MakeArchive("x.alz", R"([{"name": "b.mp3", "data": "b"}])");
    ASSERT_TRUE(RunShell("cd " + Quote(media_.path("")) + " && zip -q x.zip x.rar"));
    for (const std::string& path : {rar, media_.path("x.zip"), alz})
        context().commands.Send(cmd::OpenFileDrag, CommandData::Path(path));
    ASSERT_TRUE(WaitFor([&] { return model().RowCount() == 1; }));
    Settle();
    EXPECT_EQ(Fields(model()), (RowFields{{"b.mp3", std::string(kTimeArchive), Temp("b.mp3")}}));
}

}  // namespace
}  // namespace tavora::test
