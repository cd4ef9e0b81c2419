#include "PlaylistWindowInstall.h"

#include "Commands.h"
#include "PlayerEvents.h"
#include "PlaylistListCtrl.h"
#include "PlaylistModel.h"
#include "PlaylistWindow.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

PlaylistWindow* CreatePlaylistWindow(CTavoraPlayerDlg& dlg) {
    auto* window = new PlaylistWindow(dlg.playlist(), &dlg);
    window->SetCommandSink(&dlg);
    window->SetEvents(&dlg.events());
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
    PlayerEvents& events = dlg.events();
    QObject::connect(&events, &PlayerEvents::playingRowChanged, list, [list](int row) {
        list->Resync();
        list->EnsureRowVisible(row);
    });
    QObject::connect(&events, &PlayerEvents::listChanged, list, [list] { list->Resync(); });
    dlg.AddShutdownStep(ShutdownPhase::Save, [window] { window->SaveRect(); });
    // The controller's model goes before its child windows: stop listening first.
    dlg.AddShutdownStep(ShutdownPhase::CloseWindows, [window] { window->list()->DetachFromModel(); });
    return window;
}

}  // namespace tavora
