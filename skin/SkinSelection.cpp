#include "SkinSelection.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "InstallFolder.h"
#include "SkinBitmap.h"
#include "SkinClient.h"
#include "SkinReader.h"
#include "SkinUsability.h"
#include "StoredValues.h"

namespace tavora {

namespace {

bool g_skinsMissing = false;

SkinNotice& Notice() {
    static SkinNotice notice;
    return notice;
}

std::string FolderName(const std::string& folder) { return std::filesystem::path(folder).filename().string(); }

std::string Fill(const char* format, const std::string& text) {
    std::string out = format;
    if (const size_t at = out.find("%s"); at != std::string::npos) out.replace(at, 2, text);
    return out;
}

void Tell(const std::string& text) {
    if (Notice()) Notice()(text);
    else std::fprintf(stderr, "%s\n", text.c_str());
}

// Replaces list entry `index` when it is unusable. Returns the notice to give (empty
// when the skin is fine); `index` then names the replacement, or stays when none is
// usable, in which case `noneUsable` is set.
std::string ReplaceUnusable(const SkinList& list, int& index, bool& noneUsable) {
    noneUsable = false;
    if (index < 0 || index >= static_cast<int>(list.skins.size())) return {};
    const InstalledSkin& chosen = list.skins[static_cast<size_t>(index)];
    const SkinCheck check = CheckSkinUsable(chosen.folder);
    if (check.usable) return {};
    const std::string what = FolderName(chosen.folder) + ": " + check.reason;
    const int fallback = FindFallbackSkin(list, index);
    if (fallback < 0) {
        noneUsable = true;
        return Fill(kNoUsableSkinText, what);
    }
    index = fallback;
    SelectedSkinName = list.skins[static_cast<size_t>(fallback)].name;
    stored::WriteSkinName(SelectedSkinName);
    stored::ForgetWindowPlaces();
    return Fill(kSkinFallbackText, what);
}

}  // namespace

void SetSkinNotice(SkinNotice notice) { Notice() = std::move(notice); }

int FindFallbackSkin(const SkinList& list, int skip) {
    const int count = static_cast<int>(list.skins.size());
    for (int i = count - 1; i >= 0; --i)
        if (i != skip && list.skins[static_cast<size_t>(i)].name == kDefaultSkinName &&
            CheckSkinUsable(list.skins[static_cast<size_t>(i)].folder).usable)
            return i;
    for (int i = 0; i < count; ++i)
        if (i != skip && list.skins[static_cast<size_t>(i)].name != kDefaultSkinName &&
            CheckSkinUsable(list.skins[static_cast<size_t>(i)].folder).usable)
            return i;
    return -1;
}

bool SkinsMissing() { return g_skinsMissing; }
void SetSkinsMissing(bool missing) { g_skinsMissing = missing; }

SkinList EnumerateSkins(const std::string& skinsRoot, const std::string& selectedName) {
    SkinList list;
    if (skinsRoot.empty()) return list;
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<std::string> folders;
    for (fs::directory_iterator it(skinsRoot, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError)) continue;
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        folders.push_back(name);
    }
    // The directory order of the file system is arbitrary; folder names give a
    // stable one.
    std::sort(folders.begin(), folders.end());
    if (folders.size() > static_cast<size_t>(kMaxListedSkins)) folders.resize(kMaxListedSkins);

    SkinReader reader;
    for (const std::string& folder : folders) {
        // A folder without a readable name is listed with an empty one (never the
        // name of the folder before it, which could make it win a match).
        std::string name;
        const std::string path = skinsRoot + "/" + folder;
        if (reader.Open(path + "/" + kSkinFileName)) reader.ReadSkinName("Default/General", "ID_SKIN_NAME", name);
        list.skins.push_back({name, path});
        if (name == selectedName) list.matched = static_cast<int>(list.skins.size()) - 1;
    }
    return list;
}

