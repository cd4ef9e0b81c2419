#include "MainWindowInstall.h"

#include <QPointer>
#include <QTimer>

#include "MainWindow.h"
#include "MessageBox.h"
#include "PlayerEvents.h"
#include "SkinSelection.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

MainWindow* CreateMainWindow(CTavoraPlayerDlg& dlg) {
    // A replaced skin is told once the windows are up, not in the middle of creating them.
    const QPointer<CTavoraPlayerDlg> owner(&dlg);
    SetSkinNotice([owner](const std::string& text) {
        QTimer::singleShot(0, owner, [owner, text] {
            if (owner)
                ShowMessageBox(owner, QString::fromStdString(text), QStringLiteral("스킨 변경"), MessageIcon::Warning);
        });
    });
    auto* window = new MainWindow(dlg, dlg.view(), dlg.events(), &dlg);
    dlg.SetMainWindow(window);
    // Sized by its skin at the saved place, then shown; the controller follows it.
    window->move(dlg.mainRect().topLeft());
    window->show();
    dlg.events().AnnounceMainWindowRect(window->frameGeometry());
    return window;
}

}  // namespace tavora
