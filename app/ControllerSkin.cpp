// The skin reload (Update Skin): every window takes the new skin's pictures, then the
// controller lays the windows out again around the main window.
#include "Commands.h"
#include "SkinSelection.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

void CTavoraPlayerDlg::RegisterSkinCommands() {
    RegisterCommand(cmd::UpdateSkin, [this] {
        ReloadAllSkins();  // the main window takes its new size itself
        if (!mainWindow_) return;
        const QRect main = mainWindow_->frameGeometry();
        setGeometry(main.x(), main.y(), 1, 1);
        if (playlistWindow_) {
            const bool shown = playlistWindow_->isVisible();
            playlistWindow_->setGeometry(main.x(), main.y() + main.height(), main.width(), 2 * main.height());
            playlistWindow_->setVisible(shown);
            playlistWindow_->update();
        }
        mainWindow_->update();
    });
}

}  // namespace tavora
