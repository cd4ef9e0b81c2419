// Addresses and playlist files: the address dialog and "Create Url" against a real web
// server on the loopback interface, PLS lists by address and dropped, saving and
// loading M3U files, dropped M3U files.
#include "AddingTestSupport.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTimer>

#include "AddressDialog.h"
#include "Commands.h"
#include "DialogFilters.h"
#include "Messages.h"
#include "PlaylistEntry.h"

namespace tavora::test {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class AddressAndListTest : public AddingTest {
protected:
    void SetUp() override {
        AddingTest::SetUp();
        // Long enough that the decoder's read-ahead never eats into the buffering wait's
        // three quarters: the wait would only end by its time limit.
        MakeTaggedSong(media_, "web/song.mp3", "mp3", "Web Song", 90);
        server_ = std::make_unique<LoopbackWebServer>(media_.path("web"));
        ASSERT_TRUE(server_->running()) << "python3 -m http.server did not start";
    }
    void TearDown() override {
        AddingTest::TearDown();
        server_.reset();
    }
    std::unique_ptr<LoopbackWebServer> server_;
};

TEST(AddressDialogTest, SchemeRuleAndFilters) {
    App();
    AddressDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("주소 열기"));
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"example.com/a.mp3", "http://example.com/a.mp3"},
        {"  example.com/a.mp3 ", "http://example.com/a.mp3"},
        {"MMS://host/live", "MMS://host/live"},
        {"Mms://host/live", "Mms://host/live"},
        {"Http://host/a.mp3", "Http://host/a.mp3"},
        {"hTTp://host/a.mp3", "http://hTTp://host/a.mp3"},  // only the three spellings count
        {"https://host/a.mp3", "http://https://host/a.mp3"},
        {"", std::nullopt},
        {"   ", std::nullopt},
    };
    for (const auto& [typed, expected] : cases) {
        dialog.field()->setEditText(QString::fromUtf8(typed));
        EXPECT_EQ(dialog.Address(), expected) << typed;
    }

    EXPECT_EQ(QtNameFilters(kSongFilter),
              QStringList{QStringLiteral(
                  "타보라 재생 파일 (*.wav *.mp3 *.mp2 *.mp1 *.ogg *.asf *.wma *.cda *.zip *.rar *.alz)")});
    EXPECT_EQ(QtNameFilters(kM3uFilter), QStringList{QStringLiteral("M3U 리스트(*.m3u)")});
    EXPECT_EQ(QtNameFilters("A|*.a|B (*.x)|*.b;*.c||"), (QStringList{QStringLiteral("A (*.a)"), QStringLiteral("B (*.x) (*.b *.c)")}));
    EXPECT_TRUE(QtNameFilters("|||no patterns|").isEmpty());
}

// Answers the next modal dialog of type D with `answer` once it is up. `answer` returns
// false while the dialog is not ready for it; it is then asked again a moment later. A
// dialog that never gets ready is cancelled after the tests' state time-out.
template <typename D, typename Answer>
class DialogAnswerer {
public:
    explicit DialogAnswerer(Answer answer) : answer_(std::move(answer)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
            if (!dialog || answered_) return;
            if (!waiting_.isValid()) waiting_.start();
            answered_ = answer_(*dialog);
            if (!answered_ && waiting_.hasExpired(kStateTimeout.count())) {
                ADD_FAILURE() << "the dialog did not get ready";
                dialog->reject();
                answered_ = true;
            }
        });
        timer_.start(20);
    }
    bool answered() const { return answered_; }

private:
    Answer answer_;
    QTimer timer_;
    QElapsedTimer waiting_;
    bool answered_ = false;
};

// Shows `folder` in a file dialog; true once its list shows at least `rows` entries
// (the dialog reads folders on a thread of its own).
bool ShowsFolder(QFileDialog& d, const std::string& folder, int rows) {
    d.setDirectory(QString::fromStdString(folder));  // does nothing when already there
    const auto* view = d.findChild<QListView*>(QStringLiteral("listView"));
    return view && view->model() && view->model()->rowCount(view->rootIndex()) >= rows;
}

