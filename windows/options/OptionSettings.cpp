#include "OptionSettings.h"

#include "Settings.h"

namespace tavora {

void ResetOptionSettings(PlayerSettings& s) {
    s.alwaysTop = s.beginPlay = s.showTray = s.showTaskbar = 0;
    s.openFolder = s.openUrl = s.miniPlayer = 0;
    s.type2 = s.type3 = s.type4 = s.type5 = s.type6 = 0;
    s.autoConnect = s.startOpen = s.openFile = 1;
    s.connectMp3 = s.connectOgg = s.connectWma = s.connectWav = s.connectCda = s.connectPls = s.connectM3u = 1;
    s.tagVersion = s.type1 = s.type = 1;
}

void CopyResetFields(const PlayerSettings& from, PlayerSettings& to) {
    to.alwaysTop = from.alwaysTop;
    to.beginPlay = from.beginPlay;
    to.autoConnect = from.autoConnect;
    to.showTray = from.showTray;
    to.showTaskbar = from.showTaskbar;
    to.startOpen = from.startOpen;
    to.openFile = from.openFile;
    to.openFolder = from.openFolder;
    to.openUrl = from.openUrl;
    to.miniPlayer = from.miniPlayer;
    to.connectMp3 = from.connectMp3;
    to.connectOgg = from.connectOgg;
    to.connectWma = from.connectWma;
    to.connectWav = from.connectWav;
    to.connectCda = from.connectCda;
    to.connectPls = from.connectPls;
    to.connectM3u = from.connectM3u;
    to.tagVersion = from.tagVersion;
    to.type1 = from.type1;
    to.type2 = from.type2;
    to.type3 = from.type3;
    to.type4 = from.type4;
    to.type5 = from.type5;
    to.type6 = from.type6;
    to.type = from.type;
}

void ChooseTitleFormat(PlayerSettings& s, int format) {
    if (format < 1 || format > 6) return;
    int* flags[] = {&s.type1, &s.type2, &s.type3, &s.type4, &s.type5, &s.type6};
    for (int i = 0; i < 6; ++i) *flags[i] = i + 1 == format ? 1 : 0;
    s.type = format;
}

int ChosenTitleFormat(const PlayerSettings& s) {
    const int flags[] = {s.type1, s.type2, s.type3, s.type4, s.type5, s.type6};
    for (int i = 0; i < 6; ++i)
        if (flags[i] == 1) return i + 1;
    return 0;
}

void SetShowMode(PlayerSettings& s, ShowMode mode) {
    s.showTray = mode == ShowMode::NoTray ? 1 : 0;
    s.showTaskbar = mode == ShowMode::NoTaskbar ? 1 : 0;
}

ShowMode ShowModeOf(const PlayerSettings& s) {
    if (s.showTray) return ShowMode::NoTray;
    if (s.showTaskbar) return ShowMode::NoTaskbar;
    return ShowMode::All;
}

void SetOpenAction(PlayerSettings& s, OpenAction action) {
    s.openFile = action == OpenAction::File ? 1 : 0;
    s.openFolder = action == OpenAction::Folder ? 1 : 0;
    s.openUrl = action == OpenAction::Url ? 1 : 0;
}

OpenAction OpenActionOf(const PlayerSettings& s) {
    // The open command tries the folder first, then the address (ControllerAdding.cpp).
    if (s.openFolder) return OpenAction::Folder;
    if (s.openUrl) return OpenAction::Url;
    return OpenAction::File;
}

void WriteOptionSettings(const PlayerSettings& s, const std::string& skinName) { SaveOptionSettings(s, skinName); }

}  // namespace tavora
