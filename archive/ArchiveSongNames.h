#pragma once
// Which archive entries become playlist rows, and which extracted files the exit sweep
// keeps: the media table's archive-song and sweep lists (contracts/MediaTypes.h), whose
// extensions are compared all lower- or all upper-case.

#include <string_view>

namespace tavora {

// Song entries of ZIP and RAR archives. (Every ALZ entry is added without this test.)
bool IsArchiveSongName(std::string_view entryName);

// Files the exit sweep leaves in the temporary folder; anything else there is deleted.
bool IsKeptBySweep(std::string_view fileName);

}  // namespace tavora