TEST(QtAddingDialogsTest, FileDialogsOfferThePlayersFiltersAndReturnTheChoice) {
    MediaFolder media;
    // The file dialog keeps its history and view in the user's Qt settings: a fresh
    // folder, so what other runs left there cannot change the answers.
    setenv("XDG_CONFIG_HOME", media.path("config").c_str(), 1);
    App();
    const std::string a = media.writeBytes("a.mp3", {1});
    const std::string b = media.writeBytes("b.OGG", {1});
    media.writeBytes("older.m3u", {'#'});
    auto dialogs = MakeQtAddingDialogs();

    QStringList filters;
    auto pickTwo = [&](QFileDialog& d) {
        if (!ShowsFolder(d, media.dirPath(), 2)) return false;
        filters = d.nameFilters();
        // Typed as a user would: selectFile() leaves the name field alone once it has the
        // keyboard focus, which it gets when the dialog's window becomes active, at a
        // moment of the window system's choosing.
        d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("\"a.mp3\" \"b.OGG\""));
        static_cast<QDialog&>(d).done(QDialog::Accepted);
        return true;
    };
    DialogAnswerer<QFileDialog, decltype(pickTwo)> songs(pickTwo);
    EXPECT_EQ(dialogs->ChooseSongFiles(nullptr), (std::vector<std::string>{a, b}));
    EXPECT_EQ(filters, QtNameFilters(kSongFilter));

    // Saving adds ".m3u" to a name typed without it.
    auto typeName = [&](QFileDialog& d) {
        if (!ShowsFolder(d, media.dirPath(), 1)) return false;  // the list filter shows older.m3u alone
        filters = d.nameFilters();
        d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("목록"));
        static_cast<QDialog&>(d).done(QDialog::Accepted);
        return true;
    };
    DialogAnswerer<QFileDialog, decltype(typeName)> save(typeName);
    EXPECT_EQ(dialogs->ChooseListToSave(nullptr), media.path("목록.m3u"));
    EXPECT_EQ(filters, QtNameFilters(kM3uFilter));

    auto cancel = [](QFileDialog& d) {
        d.reject();
        return true;
    };
    DialogAnswerer<QFileDialog, decltype(cancel)> cancelled(cancel);
    EXPECT_EQ(dialogs->ChooseFolder(nullptr), std::nullopt);
    EXPECT_TRUE(cancelled.answered());
}

TEST_F(AddressAndListTest, TypedAddressThroughTheRealDialogBecomesAStreamRow) {
    RegisterAddingCommands(*dlg(), MakeQtAddingDialogs());
    // Type into the dialog once it is up, as a user would.
    bool typed = false;
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<AddressDialog*>(QApplication::activeModalWidget());
        if (!dialog || typed) return;
        typed = true;
        dialog->field()->setEditText(QString::fromStdString(server_->hostPath("song.mp3")));
        dialog->accept();
    });
    typist.start(20);
    dlg()->SendCommand(cmd::ListAddUrl);
    ASSERT_TRUE(typed);
    ASSERT_TRUE(WaitFor([&] { return model().RowCount() == 1; }));
    const PlaylistEntry row = *model().Entry(0);
    EXPECT_EQ(row.title, "song.mp3");
    EXPECT_EQ(row.time, "URL");
    EXPECT_EQ(row.path, server_->url("song.mp3"));
    Settle();
    EXPECT_EQ(state().isPlaying, 0);  // "List Add Url" only adds
}

TEST_F(AddressAndListTest, CreateUrlPlaysInPlayModeAndAddsNothingForAnAddressThatDoesNotOpen) {
    dialogs_->addresses.push_back(server_->url("song.mp3"));
    dlg()->SendCommand(cmd::OpenUrl);
    ASSERT_TRUE(WaitFor([&] { return state().isUrlStream == 1; }));
    EXPECT_EQ(state().isPlaying, 1);
    EXPECT_EQ(model().CurrentIndex(), 0);
    EXPECT_EQ(model().SelectedIndex(), 0);
    EXPECT_EQ(model().MarkedRow(), 0);
    EXPECT_EQ(model().GetEntryField(0, kColumnTime), "URL");

    // Missing on the server, nobody listening, not an address at all: no row, no message,
    // and the stream keeps playing.
    for (const std::string& address :
         {server_->url("missing.mp3"), std::string("http://127.0.0.1:1/x.mp3"), std::string("http://")}) {
        dialogs_->addresses.push_back(address);
        dlg()->SendCommand(cmd::OpenUrl);
        Settle();
    }
    EXPECT_EQ(model().RowCount(), 1);
    EXPECT_EQ(state().isUrlStream, 1);
    EXPECT_TRUE(messages_.empty()) << messages_.front();

    // A web page is no stream either.
    dialogs_->addresses.push_back(server_->url(""));
    dlg()->SendCommand(cmd::ListAddUrl);
    Settle();
    EXPECT_EQ(model().RowCount(), 1);
    EXPECT_EQ(model().CurrentIndex(), 0);
}

