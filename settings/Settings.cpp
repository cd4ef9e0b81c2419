#include "Settings.h"

#include <algorithm>
#include <array>

#include "Registry.h"
#include "StoredValues.h"

namespace tavora {
namespace {

using S = PlayerSettings;

constexpr std::array<SettingField, 27> kOptionFields = {
    &S::alwaysTop,  &S::beginPlay,  &S::autoConnect, &S::showTray,   &S::showTaskbar, &S::startOpen, &S::openFile,
    &S::openFolder, &S::openUrl,    &S::miniPlayer,  &S::crossFade,  &S::normalize,   &S::connectMp3, &S::connectOgg,
    &S::connectWma, &S::connectWav, &S::connectCda,  &S::connectPls, &S::connectM3u,  &S::tagVersion, &S::type1,
    &S::type2,      &S::type3,      &S::type4,       &S::type5,      &S::type6,       &S::type,
};

}  // namespace

bool SettingsChange::Has(SettingField field) const {
    return std::find(fields.begin(), fields.end(), field) != fields.end();
}

Settings::Settings() {
    // Until Load(), every setting holds its default.
    for (const SettingDefault& d : SettingDefaults()) values_.*d.member = d.fallback;
}

void Settings::Load() { Change(LoadPlayerSettings()); }

PlayerSettings Settings::Values() const {
    std::lock_guard lock(mutex_);
    return values_;
}

int Settings::Value(SettingField field) const {
    std::lock_guard lock(mutex_);
    return values_.*field;
}

int Settings::Reload(SettingField field) {
    PlayerSettings next = Values();
    next.*field = LoadStoredSetting(field);
    Change(next);
    return next.*field;
}

void Settings::Change(const PlayerSettings& next) {
    SettingsChange change;
    {
        std::lock_guard lock(mutex_);
        for (const SettingDefault& d : SettingDefaults())
            if (values_.*d.member != next.*d.member) change.fields.push_back(d.member);
        values_ = next;
    }
    if (change.fields.empty()) return;
    // A follower may unfollow (or follow) while being told.
    const std::map<int, Follower> followers = followers_;
    for (const auto& [id, follower] : followers)
        if (follower) follower(change);
}

void Settings::Set(SettingField field, int value) {
    PlayerSettings next = Values();
    next.*field = value;
    Change(next);
    Save({field});
}

void Settings::Save(std::span<const SettingField> fields) const {
    const PlayerSettings values = Values();
    RegistryBatch batch;
    for (SettingField field : fields) StoreSetting(field, values.*field);
}

void SaveOptionSettings(const PlayerSettings& values, std::string_view skinName) {
    RegistryBatch batch;
    for (SettingField field : kOptionFields) StoreSetting(field, values.*field);
    stored::WriteSkinName(skinName);
}

int Settings::Follow(Follower follower) {
    const int id = nextId_++;
    followers_[id] = std::move(follower);
    return id;
}

void Settings::Unfollow(int id) { followers_.erase(id); }

std::span<const SettingField> Settings::OptionFields() { return kOptionFields; }

}  // namespace tavora
