// Adding songs by the file and folder commands, with real songs and the real engine:
// rows appear with file names first and get tag titles and lengths from the
// title-and-time pass; the open commands play what they added.
#include "AddingTestSupport.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "AudioLibrary.h"
#include "Commands.h"
#include "PlaylistEntry.h"

namespace tavora::test {
namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;  // (title, time)

Rows TitlesAndTimes(const PlaylistModel& model) {
    Rows rows;
    for (const auto& e : model.Entries()) rows.emplace_back(e.title, e.time);
    return rows;
}

class FileCommandsTest : public AddingTest {};

// A worker still inside the engine when the player closes (opening an address, reading
// a song) ends before the engine is freed and unloaded under it.
TEST_F(FileCommandsTest, ClosingLetsWorkersFinishBeforeTheEngineGoes) {
    const std::string song = MakeTaggedSong(media_, "a.mp3", "mp3", "A", 1);
    std::atomic<bool> started{false};
    std::atomic<int> opened{-1};
    CTavoraPlayerDlg* controller = dlg();
    controller->jobs().Start("Probe", [&, controller](const std::atomic<bool>& stop) {
        started = true;
        while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(1));  // closing has begun
        const BassFunctions& b = controller->audio().Bass();
        const HSTREAM stream = b.BASS_StreamCreateFile ? b.BASS_StreamCreateFile(FALSE, song.c_str(), 0, 0, 0) : 0;
        opened = stream != 0;
        if (stream) b.BASS_StreamFree(stream);
    });
    ASSERT_TRUE(WaitUntil([&] { return started.load(); }));
    player_.reset();
    EXPECT_EQ(opened, 1) << "the engine was gone before the worker ended";
}

TEST_F(FileCommandsTest, OpenAddsFileNamesAtOnceThenTagTitlesAndTimes) {
    const std::string first = MakeTaggedSong(media_, "첫째 곡.mp3", "mp3", "첫 노래", 2);
    const std::string second = MakeTaggedSong(media_, "second.ogg", "ogg", "Second Song", 3);
    const std::string broken = media_.writeBytes("broken.mp3", {'n', 'o', 't', ' ', 'm', 'p', '3'});
    dialogs_->songFiles.push_back({first, second, broken});

    dlg()->SendCommand(cmd::Open);
    // The add job is done, but the title pass it queued for the UI thread has not run:
    // the rows show what the dialog gave.
    dlg()->jobs().WaitIdle();
    EXPECT_EQ(TitlesAndTimes(model()), (Rows{{"첫째 곡.mp3", ""}, {"second.ogg", ""}, {"broken.mp3", ""}}));
    EXPECT_EQ(model().GetEntryField(0, kColumnPath), first);

    ASSERT_TRUE(WaitFor([&] { return !model().GetEntryField(1, kColumnTime).empty(); }));
    Settle();
    // A file no decoder reads keeps its file name and no time; nothing is reported.
    EXPECT_EQ(TitlesAndTimes(model()), (Rows{{"첫 노래", "00:02"}, {"Second Song", "00:03"}, {"broken.mp3", ""}}));
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(state().isPlaying, 0);

    // A second batch is titled from its own first row; cancelling adds nothing.
    const std::string third = MakeTaggedSong(media_, "third.wma", "wma", "세번째", 1);
    dialogs_->songFiles.push_back({third});
    dlg()->SendCommand(cmd::Open);
    ASSERT_TRUE(WaitFor([&] { return model().GetEntryField(3, kColumnTime) == "00:01"; }));
    EXPECT_EQ(model().GetEntryField(3, kColumnTitle), "세번째");
    dlg()->SendCommand(cmd::Open);
    Settle();
    EXPECT_EQ(model().RowCount(), 4);
    EXPECT_EQ(dialogs_->songCalls, 3);
}