StartupSkinChoice ChooseStartupSkin(const SkinCommandSink& send) {
    StartupSkinChoice choice;
    SelectedSkinName = stored::ReadSkinName(kDefaultSkinName);

    const std::string install = InstallFolder();
    const std::string root = install.empty() ? std::string() : install + "/skin";
    choice.list = EnumerateSkins(root, SelectedSkinName);
    const auto& skins = choice.list.skins;

    if (choice.list.matched >= 0) {
        choice.index = choice.list.matched;
        choice.nameMatched = true;
    } else {
        if (skins.size() <= 1) {
            SelectedSkinName = kDefaultSkinName;
            choice.index = 0;
        } else {
            choice.index = -1;
            for (int i = static_cast<int>(skins.size()) - 1; i >= 0; --i) {
                if (skins[static_cast<size_t>(i)].name == kDefaultSkinName) {
                    choice.index = i;
                    break;
                }
            }
            if (choice.index >= 0) {
                SelectedSkinName = kDefaultSkinName;
            } else {
                choice.index = 0;
                SelectedSkinName = skins.front().name;
            }
        }
        stored::ForgetWindowPlaces();
    }

    // Nothing is created relative to an unknown install folder.
    bool created = false;
    if (!root.empty()) {
        std::error_code ec;
        created = std::filesystem::create_directories(root, ec);
    }
    if (created || skins.empty()) {
        choice.skinsMissing = true;
        SetSkinsMissing(true);
        stored::ForgetWindowPlaces();
        if (send) send(cmd::AutoUpdateSkin);
    }

    bool noneUsable = false;
    const int picked = choice.index;
    choice.notice = ReplaceUnusable(choice.list, choice.index, noneUsable);
    choice.replaced = choice.index != picked;
    if (noneUsable && !choice.skinsMissing) {
        choice.skinsMissing = true;
        SetSkinsMissing(true);
        if (send) send(cmd::AutoUpdateSkin);
    }
    if (!choice.notice.empty()) Tell(choice.notice);

    if (choice.index >= 0 && choice.index < static_cast<int>(skins.size())) {
        CurrentSkinFolder = skins[static_cast<size_t>(choice.index)].folder;
        CurrentSkinFile = CurrentSkinFolder + "/" + kSkinFileName;
    } else {
        // No skin: the windows stay without pictures until one is installed.
        choice.index = skins.empty() ? -1 : choice.index;
        CurrentSkinFolder.clear();
        CurrentSkinFile.clear();
    }
    return choice;
}

std::string ReloadAllSkins() {
    std::string notice;
    // The skins are only listed when there is something to replace.
    if (!CurrentSkinFolder.empty() && !CheckSkinUsable(CurrentSkinFolder).usable) {
        const std::filesystem::path folder(CurrentSkinFolder);
        SkinList list = EnumerateSkins(folder.parent_path().string(), SelectedSkinName);
        int index = -1;
        for (size_t i = 0; i < list.skins.size(); ++i)
            if (list.skins[i].folder == CurrentSkinFolder) index = static_cast<int>(i);
        if (index < 0) {
            // Not below a skins root we can list: nothing to fall back to but itself.
            list.skins.push_back({SelectedSkinName, CurrentSkinFolder});
            index = static_cast<int>(list.skins.size()) - 1;
        }
        bool noneUsable = false;
        notice = ReplaceUnusable(list, index, noneUsable);
        CurrentSkinFolder = list.skins[static_cast<size_t>(index)].folder;
        if (!notice.empty()) Tell(notice);
    }
    CurrentSkinFile = CurrentSkinFolder.empty() ? std::string() : CurrentSkinFolder + "/" + kSkinFileName;
    for (SkinClient* client : SkinClient::LiveClients()) client->ReloadSkin();
    return notice;
}

bool ApplySkinChoice(const SkinList& list, int chosenIndex, int currentIndex, const SkinCommandSink& send) {
    if (chosenIndex == currentIndex) return false;
    if (chosenIndex < 0 || chosenIndex >= static_cast<int>(list.skins.size())) return false;
    const InstalledSkin& skin = list.skins[static_cast<size_t>(chosenIndex)];
    CurrentSkinFolder = skin.folder;
    SelectedSkinName = skin.name;
    if (send) send(cmd::UpdateSkin);
    return true;
}

}  // namespace tavora
