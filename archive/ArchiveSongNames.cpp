#include "ArchiveSongNames.h"

#include "MediaTypes.h"

namespace tavora {

bool IsArchiveSongName(std::string_view entryName) { return media::IsArchiveSong(entryName); }

bool IsKeptBySweep(std::string_view fileName) { return media::IsKeptBySweep(fileName); }

}  // namespace tavora
