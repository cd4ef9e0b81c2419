#include "MainWindowInstall.h"

#include <QPointer>
#include <QTimer>

#include <memory>

#include "MainWindow.h"
#include "MessageBox.h"
#include "PlayerEvents.h"
#include "SkinSelection.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

MainWindow* CreateMainWindow(CTavoraPlayerDlg& dlg) {
    // A replaced skin is told once the windows are up, not in the middle of creating them
    // (the start-up choice runs inside the main window's constructor). The box belongs
    // to the main window, so that the window manager keeps it above it, also when the
    // main window stays on top; the one-pixel controller would leave it beneath.
    const QPointer<CTavoraPlayerDlg> owner(&dlg);
    auto face = std::make_shared<QPointer<MainWindow>>();
    SetSkinNotice([owner, face](const std::string& text) {
        QTimer::singleShot(0, owner, [owner, face, text] {
            if (!owner) return;
            QWidget* parent = *face ? static_cast<QWidget*>(face->data()) : owner.data();
            ShowMessageBox(parent, QString::fromStdString(text), QStringLiteral("스킨 변경"), MessageIcon::Warning);
        });
    });
    auto* window = new MainWindow(dlg, dlg.view(), dlg.events(), &dlg);
    *face = window;
    dlg.SetMainWindow(window);
    // Sized by its skin at the saved place, then shown; the controller follows it.
    window->move(dlg.mainRect().topLeft());
    window->show();
    dlg.events().AnnounceMainWindowRect(window->frameGeometry());
    return window;
}

}  // namespace tavora
