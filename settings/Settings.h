#pragma once
// The settings owner: the one place that holds the player's settings of the table
// (PlayerSettings.h: where each lives in the store, its type and its default) while the
// player runs, and tells whoever follows a setting when it changes.
//
// Load() reads the table from the store (a missing value takes its default), so it also
// picks up what another writer (the store tool) put there. Change() makes new values the
// live ones and tells the followers which fields changed; Save() writes fields under
// their stored names. Set() does both for one field.
//
// Threading: Values() and Value() may be called from any thread (jobs read the title
// format); Load(), Change(), Set(), Follow() and Unfollow() belong to the thread that
// owns the player (followers run there, inside Change()).

#include <functional>
#include <initializer_list>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "PlayerSettings.h"

namespace tavora {

using SettingField = int PlayerSettings::*;

// What one Change() changed.
struct SettingsChange {
    std::vector<SettingField> fields;
    bool Has(SettingField field) const;
};

class Settings {
public:
    using Follower = std::function<void(const SettingsChange&)>;

    Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    void Load();

    // The live values as one record, and Change() under the name the features use.
    PlayerSettings Live() const { return Values(); }
    void SetLive(const PlayerSettings& settings) { Change(settings); }

    PlayerSettings Values() const;
    int Value(SettingField field) const;
    // Reads one field from the store again (another writer may have changed it), makes
    // what it finds the live value and returns it.
    int Reload(SettingField field);

    // Tells the followers when anything differs from the live values; stores nothing.
    void Change(const PlayerSettings& next);
    // Changes one field and stores it.
    void Set(SettingField field, int value);
    // Writes the live values of `fields` under their stored names, in one transaction.
    void Save(std::span<const SettingField> fields) const;
    void Save(std::initializer_list<SettingField> fields) const {
        Save(std::span<const SettingField>(fields.begin(), fields.size()));
    }

    // Returns a number for Unfollow().
    int Follow(Follower follower);
    void Unfollow(int id);

    // The fields the options dialog edits and saves (the skin's name is saved beside them).
    static std::span<const SettingField> OptionFields();

private:
    mutable std::mutex mutex_;
    PlayerSettings values_;
    std::map<int, Follower> followers_;
    int nextId_ = 1;
};

// Stores the option fields of `values` and the skin's name in one transaction.
void SaveOptionSettings(const PlayerSettings& values, std::string_view skinName);

}  // namespace tavora
