#pragma once
// The associations as the Linux desktop knows them, written below the user's XDG
// folders. A desktop entry has one command, so each command gets its own entry, as
// each program identifier has its own verbs in the store: "tavoraplayer.desktop" opens
// songs ("-s", with the "Enqueue" action "-add") and is the one shown in menus;
// "tavoraplayer-m3u.desktop" ("-list") and "tavoraplayer-pls.desktop" ("-pls") open
// playlists and stay out of menus. Besides: the type icons in the hicolor theme under
// the player's own names, a MIME package that gives those types the icons (and
// declares the types the desktop does not know), and the entries in mimeapps.list as the default applications of
// the types asked for that have none yet, and as an added association of those whose
// default the user gave to another program (MimeAppsList.h).
//
// As with the store's keys, nothing is ever taken away: a type registered once stays
// in the desktop entry and in mimeapps.list when it is no longer asked for.

#include <string>
#include <vector>

#include "FileTypes.h"

namespace tavora {

inline constexpr const char* kDesktopId = "tavoraplayer.desktop";
inline constexpr const char* kProgramIconName = "tavoraplayer";

struct DesktopFolders {
    std::string dataHome;    // $XDG_DATA_HOME, else ~/.local/share
    std::string configHome;  // $XDG_CONFIG_HOME, else ~/.config
};
// The user's folders from the environment; empty members when neither the variable
// nor $HOME is set (then nothing is written there).
DesktopFolders UserDesktopFolders();

// The entry that opens files of the type ("tavoraplayer.desktop" for songs).
std::string DesktopIdOf(const FileTypeInfo& type);
// The song entry's text for the program at `programPath` with these MIME types.
std::string DesktopEntryText(const std::string& programPath, const std::vector<std::string>& mimeTypes);
// The entry's text of a playlist type.
std::string ListEntryText(const std::string& programPath, const FileTypeInfo& type);
// The MIME types a desktop entry text lists ("MimeType=").
std::vector<std::string> DesktopEntryMimeTypes(const std::string& entryText);
// An Exec argument for a path: quoted, with the characters the desktop entry format
// reserves escaped. Empty when the path cannot be written there (control characters).
std::string QuotedExecArgument(const std::string& path);

// Writes everything described above. Failures are skipped quietly, one file at a time.
void ApplyDesktopAssociations(const ConnectFlags& flags, const std::string& programPath,
                              const DesktopFolders& folders);

// The tools that rebuild the desktop's caches after a change, for those installed:
// each entry is a program with its arguments.
std::vector<std::vector<std::string>> DatabaseRefreshCommands(const DesktopFolders& folders);

enum class RefreshWait { No, Yes };
// Runs DatabaseRefreshCommands: detached (the player does not wait for them), or to
// their end (tests).
void RefreshDesktopDatabases(const DesktopFolders& folders, RefreshWait wait = RefreshWait::No);

}  // namespace tavora
