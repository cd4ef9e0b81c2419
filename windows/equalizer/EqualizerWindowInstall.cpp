#include "EqualizerWindowInstall.h"

#include "DspEffectDialog.h"
#include "EqualizerSlide.h"
#include "EqualizerWindow.h"
#include "PlaybackView.h"
#include "PlayerContext.h"
#include "PlayerEvents.h"

namespace tavora::equalizer_window {

namespace {

void Create(PlayerContext& context) {
    PlayerEvents& events = context.events;
    WindowHost& windows = context.windows;
    auto* window = new EqualizerWindow(context.commands, context.effects, events, windows.Owner());
    window->SetView(&context.view);
    windows.AddWindow(PlayerWindow::Equalizer, window);
    window->RestoreStoredGains();
    auto* slide = new EqualizerSlide(*window, events);

    // Show Equalizer: slide out or in; a request while it slides is dropped (it would
    // reverse the slide half-way).
    auto toggle = [&context, slide] {
        if (slide->sliding()) return;
        const bool show = context.view.State().equalizerShown == 0;
        context.windows.NoteShown(PlayerWindow::Equalizer, show);
        slide->Start(show);
        emit context.events.displayChanged();
    };
    context.handlers.RegisterCommand(cmd::ShowEqualizer, toggle);
    // The options' sound page asks for the DSP effect dialog.
    context.handlers.RegisterCommand(cmd::ShowDspEffect,
                                     [&context] { ShowDspEffectDialog(context.windows.Owner(), context.effects); });
    context.startup.AddStartupStep(StartupStep::ShowWindows, [&context, slide] {
        if (context.view.State().equalizerShown) slide->Start(true);
    });
    QObject::connect(&events, &PlayerEvents::masterVolumeChanged, window,
                     [window](unsigned value, unsigned maximum, bool open) {
                         window->SetMasterVolume(open ? value : 0, maximum);
                     });
    QObject::connect(&events, &PlayerEvents::mainWindowRectChanged, slide, [window, slide](const QRect& rect) {
        if (window->isVisible()) slide->Place(rect);
    });
}

}  // namespace

void Install(PlayerContext& context) {
    context.startup.AddStartupStep(StartupStep::CreateEqualizerWindow, [&context] { Create(context); });
}

}  // namespace tavora::equalizer_window
