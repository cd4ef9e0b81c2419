#include "PlaylistWindowInstall.h"

#include "Commands.h"
#include "ControllerHooks.h"
#include "PlaylistListCtrl.h"
#include "PlaylistModel.h"
#include "PlaylistWindow.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

PlaylistWindow* CreatePlaylistWindow(CTavoraPlayerDlg& dlg) {
    auto* window = new PlaylistWindow(dlg.playlist(), &dlg);
    window->SetCommandSink([&dlg](int command) { dlg.SendCommand(command); });
    window->SetMainRectSource([&dlg]() -> QRect {
        dlg.SendCommand(cmd::GetRectMainDlg);
        dlg.SendCommand(cmd::GetRect);
        return dlg.mainWindow() ? dlg.mainRect() : QRect();
    });
    const QRect main = dlg.mainWindow() ? dlg.mainWindow()->frameGeometry()
                                        : QRect(dlg.mainRect().topLeft(), window->minimumListSize());
    window->PlaceAtStart(main);
    dlg.SetPlaylistWindow(window);

    PlaylistListCtrl* list = window->list();
    dlg.RegisterCommand(cmd::ListDelFile, [&dlg, list] {
        const std::vector<int> rows = list->SelectedRows();
        list->ClearSelection();
        dlg.playlist().DeleteSelectedEntries(rows);
    });
    dlg.RegisterCommand(cmd::ListSelectAll, [list] { list->SelectAll(); });
    dlg.RegisterCommand(cmd::InvalidateList, [window, list] {
        list->Resync();
        window->update();
    });
    PlaybackViews& views = dlg.playback().views();
    views.ensureRowVisible = [list](int row) {
        list->Resync();
        list->EnsureRowVisible(row);
    };
    views.repaintList = [list] { list->Resync(); };
    dlg.AddShutdownStep([window] {
        window->SaveRect();
        // The controller's model goes before its child windows: stop listening now.
        window->list()->DetachFromModel();
    });
    return window;
}

void InstallPlaylistWindow() {
    ControllerHooks::get().createPlaylistWindow = [](CTavoraPlayerDlg& dlg) { CreatePlaylistWindow(dlg); };
}

}  // namespace tavora
