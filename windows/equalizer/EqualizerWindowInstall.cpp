#include "EqualizerWindowInstall.h"

#include "DspEffectDialog.h"
#include "EqualizerSlide.h"
#include "EqualizerWindow.h"
#include "PlayerEvents.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"

namespace tavora {

EqualizerWindow* CreateEqualizerWindow(CTavoraPlayerDlg& dlg) {
    PlayerEvents& events = dlg.events();
    auto* window = new EqualizerWindow(dlg, dlg.playback(), events, &dlg);
    dlg.SetEqualizerWindow(window);
    window->RestoreStoredGains();
    auto* slide = new EqualizerSlide(*window, events);

    // Show Equalizer: slide out or in; a request while it slides is dropped (it would
    // reverse the slide half-way).
    auto toggle = [&dlg, slide] {
        if (slide->sliding()) return;
        PlaybackState& state = dlg.state();
        state.equalizerShown = state.equalizerShown ? 0 : 1;
        slide->Start(state.equalizerShown != 0);
        emit dlg.events().displayChanged();
    };
    dlg.RegisterCommand(cmd::ShowEqualizer, toggle);
    // The options' sound page asks for the DSP effect dialog.
    dlg.RegisterCommand(cmd::ShowDspEffect, [&dlg] { ShowDspEffectDialog(&dlg, dlg.playback()); });
    dlg.hooks().slideEqualizerOut = [slide](CTavoraPlayerDlg&) { slide->Start(true); };
    QObject::connect(&events, &PlayerEvents::masterVolumeChanged, window,
                     [window](unsigned value, unsigned maximum, bool open) {
                         window->SetMasterVolume(open ? value : 0, maximum);
                     });
    QObject::connect(&events, &PlayerEvents::mainWindowRectChanged, slide, [window, slide](const QRect& rect) {
        if (window->isVisible()) slide->Place(rect);
    });
    return window;
}

}  // namespace tavora
