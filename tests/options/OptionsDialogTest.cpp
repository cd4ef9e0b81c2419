// The options dialog on a controller without windows: the working copy, page
// switching, reset, OK's effects on the live settings, the store and the
// associations, and cancel.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <QTreeWidget>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "AddingDialogs.h"
#include "ControllerAdding.h"
#include "FileTypesPage.h"
#include "MasterVolume.h"
#include "MessageBox.h"
#include "GeneralPage.h"
#include "OptionsDialog.h"
#include "OptionsInstall.h"
#include "PlaybackView.h"
#include "PlayerEvents.h"
#include "PlayerHarness.h"
#include "PlaylistPage.h"
#include "PrivatePulseServer.h"
#include "QtTestSupport.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "SoundPage.h"
#include "TempRegistry.h"

using namespace tavora;
namespace fs = std::filesystem;

namespace {

// Dialogs that only count how often the open command asked for what.
class CountingDialogs : public AddingDialogs {
public:
    int songCalls = 0, folderCalls = 0, addressCalls = 0;
    std::vector<std::string> ChooseSongFiles(QWidget*) override { return ++songCalls, std::vector<std::string>{}; }
    std::optional<std::string> ChooseFolder(QWidget*) override { return ++folderCalls, std::nullopt; }
    std::optional<std::string> ChooseListToLoad(QWidget*) override { return std::nullopt; }
    std::optional<std::string> ChooseListToSave(QWidget*) override { return std::nullopt; }
    std::optional<std::string> AskAddress(QWidget*) override { return ++addressCalls, std::nullopt; }
};

// How many connections this test program has open to the sound server.
int OwnSoundServerConnections() {
    const std::string clients = test::PrivatePulseServer::Pactl("list clients");
    const std::string mark = "application.process.id = \"" + std::to_string(getpid()) + "\"";
    int count = 0;
    for (size_t at = clients.find(mark); at != std::string::npos; at = clients.find(mark, at + 1)) ++count;
    return count;
}

class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        setenv("XDG_RUNTIME_DIR", (reg_.dir() / "runtime").c_str(), 1);
        fs::create_directories(reg_.dir() / "runtime");
        setenv("XDG_DATA_HOME", (reg_.dir() / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (reg_.dir() / "config").c_str(), 1);
        // The engine modules built beside the tests, silent.
        WriteRegString(keys::kRoot, keys::kInstallDir, std::getenv("TAVORA_BINARY_DIR"));
        setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
        SetMessageBoxHandler([this](const QString& text, const QString&, MessageIcon) {
            messages_.push_back(text.toStdString());
        });
    }
    void TearDown() override {
        if (player_) context().commands.Send(cmd::Exit);
        player_.reset();
        SetMessageBoxHandler({});
        EXPECT_TRUE(messages_.empty()) << messages_.front();
    }

    // The controller, made after the store holds what the test wants it to start with.
    void StartPlayer() {
        player_ = std::make_unique<test::PlayerHarness>(std::vector<std::string_view>{"options"});
        context().programPath = "/usr/bin/tavoraplayer";
        player_->Start();
        dialogs_ = std::make_shared<CountingDialogs>();
        RegisterAddingCommands(player_->controller(), dialogs_);
    }

    OptionsDialog* Open() {
        context().commands.Send(cmd::Setting);
        OptionsDialog* dialog = options::OpenDialog(owner());
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    // A click where the user would click: on a shown, laid-out button, near its left
    // end (a check or radio button takes clicks on its mark and text only).
    static void Click(QAbstractButton* button) {
        ASSERT_TRUE(test::WaitUntilWithEvents([&] { return button->isVisible() && button->width() > 0; }));
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(std::min(8, button->width() / 2), button->height() / 2));
    }
    static void ClickPage(OptionsDialog* dialog, int page) {
        QListWidget* list = dialog->pageList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(page)).center());
        ASSERT_EQ(dialog->currentPage(), page);
    }
    static void ClickRadio(QButtonGroup* group, int id) { Click(group->button(id)); }

    // Waits until the dialog deleted itself on closing.
    bool Closed() {
        return test::WaitUntilWithEvents([&] { return options::OpenDialog(owner()) == nullptr; });
    }

    test::TempRegistry reg_;
    std::vector<std::string> messages_;
    PlayerContext& context() { return player_->context(); }
    QWidget* owner() { return context().windows.Owner(); }
    const PlaybackState& state() { return context().view.State(); }

    std::unique_ptr<test::PlayerHarness> player_;
    std::shared_ptr<CountingDialogs> dialogs_;
};

}  // namespace

