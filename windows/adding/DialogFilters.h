#pragma once
// The file filters of the player's open and save dialogs, written as the player has
// always written them ("description|patterns|...||"), and their form for Qt's dialogs.
//
// Pure functions; safe on any thread.

#include <QStringList>

#include <string>
#include <string_view>

#include "MediaTypes.h"

namespace tavora {

// Songs, folders of songs and archives: the add-files and open dialogs (the media
// table's add-dialog use, in table order).
inline const std::string kSongFilter = "타보라 재생 파일|" + media::DialogPatterns(media::Use::AddDialog) + "||";
// Saving and loading the playlist (the media table's list-dialog use).
inline const std::string kM3uFilter = "M3U 리스트(" + media::DialogPatterns(media::Use::ListDialog) + ")|" +
                                      media::DialogPatterns(media::Use::ListDialog) + "||";

// One Qt name filter per description/patterns pair: "description (p1 p2 ...)". A
// description that already ends in its patterns in parentheses is kept as written.
// Pairs without patterns are dropped; a description left without its pattern part
// is ignored.
QStringList QtNameFilters(std::string_view filter);

}  // namespace tavora
