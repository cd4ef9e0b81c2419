#pragma once
// What a playlist file's entry becomes when a list is loaded: whether it opens, its title
// and its length, read the way the rows of the player show them.
//
// An address is opened through the network by the engine (it must answer to become a
// row). A local MPEG file whose headers give its length (MpegHeaderLength.h) is measured
// from them, an Ogg Vorbis file by one open for its comments and length (as the engine's
// decoder opens it); any other local song is opened by the engine's modules (the first that takes
// it wins, as for playing). Local songs are titled by their tags.
//
// Threading: any thread, several at once (the list loads read songs in parallel); an
// address blocks up to the engine's network deadline.

#include <optional>
#include <string>

#include "DisplayTitle.h"
#include "M3uLoader.h"

namespace tavora {

class StreamProbe;

std::optional<M3uEntryInfo> ReadListEntry(const StreamProbe& probe, const std::string& path,
                                          const TitleSettings& settings);

}  // namespace tavora
