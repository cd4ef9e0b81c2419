#include "MainWindowInstall.h"

#include <QPointer>
#include <QTimer>

#include "Commands.h"
#include "ControllerHooks.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "SkinSelection.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

void InstallMainWindow() {
    ControllerHooks::get().createMainWindow = [](CTavoraPlayerDlg& dlg) {
        // A replaced skin is told once the windows are up, not in the middle of creating them.
        const QPointer<CTavoraPlayerDlg> owner(&dlg);
        SetSkinNotice([owner](const std::string& text) {
            QTimer::singleShot(0, owner, [owner, text] {
                if (owner)
                    ShowMessageBox(owner, QString::fromStdString(text), QStringLiteral("스킨 변경"),
                                   MessageIcon::Warning);
            });
        });
        auto* window = new MainWindow(dlg);
        dlg.SetMainWindow(window);
        const QPointer<MainWindow> w(window);
        PlaybackViews& views = dlg.playback().views();
        views.refreshMain = [w] {
            if (w) w->RefreshDisplay();
        };
        views.startMainTimers = [w] {
            if (w) w->StartTimers();
        };
        views.volumeTooltip = [w](const std::string& text) {
            if (w) w->SetVolumeText(text);
        };
        views.positionTooltip = [w](const std::string& text) {
            if (w) w->SetSeekText(text);
        };
        dlg.AddShutdownStep([w] {
            if (!w) return;
            w->StopTimers();
            w->SaveSettings();
        });
        // Sized by its skin at the saved place, then shown; the controller follows it.
        window->move(dlg.mainRect().topLeft());
        window->show();
        dlg.setGeometry(QRect(window->pos(), QSize(window->width(), 1)));
        dlg.SendCommand(cmd::GetRectMainDlg);
    };
}

}  // namespace tavora
