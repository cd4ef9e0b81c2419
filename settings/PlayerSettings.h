#pragma once
// The player's settings as one record, with where each is stored and its default in
// one table. The settings owner (Settings.h) holds the live record; this record is also
// the options dialog's working copy.
//
// LoadPlayerSettings() reads every value of "\Setting\View", "\Setting\Control",
// "\Setting\ConnectExt" and "\Setting\TagSortMp3" once and replaces each missing
// value by its default. Window rectangles, the equaliser preset, the skin name and
// the playlist have typed faces of their own (StoredValues.h, StoredPlaylist.h).

#include <span>

namespace tavora {

struct PlayerSettings {
    // \Setting\View
    int equalizerShown = 0;  // "Equalizer"
    int listShown = 1;       // "List"
    int miniPlayerInfo = 0;  // "MiniPlayerInfo"
    // \Setting\Control
    int volumeValue = 25;
    int mute = 0;
    int repeatOff = 1;
    int repeatOne = 0;
    int repeatAll = 0;
    int shuttle = 0;
    int equalizerOn = 1;  // "Equalizer" of \Setting\Control
    int alwaysTop = 0;
    int beginPlay = 0;
    int autoConnect = 1;
    int showTray = 0;
    int showTaskbar = 0;
    int startOpen = 1;
    int openFile = 1;
    int openFolder = 0;
    int openUrl = 0;
    int miniPlayer = 1;
    int crossFade = 1;
    int normalize = 0;
    // \Setting\ConnectExt: register the association of the type
    int connectMp3 = 1, connectOgg = 1, connectWma = 1, connectWav = 1, connectCda = 1,
        connectPls = 1, connectM3u = 1;
    // \Setting\TagSortMp3
    int tagVersion = 1;  // "Version": prefer ID3v2 fields
    int type1 = 1, type2 = 0, type3 = 0, type4 = 0, type5 = 0;
    int type6 = 0;  // read as stored; the title-format rules treat "missing" as not set
    int type = 1;
};

// One row of the defaults table: where a value lives and which member holds it.
struct SettingDefault {
    const char* key;
    const char* name;
    int PlayerSettings::*member;
    int fallback;
};

// Every setting with a default, in the order they are read.
std::span<const SettingDefault> SettingDefaults();

PlayerSettings LoadPlayerSettings();

// One setting of the table, read from the store (its default when missing) or written
// to it, for a part that runs before or beside the settings owner.
int LoadStoredSetting(int PlayerSettings::*field);
void StoreSetting(int PlayerSettings::*field, int value);

// The title-format flags: when "Type1" is missing the format is reset to the first
// one ("Type1" = 1, "Type2".."Type5" = 0, "Type" = 1); otherwise the stored flags hold.
void LoadTitleFormatSettings(PlayerSettings& settings);

}  // namespace tavora
