#pragma once
// Which skin is current, and switching skins.
//
// Skins are the folders directly below "<install folder>/skin" (hidden ones aside),
// listed in the order of their folder names (at most 260). A skin is known by the
// display name its description file gives ("Default/General", "ID_SKIN_NAME"); a
// folder without a readable file is still listed, with an empty name.
//
// Start-up choice: the stored name "SelectSkinName" ("oXu(Default)" when missing)
// picks the last listed skin of that name. When none matches, the default skin (the
// last one named "oXu(Default)") or else the first one is taken, and the stored
// window sizes are deleted so every window starts at its default place for the new
// skin. When the skins root had to be created or holds no skin, the skins-missing
// flag is raised and the controller is asked to fetch the skins (command 32874).
//
// Unusable skins (SkinUsability.h): when the chosen skin cannot be used, the last
// usable skin named "oXu(Default)", or else the first usable one, takes its place; it
// becomes the stored choice ("SelectSkinName") and the stored window sizes go, since
// the user's skin is of no use any more. The user is told once, through the skin
// notice. When no installed skin is usable the choice stays, the skins are fetched as
// if none were installed, and the main window keeps a plain size of its own. A skin
// change (ReloadAllSkins) follows the same rule, so no window ever reads an unusable
// skin while a usable one is installed.
//
// GUI thread only (the current-skin texts are process-wide, see SkinBitmap.h).

#include <functional>
#include <string>
#include <vector>

#include "Commands.h"

namespace tavora {

inline constexpr const char* kDefaultSkinName = "oXu(Default)";
inline constexpr const char* kSelectSkinNameValue = "SelectSkinName";
inline constexpr int kMaxListedSkins = 260;
// The notices; %s is "<skin folder name>: <reason>".
inline constexpr const char* kSkinFallbackText = "스킨을 사용할 수 없어 기본 스킨으로 바꿨습니다.\n%s";
inline constexpr const char* kNoUsableSkinText = "사용할 수 있는 스킨이 없습니다.\n%s";

struct InstalledSkin {
    std::string name;    // display name ("" when the file or element is missing)
    std::string folder;  // full path of the skin's folder
};

struct SkinList {
    std::vector<InstalledSkin> skins;
    int matched = -1;  // last entry whose name equals the name looked for, -1 none
};

// Lists the skins below skinsRoot and notes the last one named `selectedName`.
SkinList EnumerateSkins(const std::string& skinsRoot, const std::string& selectedName);

// Sends a command to the controller (UpdateSkin, AutoUpdateSkin).
using SkinCommandSink = std::function<void(cmd::Command command)>;

// Tells the user that a skin was replaced (the main window shows a message box).
// Without one the text goes to the standard error stream.
using SkinNotice = std::function<void(const std::string& text)>;
void SetSkinNotice(SkinNotice notice);

// The entry to use instead of an unusable one: the last usable skin named
// "oXu(Default)", else the first usable one; -1 when none is. `skip` is not tried.
int FindFallbackSkin(const SkinList& list, int skip);

struct StartupSkinChoice {
    SkinList list;
    int index = -1;             // chosen entry, -1 when nothing is installed
    bool nameMatched = false;   // the stored name was found (window sizes kept)
    bool skinsMissing = false;  // the skins must be fetched
    bool replaced = false;      // the chosen skin was unusable and another took its place
    std::string notice;         // what the user was told, empty when nothing
};

// Runs the start-up choice: sets SelectedSkinName, CurrentSkinFolder and
// CurrentSkinFile, deletes "\Setting\Size" when the stored name did not match, and
// on missing skins raises SkinsMissing() and sends AutoUpdateSkin through `send` (when set);
// replaces an unusable skin as described above.
StartupSkinChoice ChooseStartupSkin(const SkinCommandSink& send);

// The flag the update module reads: no skin was installed at start-up.
bool SkinsMissing();
void SetSkinsMissing(bool missing);

// The skin-reload command (32869), the part that belongs to the skin system:
// CurrentSkinFile follows CurrentSkinFolder, then every registered skin client
// (main window, playlist window, list control, equaliser window) reloads. The
// controller re-lays the windows out afterwards. An unusable skin is replaced first
// (see above); returns the notice given, empty when none.
std::string ReloadAllSkins();

// The skin page's OK: when the chosen entry differs from the current one, makes it
// current (CurrentSkinFolder, SelectedSkinName) and sends 32869. Returns whether it did.
bool ApplySkinChoice(const SkinList& list, int chosenIndex, int currentIndex, const SkinCommandSink& send);

}  // namespace tavora