TEST_F(AddressAndListTest, PlsAddressIsReadAsAListAndItsFirstStreamPlays) {
    std::ofstream(media_.path("web/radio.pls")) << "[playlist]\nNumberOfEntries=2\nFile1=" << server_->url("song.mp3")
                                                  << "\nTitle1=ignored\nFile2=/music/local.mp3\nVersion=2\n";
    dialogs_->addresses.push_back(server_->url("radio.pls"));
    dlg()->SendCommand(cmd::OpenUrl);
    ASSERT_TRUE(WaitFor([&] { return state().isUrlStream == 1; }));
    ASSERT_EQ(model().RowCount(), 2);
    EXPECT_EQ(Fields(model())[0], std::make_tuple(server_->url("song.mp3"), std::string("URL"), server_->url("song.mp3")));
    EXPECT_EQ(model().GetEntryField(1, kColumnTime), "---");
    EXPECT_EQ(model().CurrentIndex(), 0);
    // The list was fetched below the templates folder.
    EXPECT_TRUE(std::filesystem::exists(reg_.dir() / "Templates/TavoraPlayer/radio.pls"));

    // A dropped PLS file is the pending address of "Create Url"; "List Add Url" last
    // cleared the play flag, so its rows are only added.
    dialogs_->addresses.push_back(std::nullopt);
    dlg()->SendCommand(cmd::ListAddUrl);
    const std::string local = media_.path("dropped.pls");
    std::ofstream(local) << "[playlist]\nFile1=http://127.0.0.1:1/a.mp3\nFile2=song.mp3\n";
    ASSERT_EQ(ClassifyDropped(local, false), DroppedKind::Address);
    dlg()->SendCommand(DroppedCommand(DroppedKind::Address), CommandData::Path(local));
    ASSERT_TRUE(WaitFor([&] { return model().RowCount() == 4; }));
    EXPECT_EQ(model().GetEntryField(2, kColumnTime), "URL");
    EXPECT_EQ(model().GetEntryField(3, kColumnPath), media_.path("song.mp3"));
    EXPECT_EQ(model().CurrentIndex(), 0);
}

// A downloaded list may name any path; deleting its rows deletes no file outside Temp.
TEST_F(AddressAndListTest, RowsOfADownloadedPlsNeverDeleteFilesOutsideTemp) {
    const std::string install = std::getenv("TAVORA_BINARY_DIR");
    std::filesystem::create_directories(install + "/Temp");
    const std::string name = "victim-" + std::to_string(getpid()) + ".mp3";
    const std::string victim = install + "/" + name;
    std::ofstream(victim) << "precious";
    std::ofstream(media_.path("web/evil.pls")) << "[playlist]\nFile1=" << server_->url("song.mp3")
                                                 << "\nFile2=" << install << "/Temp/../" << name << "\n";
    dialogs_->addresses.push_back(server_->url("evil.pls"));
    dlg()->SendCommand(cmd::OpenUrl);
    ASSERT_TRUE(WaitFor([&] { return model().RowCount() == 2; }));
    dlg()->SendCommand(cmd::ListDelAll);
    ASSERT_EQ(model().RowCount(), 0);
    EXPECT_TRUE(std::filesystem::exists(victim));
    std::filesystem::remove(victim);
}

