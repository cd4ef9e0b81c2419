#include "PlayerStateSettings.h"

#include "PlaybackState.h"
#include "Settings.h"

namespace tavora {

void SavePlayerState(Settings& settings, const PlaybackState& state) {
    using S = PlayerSettings;
    PlayerSettings kept = settings.Values();
    kept.equalizerShown = state.equalizerShown;
    kept.listShown = state.listShown;
    kept.volumeValue = state.volume;
    kept.mute = state.mute;
    kept.repeatOff = state.repeatOff;
    kept.repeatOne = state.repeatOne;
    kept.repeatAll = state.repeatAll;
    kept.shuttle = state.shuffle;
    kept.equalizerOn = state.equalizerOn;
    settings.Change(kept);
    settings.Save({&S::equalizerShown, &S::listShown, &S::volumeValue, &S::mute, &S::repeatOff, &S::repeatOne,
                   &S::repeatAll, &S::shuttle, &S::equalizerOn});
}

void FollowSwitches(Settings& settings, PlaybackState& state) {
    settings.Follow([&settings, &state](const SettingsChange&) {
        const PlayerSettings s = settings.Values();
        state.alwaysTop = s.alwaysTop;
        state.beginPlay = s.beginPlay;
        state.showTray = s.showTray;
        state.showTaskbar = s.showTaskbar;
        state.startOpen = s.startOpen;
        state.openFile = s.openFile;
        state.openFolder = s.openFolder;
        state.openUrl = s.openUrl;
        state.miniPlayer = s.miniPlayer;
        state.crossFade = s.crossFade;
        state.normalize = s.normalize;
    });
}

void LoadPlayerState(const PlayerSettings& loaded, PlaybackState& state) {
    state.volume = loaded.volumeValue;
    state.mute = loaded.mute;
    state.repeatOff = loaded.repeatOff;
    state.repeatOne = loaded.repeatOne;
    state.repeatAll = loaded.repeatAll;
    state.shuffle = loaded.shuttle;
    state.equalizerOn = loaded.equalizerOn;
    state.equalizerShown = loaded.equalizerShown;
    state.listShown = loaded.listShown;
    state.alwaysTop = loaded.alwaysTop;
    state.beginPlay = loaded.beginPlay;
    state.showTray = loaded.showTray;
    state.showTaskbar = loaded.showTaskbar;
    state.startOpen = loaded.startOpen;
    state.openFile = loaded.openFile;
    state.openFolder = loaded.openFolder;
    state.openUrl = loaded.openUrl;
    state.miniPlayer = loaded.miniPlayer;
    state.miniPlayerInfo = loaded.miniPlayerInfo;
    state.crossFade = loaded.crossFade;
    state.normalize = loaded.normalize;
}

}  // namespace tavora