TEST_F(OptionsDialogTest, OpensOnceOnTheGeneralPageWithTheLiveValues) {
    WriteRegDword(keys::kControl, "BeginPlay", 1);
    WriteRegDword(keys::kTagSortMp3, "Type1", 0);
    WriteRegDword(keys::kTagSortMp3, "Type5", 1);
    WriteRegDword(keys::kTagSortMp3, "Type", 5);
    StartPlayer();
    OptionsDialog* dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("환경 설정"));
    EXPECT_EQ(dialog->currentPage(), OptionsDialog::General);
    ASSERT_EQ(dialog->pageList()->count(), 5);
    EXPECT_EQ(dialog->pageList()->item(4)->text(), QStringLiteral(" 연결파일"));
    EXPECT_EQ(dialog->pageList()->iconSize(), QSize(20, 20));
    EXPECT_EQ(dialog->workingCopy().beginPlay, 1);
    EXPECT_TRUE(dialog->playlistPage()->formatGroup()->button(5)->isChecked());
    // "Setting" again brings the same dialog forward.
    context().commands.Send(cmd::Setting);
    EXPECT_EQ(options::OpenDialog(owner()), dialog);
    EXPECT_EQ(owner()->findChildren<OptionsDialog*>().size(), 1);
}

TEST_F(OptionsDialogTest, AClickInThePageListShowsThatPage) {
    StartPlayer();
    OptionsDialog* dialog = Open();
    QListWidget* list = dialog->pageList();
    for (int page : {OptionsDialog::FileTypes, OptionsDialog::Skin, OptionsDialog::Playlist}) {
        const QRect rect = list->visualItemRect(list->item(page));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        EXPECT_EQ(dialog->currentPage(), page);
        EXPECT_EQ(dialog->findChild<QStackedWidget*>()->currentIndex(), page);
    }
}

TEST_F(OptionsDialogTest, UrlAsTheOpenActionMakesCtrlOAskForAnAddress) {
    StartPlayer();
    OptionsDialog* dialog = Open();
    ClickRadio(dialog->generalPage()->openButtonGroup(), 2);  // "URL 열기"
    // Not live before OK.
    context().commands.Send(cmd::OpenTotal);
    EXPECT_EQ(dialogs_->songCalls, 1);
    Click(dialog->okButton());
    ASSERT_TRUE(Closed());
    context().commands.Send(cmd::OpenTotal);
    EXPECT_EQ(dialogs_->addressCalls, 1);
    EXPECT_EQ(dialogs_->songCalls, 1);
    EXPECT_EQ(ReadRegDword(keys::kControl, "OpenUrl"), 1);
    EXPECT_EQ(ReadRegDword(keys::kControl, "OpenFile"), 0);
}

TEST_F(OptionsDialogTest, ResetIsLiveAtOnceAndCancelLeavesTheStoreAlone) {
    WriteRegDword(keys::kControl, "OpenFolder", 1);
    WriteRegDword(keys::kControl, "OpenFile", 0);
    WriteRegDword(keys::kControl, "AutoConnect", 0);
    WriteRegDword(keys::kControl, "CrossFade", 0);
    WriteRegDword(keys::kConnectExt, "MP3", 0);
    WriteRegDword(keys::kTagSortMp3, "Type1", 0);
    WriteRegDword(keys::kTagSortMp3, "Type2", 1);
    WriteRegDword(keys::kTagSortMp3, "Type", 2);
    StartPlayer();
    OptionsDialog* dialog = Open();
    Click(dialog->resetButton());
    // Live at once: the open command is the file dialog again.
    EXPECT_EQ(state().openFolder, 0);
    EXPECT_EQ(state().openFile, 1);
    EXPECT_EQ(context().settings.Live().autoConnect, 1);
    EXPECT_EQ(context().settings.Live().connectMp3, 1);
    EXPECT_EQ(context().settings.Live().type1, 1);
    EXPECT_EQ(context().settings.Live().type2, 0);
    // Cross-fade is not reset, and the pages show the reset values.
    EXPECT_EQ(state().crossFade, 0);
    EXPECT_TRUE(dialog->playlistPage()->formatGroup()->button(1)->isChecked());
    EXPECT_EQ(dialog->fileTypesPage()->list()->topLevelItem(0)->checkState(0), Qt::Checked);
    Click(dialog->cancelButton());
    ASSERT_TRUE(Closed());
    context().commands.Send(cmd::OpenTotal);
    EXPECT_EQ(dialogs_->songCalls, 1);
    EXPECT_EQ(dialogs_->folderCalls, 0);
    // Nothing was stored, and nothing registered.
    EXPECT_EQ(ReadRegDword(keys::kControl, "OpenFolder"), 1);
    EXPECT_EQ(ReadRegDword(keys::kControl, "AutoConnect"), 0);
    EXPECT_EQ(ReadRegDword(keys::kConnectExt, "MP3"), 0);
    EXPECT_EQ(ReadRegDword(keys::kTagSortMp3, "Type"), 2);
    EXPECT_EQ(ReadClassesString(".mp3", ""), "ERROR");
}