TEST_F(AddressAndListTest, ListSaveThenListLoadRoundTripsTitlesTimesAndPaths) {
    dialogs_->songFiles.push_back({MakeTaggedSong(media_, "노래/첫 번째.mp3", "mp3", "첫 번째 노래", 2),
                                   MakeTaggedSong(media_, "노래/둘.ogg", "ogg", "둘째", 3)});
    dlg()->SendCommand(cmd::Open);
    ASSERT_TRUE(WaitForTimes(2));
    dialogs_->addresses.push_back(server_->url("song.mp3"));
    dlg()->SendCommand(cmd::ListAddUrl);
    ASSERT_TRUE(WaitFor([&] { return model().RowCount() == 3; }));
    Settle();
    const RowFields saved = Fields(model());

    const std::string list = media_.path("목록.m3u");
    dialogs_->listsToSave.push_back(list);
    dlg()->SendCommand(cmd::ListSave);
    EXPECT_EQ(ReadAll(list), "#EXTM3U\r\n#EXTINF:0,첫 번째 노래\r\n" + std::get<2>(saved[0]) + "\r\n#EXTINF:0,둘째\r\n" +
                                 std::get<2>(saved[1]) + "\r\n#EXTINF:0,song.mp3\r\n" + server_->url("song.mp3") + "\r\n");

    // Loading replaces the list, but only once the file has opened.
    model().DeleteAllEntries();
    model().AddEntry("stays", "00:01", "/stays.mp3");
    dialogs_->listsToLoad.push_back(media_.path("no such list.m3u"));
    dlg()->SendCommand(cmd::ListLoad);
    dlg()->SendCommand(cmd::ListLoad);  // cancelled
    Settle();
    EXPECT_EQ(model().RowCount(), 1);
    dialogs_->listsToLoad.push_back(list);
    dlg()->SendCommand(cmd::ListLoad);
    ASSERT_TRUE(WaitFor([&] { return model().RowCount() == 3; }));
    Settle();
    EXPECT_EQ(Fields(model()), saved);
    EXPECT_EQ(dialogs_->loadCalls, 3);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(AddressAndListTest, DroppedM3uAppendsAndPlaysItsFirstRowAfterAFileDialog) {
    const std::string a = MakeTaggedSong(media_, "m/a.mp3", "mp3", "A", 1);
    const std::string b = MakeTaggedSong(media_, "m/b.ogg", "ogg", "B", 1);
    const std::string list = media_.path("m/dropped.m3u");
    ASSERT_TRUE(WriteM3uLines(list, {"#EXTM3U", "#EXTINF:123,not this title", "a.mp3", "missing.mp3", b}));
    ASSERT_EQ(ClassifyDropped(list, false), DroppedKind::M3uList);

    model().AddEntry("earlier", "00:10", "/elsewhere/earlier.mp3");
    dlg()->SendCommand(DroppedCommand(DroppedKind::M3uList), CommandData::Path(list));
    ASSERT_TRUE(WaitFor([&] { return model().RowCount() == 3; }));
    Settle();
    EXPECT_EQ(model().GetEntryField(1, kColumnTitle), "A");  // the song's own tag, not the #EXTINF title
    EXPECT_EQ(model().GetEntryField(1, kColumnTime), "00:01");
    EXPECT_EQ(model().GetEntryField(1, kColumnPath), a);  // relative to the list's folder
    EXPECT_EQ(state().isPlaying, 0);

    // The file dialogs mark the next dropped list to play its first row.
    dialogs_->songFiles.push_back({a});
    dlg()->SendCommand(cmd::Open);
    ASSERT_TRUE(WaitFor([&] { return model().RowCount() == 4; }));
    dlg()->SendCommand(cmd::OutFileLoadPlayTemp, CommandData::Path(list));
    ASSERT_TRUE(WaitFor([&] { return state().isPlaying == 1; }));
    EXPECT_EQ(model().CurrentIndex(), 4);
    Settle();
    EXPECT_EQ(model().RowCount(), 6);
    EXPECT_EQ(model().CurrentIndex(), 4);
}

// Lists opened with "Open Total" and a list handed over by "-list" load at the same
// time through their own commands; one M3U lock for all of them keeps every list's
// rows together.
TEST_F(AddressAndListTest, ListsFromOpenTotalAndTheListSwitchNeverInterleave) {
    const std::string tone = media_.makeAudio("tone.wav", "wav", 0.2);
    const int kRows = 300;  // long enough for the loads to overlap
    std::vector<std::string> lists;
    for (const char* name : {"a", "b", "c"}) {
        std::vector<std::string> lines = {"#EXTM3U"};
        for (int i = 0; i < kRows; ++i) {
            const std::string song = media_.path(std::string(name) + "/" + std::to_string(i) + ".wav");
            std::filesystem::create_directories(std::filesystem::path(song).parent_path());
            std::filesystem::create_hard_link(tone, song);
            lines.push_back(song);
        }
        lists.push_back(media_.path(std::string(name) + ".m3u"));
        ASSERT_TRUE(WriteM3uLines(lists.back(), lines));
    }
    dialogs_->songFiles.push_back({lists[0], lists[1]});
    dlg()->SendCommand(cmd::OpenTotal);
    WriteRegString(keys::kOutFile, "7", "-list" + lists[2]);
    dlg()->Send(cmd::HandOffArgument, CommandData::Value(7));
    ASSERT_TRUE(WaitFor([&] { return model().RowCount() == 3 * kRows; }, 120000));
    Settle();
    // Which list each row came from, in row order: one block per list (c may come
    // before, between or after the two lists of the Open Total, which load in order).
    std::string order;
    for (const auto& e : model().Entries()) {
        const char list = e.path[media_.dirPath().size() + 1];
        if (order.empty() || order.back() != list) order.push_back(list);
    }
    EXPECT_TRUE(order == "abc" || order == "acb" || order == "cab") << order;
}

}  // namespace
}  // namespace tavora::test
