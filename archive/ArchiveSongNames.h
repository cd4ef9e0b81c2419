#pragma once
// Which archive entries become playlist rows, and which extracted files the exit sweep
// keeps. Extensions are the text after the last "." and are compared case-sensitively:
// "mp3" and "MP3" count, "Mp3" is another extension.

#include <string_view>

namespace tavora {

// Song entries of ZIP and RAR archives: mp1, mp2, mp3, ogg, wav, asf, wma and cda, all
// lower- or all upper-case. (Every ALZ entry is added without this test.)
bool IsArchiveSongName(std::string_view entryName);

// Files the exit sweep leaves in the temporary folder: mp3, ogg, wma, wav, asf, wmv,
// mp1 and mp2, all lower- or all upper-case. Anything else there is deleted.
bool IsKeptBySweep(std::string_view fileName);

}  // namespace tavora