TEST_F(OptionsDialogTest, OkRegistersTheFlaggedTypesEvenWithoutAutoConnect) {
    WriteRegDword(keys::kControl, "AutoConnect", 0);
    WriteRegDword(keys::kConnectExt, "WMA", 0);
    StartPlayer();
    OptionsDialog* dialog = Open();
    Click(dialog->okButton());
    ASSERT_TRUE(Closed());
    EXPECT_EQ(ReadClassesString(".mp3", ""), "tavora.mp3");
    EXPECT_EQ(ReadClassesString("tavora.pls\\shell\\open\\command", ""), "\"/usr/bin/tavoraplayer\" -pls%1");
    EXPECT_EQ(ReadClassesString(".wma", ""), "ERROR");
    EXPECT_EQ(ReadRegDword(keys::kControl, "AutoConnect"), 0);
    EXPECT_TRUE(fs::exists(reg_.dir() / "data" / "applications" / "tavoraplayer.desktop"));
}

TEST_F(OptionsDialogTest, UncheckingMp3KeepsItsAssociation) {
    StartPlayer();
    Click(Open()->okButton());  // everything registered once
    ASSERT_TRUE(Closed());
    WriteClassesString("tavora.mp3\\shell\\open\\command", "", "\"/elsewhere/tavoraplayer\" -s%1");
    OptionsDialog* dialog = Open();
    QTreeWidget* list = dialog->fileTypesPage()->list();
    dialog->ShowPage(OptionsDialog::FileTypes);
    dialog->show();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());  // " mp3"
    EXPECT_EQ(list->topLevelItem(0)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(dialog->workingCopy().connectMp3, 0);
    Click(dialog->okButton());
    ASSERT_TRUE(Closed());
    EXPECT_EQ(ReadRegDword(keys::kConnectExt, "MP3"), 0);
    EXPECT_EQ(ReadClassesString(".mp3", ""), "tavora.mp3");
    // Not registered again either.
    EXPECT_EQ(ReadClassesString("tavora.mp3\\shell\\open\\command", ""), "\"/elsewhere/tavoraplayer\" -s%1");
    std::ifstream in(reg_.dir() / "config" / "mimeapps.list");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("audio/mpeg=tavoraplayer.desktop;"), std::string::npos);
}

TEST_F(OptionsDialogTest, FileTypeRowsSwitchByClickSpaceAndTheTwoButtons) {
    StartPlayer();
    OptionsDialog* dialog = Open();
    FileTypesPage* page = dialog->fileTypesPage();
    dialog->ShowPage(OptionsDialog::FileTypes);
    dialog->show();
    QTreeWidget* list = page->list();
    list->setCurrentItem(list->topLevelItem(6));  // " m3u"
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(dialog->workingCopy().connectM3u, 0);
    EXPECT_EQ(list->topLevelItem(6)->checkState(0), Qt::Unchecked);
    const auto buttons = page->findChildren<QPushButton*>();
    auto button = [&](const QString& text) {
        for (QPushButton* b : buttons)
            if (b->text() == text) return b;
        return static_cast<QPushButton*>(nullptr);
    };
    Click(button(QStringLiteral("전체 해제")));
    const PlayerSettings& c = dialog->workingCopy();
    EXPECT_EQ(c.connectMp3 + c.connectOgg + c.connectWma + c.connectWav + c.connectCda + c.connectPls + c.connectM3u, 0);
    Click(button(QStringLiteral("전체 선택")));
    EXPECT_EQ(c.connectMp3 + c.connectOgg + c.connectWma + c.connectWav + c.connectCda + c.connectPls + c.connectM3u, 7);
    for (int row = 0; row < 7; ++row) EXPECT_EQ(list->topLevelItem(row)->checkState(0), Qt::Checked);
}

