#include "TagEditorsInstall.h"

#include <QPointer>

#include "Commands.h"
#include "DisplayTitle.h"
#include "PlayerContext.h"
#include "PlayerEvents.h"
#include "Settings.h"
#include "TagEditors.h"
#include "TagMessageBoxes.h"

namespace tavora::tag_editors {

TagEditors* Create(PlayerContext& context, QWidget* dialogParent) {
    TagEditors::Parts parts;
    parts.model = &context.playlist;
    parts.sink = &context.commands;
    parts.jobs = &context.jobs;
    parts.dialogParent = dialogParent;
    parts.selectedRows = [&windows = context.windows] { return windows.ListSelection(); };
    parts.titleSettings = [&settings = context.settings] { return TitleSettingsFrom(settings.Live()); };
    auto* editors = new TagEditors(std::move(parts), context.windows.Owner());

    context.handlers.RegisterCommand(cmd::ShowFileInfoMp3, [editors] { editors->ShowFileInfo(); });
    context.handlers.RegisterCommand(cmd::UpdateTag, [editors](const CommandData& data) { editors->UpdateTag(data); });
    context.handlers.RegisterCommand(cmd::ShowTagEntry, [editors] { editors->ShowTagEntry(); });
    PlayerEvents& events = context.events;
    QObject::connect(editors, &TagEditors::rowRetitled, &events, [&events] { emit events.listChanged(); });
    // The readers' messages become message boxes, until the windows close.
    QPointer<TagMessageBoxes> boxes = new TagMessageBoxes(dialogParent, editors);
    context.shutdown.AddShutdownStep(ShutdownPhase::CloseWindows, [editors, boxes] {
        editors->CloseAll();
        delete boxes.data();
    });
    return editors;
}

void Install(PlayerContext& context) {
    // The tag editors open on the rows selected in the playlist window, over it.
    context.startup.AddStartupStep(StartupStep::CreatePlaylistWindow, [&context] {
        if (QWidget* list = context.windows.Window(PlayerWindow::Playlist)) Create(context, list);
    });
}

}  // namespace tavora::tag_editors
