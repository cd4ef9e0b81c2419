// The playlist window joined to a real controller: the commands it registers act on
// the list's selection and view, and the window saves its rectangle at shutdown.
#include <gtest/gtest.h>

#include <QTest>

#include "Application.h"
#include "Commands.h"
#include "MainWindow.h"
#include "PlaylistListCtrl.h"
#include "PlaylistWindow.h"
#include "PlaylistWindowInstall.h"
#include "PlaylistWindowTestSupport.h"
#include "Registry.h"
#include "StreamPlayback.h"
#include "RegistryKeys.h"
#include "PlayerEvents.h"
#include "PlaybackView.h"
#include "PlayerHarness.h"
#include "TavoraPlayerDlg.h"
#include "TempRegistry.h"

namespace tavora {
namespace {

class PlaylistControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        test::UseDefaultSkin();
        setenv("XDG_RUNTIME_DIR", registry.dir().c_str(), 1);
        player = test::PlayerHarness::Bare();
        window = playlist_window::Create(context());
        window->resize(360, 250);
        test::AddRows(context().playlist, 40);
    }
    void TearDown() override { player.reset(); }

    test::TempRegistry registry;
    std::unique_ptr<test::PlayerHarness> player;
    PlayerContext& context() { return player->context(); }
    PlaylistWindow* window = nullptr;
};

TEST_F(PlaylistControllerTest, DeleteAndSelectAllCommandsUseTheListsSelection) {
    PlaylistListCtrl* list = window->list();
    EXPECT_EQ(context().windows.Window(PlayerWindow::Playlist), window);
    list->SelectOnly(1);
    context().commands.Send(cmd::ListDelFile);
    QCoreApplication::processEvents();
    EXPECT_EQ(context().playlist.RowCount(), 39);
    EXPECT_EQ(context().playlist.Entry(1)->title, "C");
    EXPECT_TRUE(list->SelectedRows().empty());
    context().commands.Send(cmd::ListSelectAll);
    EXPECT_EQ(list->SelectedRows().size(), 39u);
    context().commands.Send(cmd::ListDelFile);
    QCoreApplication::processEvents();
    EXPECT_EQ(context().playlist.RowCount(), 0);
    EXPECT_EQ(list->rowCount(), 0);
}

TEST_F(PlaylistControllerTest, PlaybackScrollsTheListToTheRow) {
    PlaylistListCtrl* list = window->list();
    emit context().events.playingRowChanged(35);
    EXPECT_LE(list->topRow(), 35);
    EXPECT_GT(list->topRow() + list->rowsPerPage(), 35);
    emit context().events.playingRowChanged(0);
    EXPECT_EQ(list->topRow(), 0);
}

TEST_F(PlaylistControllerTest, CloseButtonHidesTheWindowThroughTheController) {
    window->show();
    context().windows.NoteShown(PlayerWindow::Playlist, true);
    window->ComposeWindow();
    const SkinRect r = window->buttons().Rect(PlaylistWindow::kClose);
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(context().view.State().listShown, 0);
}

TEST_F(PlaylistControllerTest, ShutdownSavesTheRectangleAndLetsGoOfTheModel) {
    window->setGeometry(30, 40, 360, 250);
    player.reset();  // the shutdown steps run, then the model goes before the window
    EXPECT_EQ(ReadRegDword(keys::kSize, "List.Size.Left"), 30);
    EXPECT_EQ(ReadRegDword(keys::kSize, "List.Size.Bottom"), 290);
}

TEST(PlaylistListDetach, ADetachedListIsEmptyAndIgnoresInput) {
    test::App();
    PlaylistModel model;
    test::AddRows(model, 5);
    PlaylistListCtrl list(model);
    list.resize(200, 100);
    list.Resync();
    ASSERT_EQ(list.rowCount(), 5);
    list.DetachFromModel();
    EXPECT_EQ(list.rowCount(), 0);
    model.AddEntry("late", "", "/late.mp3");  // no observer any more
    QCoreApplication::processEvents();
    QTest::mouseClick(&list, Qt::LeftButton, {}, QPoint(10, 8));
    EXPECT_EQ(model.SelectedIndex(), -1);
    EXPECT_EQ(list.grab().toImage().pixel(10, 8), qRgb(159, 159, 159));
}


// The whole assembly: the Application builds the controller, the windows come up at
// their initialisation steps and reach each other only through the events.
TEST(ApplicationAssembly, WindowsAreJoinedThroughTheControllersFaces) {
    test::App();
    test::UseDefaultSkin();
    test::TempRegistry registry;
    setenv("XDG_RUNTIME_DIR", registry.dir().c_str(), 1);
    setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
    WriteRegString(keys::kRoot, keys::kInstallDir, std::getenv("TAVORA_BINARY_DIR"));
    Application app("", "");
    CTavoraPlayerDlg& dlg = app.Assemble();
    dlg.OnInitDialog();
    auto* main = qobject_cast<MainWindow*>(dlg.mainWindow());
    auto* list = qobject_cast<PlaylistWindow*>(dlg.playlistWindow());
    ASSERT_TRUE(main && list);
    EXPECT_EQ(dlg.events().mainWindowRect(), main->frameGeometry());
    EXPECT_EQ(dlg.state().volumeMax, main->element("ID_PLAYER_IVOLUMELINE_FULL").Width) << "the slider range arrived";

    // The playback's report scrolls the list.
    test::AddRows(dlg.playlist(), 40);
    list->resize(360, 250);
    dlg.playback().views().ensureRowVisible(35);
    EXPECT_LE(list->list()->topRow(), 35);
    EXPECT_GT(list->list()->topRow() + list->list()->rowsPerPage(), 35);

    // The docked list follows the main window.
    list->move(main->frameGeometry().bottomLeft() + QPoint(2, 4));
    QCoreApplication::processEvents();
    ASSERT_TRUE(dlg.playlistDocked());
    const QPoint listAt = list->pos();
    main->move(main->pos() + QPoint(30, 20));
    QCoreApplication::processEvents();
    EXPECT_EQ(list->pos(), listAt + QPoint(30, 20));

    // A click on the main window's mute button reaches the controller's state.
    main->ComposeWindow();
    const SkinRect r = main->element("ID_BTSOUNDON_DEFAULT").rect;
    QTest::mouseClick(main, Qt::LeftButton, {}, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    EXPECT_EQ(dlg.state().mute, 1);

    app.Close();  // the shutdown phases save the windows' places
    EXPECT_EQ(ReadRegDword(keys::kControl, "Mute"), 1);
    EXPECT_EQ(ReadRegDword(keys::kSize, "List.Size.Left"), listAt.x() + 30);
}

}  // namespace
}  // namespace tavora
