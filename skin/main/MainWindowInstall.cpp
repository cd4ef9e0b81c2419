#include "MainWindowInstall.h"

#include <QPointer>

#include "Commands.h"
#include "ControllerHooks.h"
#include "MainWindow.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

void InstallMainWindow() {
    ControllerHooks::get().createMainWindow = [](CTavoraPlayerDlg& dlg) {
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
