#pragma once
// The file filters of the player's open and save dialogs, written as the player has
// always written them ("description|patterns|...||"), and their form for Qt's dialogs.
//
// Pure functions; safe on any thread.

#include <QStringList>

#include <string_view>

namespace tavora {

// Songs, folders of songs and archives: the add-files and open dialogs.
inline constexpr std::string_view kSongFilter =
    "타보라 재생 파일|*.wav;*.mp3;*.mp2;*.mp1;*.ogg;*.asf;*.wma;*.cda;*.zip;*.rar;*.alz||";
// Saving and loading the playlist.
inline constexpr std::string_view kM3uFilter = "M3U 리스트(*.m3u)|*.m3u||";

// One Qt name filter per description/patterns pair: "description (p1 p2 ...)". A
// description that already ends in its patterns in parentheses is kept as written.
// Pairs without patterns are dropped; a description left without its pattern part
// is ignored.
QStringList QtNameFilters(std::string_view filter);

}  // namespace tavora
