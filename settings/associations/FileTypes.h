#pragma once
// The seven file types the player registers itself for, in registration order, with
// everything the store and the desktop need to know of each: the media table's
// association use and column (contracts/MediaTypes.h).

#include <array>
#include <cstddef>
#include <span>

namespace tavora {

struct PlayerSettings;

enum class FileType : int { Mp3, Ogg, Wma, Wav, Cda, M3u, Pls };
inline constexpr size_t kFileTypeCount = 7;

// Which types to register, indexed by FileType.
using ConnectFlags = std::array<bool, kFileTypeCount>;

struct FileTypeInfo {
    FileType type;
    const char* setting;      // value name under \Setting\ConnectExt
    const char* extension;    // the extension with its dot
    const char* progId;       // the class name
    const char* description;  // the class's description
    int icon;                 // the type's icon number (its picture is "type<icon>.png")
    const char* openSwitch;   // switch of the "open" verb: "-s", "-list", "-pls"
    bool enqueue;             // songs also get the "Enqueue" verb ("-add")
    const char* iconName;     // the icon's name in the desktop's icon theme
    // The desktop's MIME types for the extension (unused entries are null); the first
    // one is the type's main name.
    std::array<const char*, 3> mimeTypes;
    // The comment of a MIME type the player's MIME package declares; null when the
    // desktop knows the type.
    const char* declaredComment;
};

std::span<const FileTypeInfo> FileTypes();
const FileTypeInfo& InfoOf(FileType type);

// The flags of a settings record (its "\Setting\ConnectExt" values).
ConnectFlags ConnectFlagsOf(const PlayerSettings& settings);
// The flags of stored values: 0 is off, anything else (the missing-value mark too) on.
ConnectFlags ConnectFlagsOf(int mp3, int ogg, int wma, int wav, int cda, int m3u, int pls);
// Reads "\Setting\ConnectExt"; a missing value counts as on.
ConnectFlags ReadConnectFlags();

}  // namespace tavora
