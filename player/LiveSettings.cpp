#include "LiveSettings.h"

#include "PlaybackState.h"
#include "PlayerSettings.h"

namespace tavora {

void LiveSettings::SetLive(const PlayerSettings& s) {
    settings_ = s;
    state_.alwaysTop = s.alwaysTop;
    state_.beginPlay = s.beginPlay;
    state_.showTray = s.showTray;
    state_.showTaskbar = s.showTaskbar;
    state_.startOpen = s.startOpen;
    state_.openFile = s.openFile;
    state_.openFolder = s.openFolder;
    state_.openUrl = s.openUrl;
    state_.miniPlayer = s.miniPlayer;
    state_.crossFade = s.crossFade;
    state_.normalize = s.normalize;
}

}  // namespace tavora
