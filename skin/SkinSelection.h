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
// GUI thread only (the current-skin texts are process-wide, see SkinBitmap.h).

#include <functional>
#include <string>
#include <vector>

namespace tavora {

inline constexpr const char* kDefaultSkinName = "oXu(Default)";
inline constexpr const char* kSelectSkinNameValue = "SelectSkinName";
inline constexpr int kMaxListedSkins = 260;
inline constexpr int kCommandUpdateSkin = 32869;
inline constexpr int kCommandAutoUpdateSkin = 32874;

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

// Sends an internal command to the controller (the controller's dispatch).
using SkinCommandSink = std::function<void(int command)>;

struct StartupSkinChoice {
    SkinList list;
    int index = -1;             // chosen entry, -1 when nothing is installed
    bool nameMatched = false;   // the stored name was found (window sizes kept)
    bool skinsMissing = false;  // the skins must be fetched
};

// Runs the start-up choice: sets SelectedSkinName, CurrentSkinFolder and
// CurrentSkinFile, deletes "\Setting\Size" when the stored name did not match, and
// on missing skins raises SkinsMissing() and sends 32874 through `send` (when set).
StartupSkinChoice ChooseStartupSkin(const SkinCommandSink& send);

// The flag the update module reads: no skin was installed at start-up.
bool SkinsMissing();
void SetSkinsMissing(bool missing);

// The skin-reload command (32869), the part that belongs to the skin system:
// CurrentSkinFile follows CurrentSkinFolder, then every registered skin client
// (main window, playlist window, list control, equaliser window) reloads. The
// controller re-lays the windows out afterwards.
void ReloadAllSkins();

// The skin page's OK: when the chosen entry differs from the current one, makes it
// current (CurrentSkinFolder, SelectedSkinName) and sends 32869. Returns whether it did.
bool ApplySkinChoice(const SkinList& list, int chosenIndex, int currentIndex, const SkinCommandSink& send);

}  // namespace tavora
