#include "DesktopShell.h"

#include <QEvent>
#include <QLoggingCategory>
#include <QWindowStateChangeEvent>

#include "Commands.h"
#include "MiniPlayerNotice.h"
#include "PlaybackRules.h"
#include "PlaybackView.h"
#include "PlayerContext.h"
#include "Settings.h"
#include "PlayerEvents.h"
#include "TrayIcon.h"
#include "band/BandProtocol.h"
#include "band/X11BandLink.h"
#include "x11/X11WindowState.h"

Q_LOGGING_CATEGORY(lcShell, "tavora.shell", QtInfoMsg)

namespace tavora {

DesktopShell::DesktopShell(PlayerContext& context, std::unique_ptr<BandTransport> transport)
    : QObject(context.windows.Owner()),
      context_(context),
      player_(*context.windows.Owner()),
      transport_(std::move(transport)),
      band_(*transport_),
      tray_(std::make_unique<TrayIcon>(context.commands, context.view)) {
    context.startup.AddStartupStep(StartupStep::FindBand, [this] { band_.Refresh(); });
    context.startup.AddStartupStep(StartupStep::AddTrayIcon, [this] { AddTray(); });
    CommandRegistry& handlers = context.handlers;
    handlers.RegisterCommand(cmd::Minimize, [this] { Minimize(); });
    handlers.RegisterCommand(cmd::HideTavoraWindow, [this] {
        trayOnly_ = true;
        player_.hide();
        AddTray();
    });
    handlers.RegisterCommand(cmd::HideTray, [this] {
        trayOnly_ = false;
        tray_->Remove();
        player_.show();
        platform::SetSkipTaskbar(&player_, false);
    });
    handlers.RegisterCommand(cmd::HideNone, [this] {
        trayOnly_ = false;
        player_.show();
        platform::SetSkipTaskbar(&player_, false);
        AddTray();
    });
    connect(tray_.get(), &TrayIcon::clicked, this, [this] {
        RestorePlayer();
        band_.SendClose();
    });
    connect(&context.events, &PlayerEvents::playbackStopped, this, [this] { band_.SendStopped(); });
    context.shutdown.AddShutdownStep(ShutdownPhase::CloseWindows, [this] {
        band_.SendClose();
        tray_->Remove();
    });
    messages_ = std::make_unique<band::WindowMessageFilter>(
        [this](uint32_t window, unsigned message, uint32_t wParam, uint32_t) {
            if (window == playerWindow() && band::IsBandRequest(message)) OnBandRequest(message, wParam);
        });
    // The player restored from its taskbar button brings its windows back.
    player_.installEventFilter(this);
}

DesktopShell::~DesktopShell() = default;

uint32_t DesktopShell::playerWindow() const { return static_cast<uint32_t>(player_.winId()); }

void DesktopShell::AddTray() { tray_->Add(context_.view.State().titleText); }

int DesktopShell::OnBandRequest(unsigned message, uint32_t wParam) {
    const PlaybackState& state = context_.view.State();
    switch (message) {
    case band::kShow:
        RestorePlayer();
        return 1;
    case band::kPlay:
        context_.commands.Send(cmd::Play);
        break;
    case band::kBack:
        context_.commands.Send(cmd::Back);
        break;
    case band::kNext:
        context_.commands.Send(cmd::Next);
        break;
    case band::kVolume:
        context_.commands.Send(cmd::SetVolume,
                               CommandData::Value(VolumeFromBandPosition(static_cast<int>(wParam), state.volumeMax)));
        break;
    case band::kMute:
        context_.commands.Send(cmd::SetMute, CommandData::Value(wParam != 0 ? 1 : 0));
        break;
    default:
        return 0;
    }
    // The band shows what the request did.
    if (handedOver_) band_.Update(context_.view.State(), playerWindow());
    return 1;
}

void DesktopShell::Minimize() {
    // 1. What the mini player is, until the user has read enough.
    RunMiniPlayerNoticeIfWanted(context_.settings, &player_);
    // 2. Minimise: the skinned windows go with the taskbar widget (which, in tray-only
    // mode, stays hidden rather than gaining a taskbar button).
    context_.windows.HideWindows();
    if (!trayOnly_) player_.showMinimized();
    const PlaybackState& state = context_.view.State();
    // 3. The band takes over.
    if (state.miniPlayer && band_.HandOver(state, playerWindow())) {
        handedOver_ = true;
        player_.hide();
        qCInfo(lcShell) << "handed over to the band" << Qt::hex << band_.handle();
    }
    // 4. No taskbar button: nothing is left to see.
    if (state.showTaskbar) player_.hide();
}

void DesktopShell::RestorePlayer() {
    handedOver_ = false;
    if (!trayOnly_) {
        player_.showNormal();
        if (context_.view.State().showTaskbar) platform::SetSkipTaskbar(&player_, true);
    }
    context_.windows.ShowWindows();
    if (QWidget* main = context_.windows.Window(PlayerWindow::Main)) {
        main->raise();
        main->activateWindow();
    }
}

bool DesktopShell::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &player_ && event->type() == QEvent::WindowStateChange) {
        auto* change = static_cast<QWindowStateChangeEvent*>(event);
        const bool wasMinimised = change->oldState().testFlag(Qt::WindowMinimized);
        if (wasMinimised && !player_.isMinimized() && player_.isVisible()) context_.windows.ShowWindows();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tavora
