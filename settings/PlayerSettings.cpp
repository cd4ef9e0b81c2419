#include "PlayerSettings.h"

#include <array>

#include "MediaTypes.h"
#include "Registry.h"
#include "RegistryKeys.h"

namespace tavora {
namespace {

using S = PlayerSettings;
using namespace keys;

constexpr std::array kDefaults = {
    SettingDefault{kView, "Equalizer", &S::equalizerShown, 0},
    SettingDefault{kView, "List", &S::listShown, 1},
    SettingDefault{kView, "MiniPlayerInfo", &S::miniPlayerInfo, 0},
    SettingDefault{kControl, "VolumeValue", &S::volumeValue, 25},
    SettingDefault{kControl, "Mute", &S::mute, 0},
    SettingDefault{kControl, "RepeatOff", &S::repeatOff, 1},
    SettingDefault{kControl, "RepeatOne", &S::repeatOne, 0},
    SettingDefault{kControl, "RepeatAll", &S::repeatAll, 0},
    SettingDefault{kControl, "Shuttle", &S::shuttle, 0},
    SettingDefault{kControl, "Equalizer", &S::equalizerOn, 1},
    SettingDefault{kControl, "AlwaysTop", &S::alwaysTop, 0},
    SettingDefault{kControl, "BeginPlay", &S::beginPlay, 0},
    SettingDefault{kControl, "AutoConnect", &S::autoConnect, 1},
    SettingDefault{kControl, "ShowTray", &S::showTray, 0},
    SettingDefault{kControl, "ShowTaskbar", &S::showTaskbar, 0},
    SettingDefault{kControl, "StartOpen", &S::startOpen, 1},
    SettingDefault{kControl, "OpenFile", &S::openFile, 1},
    SettingDefault{kControl, "OpenFolder", &S::openFolder, 0},
    SettingDefault{kControl, "OpenUrl", &S::openUrl, 0},
    SettingDefault{kControl, "MiniPlayer", &S::miniPlayer, 1},
    SettingDefault{kControl, "CrossFade", &S::crossFade, 1},
    SettingDefault{kControl, "Normalize", &S::normalize, 0},
    SettingDefault{kConnectExt, media::ConnectSetting(media::Media::Mp3), &S::connectMp3, 1},
    SettingDefault{kConnectExt, media::ConnectSetting(media::Media::Ogg), &S::connectOgg, 1},
    SettingDefault{kConnectExt, media::ConnectSetting(media::Media::Wma), &S::connectWma, 1},
    SettingDefault{kConnectExt, media::ConnectSetting(media::Media::Wav), &S::connectWav, 1},
    SettingDefault{kConnectExt, media::ConnectSetting(media::Media::Cda), &S::connectCda, 1},
    SettingDefault{kConnectExt, media::ConnectSetting(media::Media::Pls), &S::connectPls, 1},
    SettingDefault{kConnectExt, media::ConnectSetting(media::Media::M3u), &S::connectM3u, 1},
    SettingDefault{kTagSortMp3, "Version", &S::tagVersion, 1},
    // The title format: when "Type1" is missing all of these take their defaults
    // (LoadTitleFormatSettings).
    SettingDefault{kTagSortMp3, "Type1", &S::type1, 1},
    SettingDefault{kTagSortMp3, "Type2", &S::type2, 0},
    SettingDefault{kTagSortMp3, "Type3", &S::type3, 0},
    SettingDefault{kTagSortMp3, "Type4", &S::type4, 0},
    SettingDefault{kTagSortMp3, "Type5", &S::type5, 0},
    SettingDefault{kTagSortMp3, "Type6", &S::type6, 0},
    SettingDefault{kTagSortMp3, "Type", &S::type, 1},
};

}  // namespace

std::span<const SettingDefault> SettingDefaults() { return kDefaults; }

void LoadTitleFormatSettings(PlayerSettings& s) {
    s.tagVersion = ReadRegDwordOr(kTagSortMp3, "Version", 1);
    const int type1 = ReadRegDword(kTagSortMp3, "Type1");
    if (type1 == kMissingDword) {
        s.type1 = 1;
        s.type2 = s.type3 = s.type4 = s.type5 = 0;
        s.type = 1;
    } else {
        s.type1 = type1;
        s.type2 = ReadRegDwordOr(kTagSortMp3, "Type2", 0);
        s.type3 = ReadRegDwordOr(kTagSortMp3, "Type3", 0);
        s.type4 = ReadRegDwordOr(kTagSortMp3, "Type4", 0);
        s.type5 = ReadRegDwordOr(kTagSortMp3, "Type5", 0);
        s.type = ReadRegDwordOr(kTagSortMp3, "Type", 1);
    }
    s.type6 = ReadRegDwordOr(kTagSortMp3, "Type6", 0);
}

namespace {
const SettingDefault* RowOf(int PlayerSettings::*field) {
    for (const SettingDefault& d : kDefaults)
        if (d.member == field) return &d;
    return nullptr;
}
}  // namespace

int LoadStoredSetting(int PlayerSettings::*field) {
    const SettingDefault* row = RowOf(field);
    return row ? ReadRegDwordOr(row->key, row->name, row->fallback) : PlayerSettings{}.*field;
}

void StoreSetting(int PlayerSettings::*field, int value) {
    if (const SettingDefault* row = RowOf(field)) WriteRegDword(row->key, row->name, value);
}

PlayerSettings LoadPlayerSettings() {
    PlayerSettings s;
    LoadTitleFormatSettings(s);
    for (const SettingDefault& d : kDefaults) s.*d.member = ReadRegDwordOr(d.key, d.name, d.fallback);
    LoadTitleFormatSettings(s);
    return s;
}

}  // namespace tavora
