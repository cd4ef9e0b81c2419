#include "OptionSettings.h"

#include "MediaTypes.h"
#include "Registry.h"
#include "RegistryKeys.h"

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

void WriteOptionSettings(const PlayerSettings& s, const std::string& skinName) {
    using namespace keys;
    RegistryBatch batch;
    const std::pair<const char*, int> control[] = {
        {"AlwaysTop", s.alwaysTop},     {"BeginPlay", s.beginPlay},   {"AutoConnect", s.autoConnect},
        {"ShowTray", s.showTray},       {"ShowTaskbar", s.showTaskbar}, {"StartOpen", s.startOpen},
        {"OpenFile", s.openFile},       {"OpenFolder", s.openFolder}, {"OpenUrl", s.openUrl},
        {"MiniPlayer", s.miniPlayer},   {"CrossFade", s.crossFade},   {"Normalize", s.normalize},
    };
    for (const auto& [name, value] : control) WriteRegDword(kControl, name, value);
    const std::pair<const char*, int> connect[] = {
        {media::ConnectSetting(media::Media::Mp3), s.connectMp3}, {media::ConnectSetting(media::Media::Ogg), s.connectOgg},
        {media::ConnectSetting(media::Media::Wma), s.connectWma}, {media::ConnectSetting(media::Media::Wav), s.connectWav},
        {media::ConnectSetting(media::Media::Cda), s.connectCda}, {media::ConnectSetting(media::Media::Pls), s.connectPls},
        {media::ConnectSetting(media::Media::M3u), s.connectM3u},
    };
    for (const auto& [name, value] : connect) WriteRegDword(kConnectExt, name, value);
    const std::pair<const char*, int> tags[] = {
        {"Version", s.tagVersion}, {"Type1", s.type1}, {"Type2", s.type2}, {"Type3", s.type3},
        {"Type4", s.type4},        {"Type5", s.type5}, {"Type6", s.type6}, {"Type", s.type},
    };
    for (const auto& [name, value] : tags) WriteRegDword(kTagSortMp3, name, value);
    WriteRegString(kSkin, "SelectSkinName", skinName);
}

}  // namespace tavora
