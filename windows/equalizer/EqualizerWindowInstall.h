#pragma once
// The equaliser window as a feature: at its step of the start it is created with the
// player's command sink, sound effects and events, restores the stored gains and joins
// the window set; it takes the Show Equalizer command (the slide), slides out at the
// start when it was shown last time, and takes the command that opens the DSP effect
// dialog. The window follows the main window's rectangle and the master volume, and
// saves its values in the shutdown's Save phase.
//
// UI thread only.

namespace tavora {

struct PlayerContext;

namespace equalizer_window {

void Install(PlayerContext& context);

}  // namespace equalizer_window
}  // namespace tavora
