#include "ArchiveSongNames.h"

#include <algorithm>
#include <array>

#include "PlaylistEntry.h"

namespace tavora {
namespace {

template <size_t N>
bool ExtensionIn(std::string_view name, const std::array<std::string_view, N>& lowerCase) {
    const std::string_view ext = ExtensionOf(name);
    return std::any_of(lowerCase.begin(), lowerCase.end(), [ext](std::string_view e) { return ExtensionIs(ext, e); });
}

constexpr std::array<std::string_view, 8> kSongExtensions{"mp1", "mp2", "mp3", "ogg", "wav", "asf", "wma", "cda"};
constexpr std::array<std::string_view, 8> kKeptExtensions{"mp3", "ogg", "wma", "wav", "asf", "wmv", "mp1", "mp2"};

}  // namespace

bool IsArchiveSongName(std::string_view entryName) { return ExtensionIn(entryName, kSongExtensions); }

bool IsKeptBySweep(std::string_view fileName) { return ExtensionIn(fileName, kKeptExtensions); }

}  // namespace tavora
