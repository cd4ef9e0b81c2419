#include "DesktopShell.h"

#include <QEvent>
#include <QLoggingCategory>
#include <QWindowStateChangeEvent>

#include "Commands.h"
#include "MiniPlayerNotice.h"
#include "PlaybackRules.h"
#include "PlaybackView.h"
#include "PlayerEvents.h"
#include "TavoraPlayerDlg.h"
#include "TrayIcon.h"
#include "band/BandProtocol.h"
#include "band/X11BandLink.h"
#include "x11/X11WindowState.h"

Q_LOGGING_CATEGORY(lcShell, "tavora.shell", QtInfoMsg)

namespace tavora {

DesktopShell::DesktopShell(CTavoraPlayerDlg& dlg, std::unique_ptr<BandTransport> transport)
    : QObject(&dlg),
      dlg_(dlg),
      transport_(std::move(transport)),
      band_(*transport_),
      tray_(std::make_unique<TrayIcon>(dlg, dlg.view())) {
    ControllerHooks& hooks = dlg.hooks();
    hooks.findBand = [this](CTavoraPlayerDlg&) { band_.Refresh(); };
    hooks.addTrayIcon = [this](CTavoraPlayerDlg&) { AddTray(); };
    dlg.RegisterCommand(cmd::Minimize, [this] { Minimize(); });
    dlg.RegisterCommand(cmd::HideTavoraWindow, [this] {
        trayOnly_ = true;
        dlg_.hide();
        AddTray();
    });
    dlg.RegisterCommand(cmd::HideTray, [this] {
        trayOnly_ = false;
        tray_->Remove();
        dlg_.show();
        platform::SetSkipTaskbar(&dlg_, false);
    });
    dlg.RegisterCommand(cmd::HideNone, [this] {
        trayOnly_ = false;
        dlg_.show();
        platform::SetSkipTaskbar(&dlg_, false);
        AddTray();
    });
    connect(tray_.get(), &TrayIcon::clicked, this, [this] {
        RestorePlayer();
        band_.SendClose();
    });
    connect(&dlg.events(), &PlayerEvents::playbackStopped, this, [this] { band_.SendStopped(); });
    dlg.AddShutdownStep(ShutdownPhase::CloseWindows, [this] {
        band_.SendClose();
        tray_->Remove();
    });
    messages_ = std::make_unique<band::WindowMessageFilter>(
        [this](uint32_t window, unsigned message, uint32_t wParam, uint32_t) {
            if (window == playerWindow() && band::IsBandRequest(message)) OnBandRequest(message, wParam);
        });
    // The player restored from its taskbar button brings its windows back.
    dlg.installEventFilter(this);
}

DesktopShell::~DesktopShell() = default;

uint32_t DesktopShell::playerWindow() const { return static_cast<uint32_t>(dlg_.winId()); }

void DesktopShell::AddTray() { tray_->Add(dlg_.view().State().titleText); }

int DesktopShell::OnBandRequest(unsigned message, uint32_t wParam) {
    const PlaybackState& state = dlg_.view().State();
    switch (message) {
    case band::kShow:
        RestorePlayer();
        return 1;
    case band::kPlay:
        dlg_.Send(cmd::Play);
        break;
    case band::kBack:
        dlg_.Send(cmd::Back);
        break;
    case band::kNext:
        dlg_.Send(cmd::Next);
        break;
    case band::kVolume:
        dlg_.Send(cmd::SetVolume,
                  CommandData::Value(VolumeFromBandPosition(static_cast<int>(wParam), state.volumeMax)));
        break;
    case band::kMute:
        dlg_.Send(cmd::SetMute, CommandData::Value(wParam != 0 ? 1 : 0));
        break;
    default:
        return 0;
    }
    // The band shows what the request did.
    if (handedOver_) band_.Update(dlg_.view().State(), playerWindow());
    return 1;
}

void DesktopShell::Minimize() {
    // 1. What the mini player is, until the user has read enough.
    RunMiniPlayerNoticeIfWanted(dlg_.settings(), &dlg_);
    // 2. Minimise: the skinned windows go with the controller (which, in tray-only
    // mode, stays hidden rather than gaining a taskbar button).
    HideSkinnedWindows();
    if (!trayOnly_) dlg_.showMinimized();
    const PlaybackState& state = dlg_.view().State();
    // 3. The band takes over.
    if (state.miniPlayer && band_.HandOver(state, playerWindow())) {
        handedOver_ = true;
        dlg_.hide();
        qCInfo(lcShell) << "handed over to the band" << Qt::hex << band_.handle();
    }
    // 4. No taskbar button: nothing is left to see.
    if (state.showTaskbar) dlg_.hide();
}

void DesktopShell::RestorePlayer() {
    handedOver_ = false;
    if (!trayOnly_) {
        dlg_.showNormal();
        if (dlg_.view().State().showTaskbar) platform::SetSkipTaskbar(&dlg_, true);
    }
    ShowSkinnedWindows();
    if (QWidget* main = dlg_.mainWindow()) {
        main->raise();
        main->activateWindow();
    }
}

void DesktopShell::HideSkinnedWindows() {
    for (QWidget* w : {dlg_.mainWindow(), dlg_.playlistWindow(), dlg_.equalizerWindow()})
        if (w) w->hide();
}

void DesktopShell::ShowSkinnedWindows() {
    const PlaybackState& state = dlg_.view().State();
    if (QWidget* main = dlg_.mainWindow()) main->show();
    if (QWidget* list = dlg_.playlistWindow(); list && state.listShown) list->show();
    if (QWidget* eq = dlg_.equalizerWindow(); eq && state.equalizerShown) eq->show();
}

bool DesktopShell::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &dlg_ && event->type() == QEvent::WindowStateChange) {
        auto* change = static_cast<QWindowStateChangeEvent*>(event);
        const bool wasMinimised = change->oldState().testFlag(Qt::WindowMinimized);
        if (wasMinimised && !dlg_.isMinimized() && dlg_.isVisible()) ShowSkinnedWindows();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tavora
