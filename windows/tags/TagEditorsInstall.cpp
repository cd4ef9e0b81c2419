#include "TagEditorsInstall.h"

#include <QPointer>

#include "Commands.h"
#include "DisplayTitle.h"
#include "PlayerEvents.h"
#include "TagEditors.h"
#include "TagMessageBoxes.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

TagEditors* InstallTagEditors(CTavoraPlayerDlg& dlg, std::function<std::vector<int>()> selectedRows,
                              QWidget* dialogParent) {
    TagEditors::Parts parts;
    parts.model = &dlg.playlist();
    parts.sink = &dlg;
    parts.jobs = &dlg.jobs();
    parts.dialogParent = dialogParent;
    parts.selectedRows = std::move(selectedRows);
    parts.titleSettings = [&dlg] { return TitleSettingsFrom(dlg.settings().Values()); };
    auto* editors = new TagEditors(std::move(parts), &dlg);

    dlg.RegisterCommand(cmd::ShowFileInfoMp3, [editors] { editors->ShowFileInfo(); });
    dlg.RegisterCommand(cmd::UpdateTag, [editors](const CommandData& data) { editors->UpdateTag(data); });
    dlg.RegisterCommand(cmd::GetListItem, [editors] { editors->GetListItem(); });
    PlayerEvents& events = dlg.events();
    QObject::connect(editors, &TagEditors::rowRetitled, &events, [&events] { emit events.listChanged(); });
    // The readers' messages become message boxes, until the windows close.
    QPointer<TagMessageBoxes> boxes = new TagMessageBoxes(dialogParent, editors);
    dlg.AddShutdownStep(ShutdownPhase::CloseWindows, [editors, boxes] {
        editors->CloseAll();
        delete boxes.data();
    });
    return editors;
}

}  // namespace tavora
