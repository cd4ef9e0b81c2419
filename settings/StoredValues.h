#pragma once
// Typed faces for the stored values that are not in the settings table: window places,
// the equaliser's bands, the skin's name, the arguments handed to the running player,
// the band's window, the update server and the store's own health. Each function reads
// or writes exactly the key path and value name the player has always used, so users'
// stores and the store tool keep working. Safe to call from any thread.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavora::stored {

// --- Window places ("\Setting\Size") ------------------------------------------------
// A window's edges under "<prefix>Left", "<prefix>Top", "<prefix>Right" and
// "<prefix>Bottom"; a missing edge is empty.
struct WindowEdges {
    std::optional<int> left, top, right, bottom;
};
WindowEdges ReadWindowEdges(std::string_view prefix);
// Writes the four edges of one window (its left, top, width and height) in one transaction.
void WriteWindowEdges(std::string_view prefix, int left, int top, int width, int height);
// Writes several windows' edges in one transaction.
struct WindowPlace {
    std::string_view prefix;
    int left, top, width, height;
};
void WriteWindowPlaces(std::span<const WindowPlace> places);
// Forgets every window place (another skin, another size).
void ForgetWindowPlaces();

// --- The equaliser ("\Setting\Control\EqulizerPreset") --------------------------------
// Band n (1-based) under "n"; the chosen preset under "mod"; the master level under its
// own number.
std::vector<std::optional<int>> ReadEqualizerBands(int count);
std::optional<int> ReadEqualizerPreset();
void WriteEqualizer(int preset, std::span<const int> bands, int masterNumber, int master);

// --- The skin ("\Setting\Skin" "SelectSkinName") ---------------------------------------
std::string ReadSkinName(std::string_view fallback);
void WriteSkinName(std::string_view name);

// --- Arguments handed to the running player ("\OutFile") -------------------------------
// No argument is pending any more ("count" = 0).
void ResetHandOffCount();
// Takes the next number and stores the text under it, in one transaction; nothing when
// the store could not be written (and then nothing was stored).
std::optional<int> StoreHandOffArgument(std::string_view text);
// The text stored under `number`, or "ERROR" when there is none.
std::string ReadHandOffArgument(int number);

// --- Other values below SOFTWARE\TavoraPlayer ------------------------------------------
// The taskbar band's window ("handle"); 0 when none is stored.
uint32_t ReadBandWindow();
void WriteBandWindow(uint32_t window);
std::string ReadUpdateServer(std::string_view fallback);
std::string ReadHomePage(std::string_view fallback);
// The next start does not check for updates on its own ("UpdateCheck" = 0).
void ClearUpdateCheck();

// --- The store itself -----------------------------------------------------------------
void SetRepairDamagedStore(bool repair);
std::string StoreStartupNotice();
std::string StoreFilePath();
// What is wrong with the store, in English; empty when nothing is.
std::string StoreProblem();

}  // namespace tavora::stored