TEST_F(FileCommandsTest, FolderCommandsScanThenTitleAndOpenFolderPlayPlaysTheBatchsFirstRow) {
    model().AddEntry("earlier", "00:10", "/elsewhere/earlier.mp3");
    MakeTaggedSong(media_, "album/a.mp3", "mp3", "Song A", 1);
    MakeTaggedSong(media_, "album/sub/e.ogg", "ogg", "Song E", 1);
    media_.makeAudio("album/c.Mp3", "mp3");  // mixed case: not a song extension
    dialogs_->folders.push_back(media_.path("album"));

    dlg()->SendCommand(cmd::OpenFolder);
    ASSERT_TRUE(WaitForTimes(3));
    Settle();
    EXPECT_EQ(TitlesAndTimes(model()), (Rows{{"earlier", "00:10"}, {"Song A", "00:01"}, {"Song E", "00:01"}}));
    EXPECT_EQ(state().isPlaying, 0);

    // "Open Folder Play": the first row of this batch plays, not the list's first row.
    MakeTaggedSong(media_, "more/x.mp3", "mp3", "Song X", 2);
    MakeTaggedSong(media_, "more/y.mp3", "mp3", "Song Y", 2);
    dialogs_->folders.push_back(media_.path("more"));
    dlg()->SendCommand(cmd::OpenFolderPlay);
    ASSERT_TRUE(WaitFor([&] { return state().isPlaying == 1; }));
    EXPECT_EQ(model().CurrentIndex(), 3);
    EXPECT_EQ(model().SelectedIndex(), 3);
    EXPECT_EQ(model().MarkedRow(), 3);
    EXPECT_EQ(model().GetEntryField(3, kColumnPath), media_.path("more/x.mp3"));
    EXPECT_EQ(dlg()->audio().Bass().BASS_ChannelIsActive(state().channelHandle), BASS_ACTIVE_PLAYING);
    ASSERT_TRUE(WaitForTimes(5));

    // A dropped folder is scanned the same way, without playing; a cancelled dialog
    // scans nothing.
    dlg()->SendCommand(cmd::Stop);
    MakeTaggedSong(media_, "dropped/z.ogg", "ogg", "Song Z", 1);
    dlg()->SendCommand(cmd::OpenFolderDrag, CommandData::Path(media_.path("dropped")));
    dlg()->SendCommand(cmd::OpenFolderPlay);  // no folder chosen: cancelled
    ASSERT_TRUE(WaitForTimes(6));
    Settle();
    EXPECT_EQ(model().GetEntryField(5, kColumnTitle), "Song Z");
    EXPECT_EQ(state().isPlaying, 0);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(FileCommandsTest, OpenTotalFollowsTheOpenSettings) {
    const std::string song = MakeTaggedSong(media_, "open/열기.mp3", "mp3", "열린 노래", 2);

    // "OpenFile": the open dialog; one file is added with its title and time and plays.
    dialogs_->songFiles.push_back({song});
    dlg()->SendCommand(cmd::OpenTotal);
    EXPECT_EQ(dialogs_->songCalls, 1);
    EXPECT_EQ(TitlesAndTimes(model()), (Rows{{"열린 노래", "00:02"}}));
    EXPECT_EQ(state().isPlaying, 1);
    EXPECT_EQ(model().CurrentIndex(), 0);
    EXPECT_EQ(state().titleText, "열린 노래");

    // A chosen file that does not open is not added, and the song keeps playing.
    dialogs_->songFiles.push_back({media_.writeBytes("junk.mp3", {1, 2, 3})});
    dlg()->SendCommand(cmd::OpenTotal);
    EXPECT_EQ(model().RowCount(), 1);
    EXPECT_EQ(state().isPlaying, 1);

    // "OpenUrl": the address dialog (cancelled here).
    state().openUrl = 1;
    dlg()->SendCommand(cmd::OpenTotal);
    EXPECT_EQ(dialogs_->addressCalls, 1);
    EXPECT_EQ(dialogs_->songCalls, 2);

    // "OpenFolder" wins over "OpenUrl": the folder is scanned and its first row played.
    state().openFolder = 1;
    MakeTaggedSong(media_, "open/sub/more.ogg", "ogg", "More", 1);
    dialogs_->folders.push_back(media_.path("open/sub"));
    dlg()->SendCommand(cmd::OpenTotal);
    EXPECT_EQ(dialogs_->folderCalls, 1);
    EXPECT_EQ(dialogs_->addressCalls, 1);
    ASSERT_TRUE(WaitFor([&] { return model().CurrentIndex() == 1 && state().isPlaying == 1; }));
    EXPECT_EQ(model().GetEntryField(1, kColumnPath), media_.path("open/sub/more.ogg"));
    Settle();
    EXPECT_TRUE(messages_.empty());
}

TEST_F(FileCommandsTest, OpenTotalWithSeveralFilesAddsThemAndPlaysTheFirst) {
    const std::string a = MakeTaggedSong(media_, "a.mp3", "mp3", "A", 1);
    const std::string b = MakeTaggedSong(media_, "b.ogg", "ogg", "B", 1);
    const std::string c = MakeTaggedSong(media_, "c.mp3", "mp3", "C", 1);
    const std::string list = media_.path("list.m3u");
    ASSERT_TRUE(WriteM3uLines(list, {"#EXTM3U", c}));
    dialogs_->songFiles.push_back({a, list, b});
    dlg()->SendCommand(cmd::OpenTotal);
    ASSERT_TRUE(WaitForTimes(3));
    Settle();
    // In the order chosen; the list's row comes with its title and time from the loader.
    EXPECT_EQ(TitlesAndTimes(model()), (Rows{{"A", "00:01"}, {"C", "00:01"}, {"B", "00:01"}}));
    EXPECT_EQ(model().CurrentIndex(), 0);
    EXPECT_EQ(state().isPlaying, 1);
}

TEST_F(FileCommandsTest, PlayWithAnEmptyListOpensTheFileDialog) {
    dlg()->SendCommand(cmd::Play);  // cancelled: nothing happens
    EXPECT_EQ(dialogs_->songCalls, 1);
    EXPECT_EQ(model().RowCount(), 0);
    const std::string song = MakeTaggedSong(media_, "play.ogg", "ogg", "Played", 1);
    dialogs_->songFiles.push_back({song});
    dlg()->SendCommand(cmd::Play);
    EXPECT_EQ(dialogs_->songCalls, 2);
    EXPECT_EQ(model().RowCount(), 1);
    EXPECT_EQ(state().isPlaying, 1);
    EXPECT_EQ(model().MarkedRow(), 0);
}

TEST_F(FileCommandsTest, DroppedFileIsTitledAndMeasuredBeforeTheCommandReturns) {
    const std::string song = MakeTaggedSong(media_, "끌어놓기.mp3", "mp3", "끌어 놓은 노래", 2);
    model().AddEntry("earlier", "00:10", "/elsewhere/earlier.mp3");
    dlg()->SendCommand(cmd::MarkAddStart);
    EXPECT_EQ(ClassifyDropped(song, false), DroppedKind::File);
    dlg()->SendCommand(DroppedCommand(DroppedKind::File), CommandData::Path(song));
    EXPECT_EQ(TitlesAndTimes(model()), (Rows{{"earlier", "00:10"}, {"끌어 놓은 노래", "00:02"}}));
    // No path: the command does nothing.
    dlg()->SendCommand(cmd::OpenFileDrag);
    EXPECT_EQ(model().RowCount(), 2);
    EXPECT_EQ(state().isPlaying, 0);
}

TEST_F(FileCommandsTest, ArchivesGoToTheArchiveReader) {
    std::mutex lock;
    std::vector<std::string> archives;  // the folder's archive is found on the scanning thread
    dlg()->RegisterCommand(cmd::StartArchiveLoad, [&](const CommandData& d) {
        std::lock_guard<std::mutex> guard(lock);
        archives.push_back(d.path);
    });
    auto found = [&] {
        std::lock_guard<std::mutex> guard(lock);
        return archives;
    };
    const std::string zip = media_.writeBytes("songs.zip", {'P', 'K', 3, 4});
    std::filesystem::create_directories(media_.path("folder"));
    const std::string rar = media_.writeBytes("folder/more.RAR", {'R', 'a', 'r', '!'});
    dlg()->SendCommand(cmd::OpenFileDrag, CommandData::Path(zip));
    dialogs_->folders.push_back(media_.path("folder"));
    dlg()->SendCommand(cmd::OpenFolder);
    ASSERT_TRUE(WaitFor([&] { return found().size() == 2; }));
    EXPECT_EQ(found(), (std::vector<std::string>{zip, rar}));
    EXPECT_EQ(model().RowCount(), 0);
}

}  // namespace
}  // namespace tavora::test

namespace tavora::test {
namespace {

// "Sort Tag" re-titles every row by the title settings; the times stay as they are
// (they are saved with the list at exit).
TEST_F(FileCommandsTest, SortTagRetitlesAllRowsAndKeepsTheirTimes) {
    const std::string song = MakeTaggedSong(media_, "tagged.mp3", "mp3", "Tag Title", 2);
    model().AddEntry("stale title", "00:02", song);
    model().AddEntry("radio", "URL", "http://127.0.0.1:9/live");
    model().AddEntry("not measured", "", media_.makeAudio("plain.wav", "wav", 1));
    dlg()->SendCommand(cmd::SortTag);
    ASSERT_TRUE(WaitFor([&] { return model().GetEntryField(0, kColumnTitle) == "Tag Title"; }));
    Settle();
    EXPECT_EQ(TitlesAndTimes(model()), (Rows{{"Tag Title", "00:02"}, {"radio", "URL"}, {"plain", ""}}));
}

}  // namespace
}  // namespace tavora::test
