#include "PlaylistWindowInstall.h"

#include "Commands.h"
#include "PlayerContext.h"
#include "PlayerEvents.h"
#include "PlaylistListCtrl.h"
#include "PlaylistModel.h"
#include "PlaylistWindow.h"

namespace tavora::playlist_window {

PlaylistWindow* Create(PlayerContext& context) {
    WindowHost& windows = context.windows;
    auto* window = new PlaylistWindow(context.playlist, windows.Owner());
    window->SetCommandSink(&context.commands);
    window->SetEvents(&context.events);
    window->SetView(&context.view);
    QWidget* mainWindow = windows.Window(PlayerWindow::Main);
    const QRect main =
        mainWindow ? mainWindow->frameGeometry() : QRect(windows.MainRect().topLeft(), window->minimumListSize());
    window->PlaceAtStart(main);
    windows.AddWindow(PlayerWindow::Playlist, window);

    PlaylistListCtrl* list = window->list();
    windows.SetListSelection([list] { return list->SelectedRows(); });
    PlaylistModel& model = context.playlist;
    context.handlers.RegisterCommand(cmd::ListDelFile, [&model, list] {
        const std::vector<int> rows = list->SelectedRows();
        list->ClearSelection();
        model.DeleteSelectedEntries(rows);
    });
    context.handlers.RegisterCommand(cmd::ListSelectAll, [list] { list->SelectAll(); });
    context.handlers.RegisterCommand(cmd::InvalidateList, [window, list] {
        list->Resync();
        window->update();
    });
    PlayerEvents& events = context.events;
    QObject::connect(&events, &PlayerEvents::playingRowChanged, list, [list](int row) {
        list->Resync();
        list->EnsureRowVisible(row);
    });
    QObject::connect(&events, &PlayerEvents::listChanged, list, [list] { list->Resync(); });
    context.shutdown.AddShutdownStep(ShutdownPhase::Save, [window] { window->SaveRect(); });
    // The model goes before the owner's child windows: stop listening first.
    context.shutdown.AddShutdownStep(ShutdownPhase::CloseWindows, [window] { window->list()->DetachFromModel(); });
    return window;
}

void Install(PlayerContext& context) {
    context.startup.AddStartupStep(StartupStep::CreatePlaylistWindow, [&context] { Create(context); });
}

}  // namespace tavora::playlist_window