TEST_F(OptionsDialogTest, AChangedTitleFormatIsStoredBeforeTheListIsRetitled) {
    StartPlayer();
    int storedWhenRetitled = -1;
    context().handlers.RegisterCommand(cmd::SortTag, [&] { storedWhenRetitled = ReadRegDword(keys::kTagSortMp3, "Type"); });
    OptionsDialog* dialog = Open();
    ClickPage(dialog, OptionsDialog::Playlist);
    ClickRadio(dialog->playlistPage()->formatGroup(), 4);  // "파일명 - 트랙"
    const PlayerSettings& c = dialog->workingCopy();
    EXPECT_EQ(std::vector<int>({c.type1, c.type2, c.type3, c.type4, c.type5, c.type6}),
              std::vector<int>({0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(c.type, 4);
    Click(dialog->okButton());
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return storedWhenRetitled != -1; }));
    EXPECT_EQ(storedWhenRetitled, 4);
    EXPECT_EQ(ReadRegDword(keys::kTagSortMp3, "Type4"), 1);
    EXPECT_EQ(ReadRegDword(keys::kTagSortMp3, "Type1"), 0);
}

TEST_F(OptionsDialogTest, OkSendsTheTrayCommandAndEndsReversePlay) {
    StartPlayer();
    std::vector<int> sent;
    for (cmd::Command c : {cmd::HideTavoraWindow, cmd::HideTray, cmd::HideNone, cmd::PlayListSelect, cmd::SortTag})
        context().handlers.RegisterCommand(c, [&sent, c] { sent.push_back(c); });
    player_->controller().state().isPlaying = 1;
    player_->controller().state().reverseMode = 1;
    OptionsDialog* dialog = Open();
    // "트레이에 표시 않음"
    Click(dialog->generalPage()->findChildren<QRadioButton*>().at(0));
    Click(dialog->okButton());
    ASSERT_TRUE(Closed());
    EXPECT_EQ(sent, std::vector<int>({cmd::HideTray, cmd::PlayListSelect}));
    EXPECT_EQ(state().reverseMode, 0);
    EXPECT_EQ(state().showTray, 1);
    EXPECT_EQ(ReadRegDword(keys::kControl, "ShowTray"), 1);
    EXPECT_EQ(ReadRegDword(keys::kControl, "ShowTaskbar"), 0);
}

TEST_F(OptionsDialogTest, TheVolumeSliderMovesThePlayersOneMasterVolumeAtOnceAndFollowsIt) {
    test::PrivatePulseServer server;
    if (!server.Start()) GTEST_SKIP() << "pulseaudio cannot run here";
    ASSERT_TRUE(test::PrivatePulseServer::PactlOk("set-sink-volume @DEFAULT_SINK@ 50%"));
    StartPlayer();
    OpenMasterVolume(context());
    QSignalSpy announced(&context().events, &PlayerEvents::masterVolumeChanged);
    OptionsDialog* dialog = Open();
    QSlider* slider = dialog->soundPage()->volumeSlider();
    EXPECT_TRUE(slider->isEnabled());
    EXPECT_EQ(slider->value(), 32768);
    EXPECT_EQ(slider->maximum(), 65535);
    EXPECT_EQ(slider->pageStep(), 655);
    // The dialog moves the controller's master volume: the player keeps one connection
    // to the sound server.
    EXPECT_EQ(OwnSoundServerConnections(), 1);
    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_TRUE(test::WaitUntil([] { return std::abs(test::PrivatePulseServer::SinkVolume() - 33424) <= 1; }))
        << test::PrivatePulseServer::SinkVolume();
    // VolumeSetting tells the other windows (the equaliser's master slider) at once.
    ASSERT_GE(announced.count(), 1);
    EXPECT_EQ(announced.back().at(0).toUInt(), 33423u);
    // Moved elsewhere: the slider follows without writing it back.
    ASSERT_TRUE(test::PrivatePulseServer::PactlOk("set-sink-volume @DEFAULT_SINK@ 25%"));
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return slider->value() == 16384; })) << slider->value();
    EXPECT_EQ(test::PrivatePulseServer::SinkVolume(), 16384);
    // The volume stays where it was moved when the dialog is cancelled.
    Click(dialog->cancelButton());
    ASSERT_TRUE(Closed());
    EXPECT_EQ(test::PrivatePulseServer::SinkVolume(), 16384);
    EXPECT_EQ(OwnSoundServerConnections(), 1);
}
