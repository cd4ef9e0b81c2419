// The skin reload (Update Skin): every window takes the new skin's pictures, then the
// controller lays the windows out again around the main window.
#include "Commands.h"
#include "SkinSelection.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

void CTavoraPlayerDlg::RegisterSkinCommands() {
    RegisterCommand(cmd::UpdateSkin, [this] {
        ReloadAllSkins();  // the main window takes its new size itself
        if (!mainWindow()) return;
        const QRect main = mainWindow()->frameGeometry();
        setGeometry(main.x(), main.y(), 1, 1);
        if (playlistWindow()) {
            const bool shown = playlistWindow()->isVisible();
            playlistWindow()->setGeometry(main.x(), main.y() + main.height(), main.width(), 2 * main.height());
            playlistWindow()->setVisible(shown);
            playlistWindow()->update();
        }
        mainWindow()->update();
    });
}

}  // namespace tavora
