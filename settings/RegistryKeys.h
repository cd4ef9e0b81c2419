#pragma once
// Key paths and value names of the player's settings, below HKEY_LOCAL_MACHINE.

namespace tavora::keys {

inline constexpr const char* kSoftware = "SOFTWARE";
inline constexpr const char* kRoot = "SOFTWARE\\TavoraPlayer";
inline constexpr const char* kOutFile = "SOFTWARE\\TavoraPlayer\\OutFile";
inline constexpr const char* kView = "SOFTWARE\\TavoraPlayer\\Setting\\View";
inline constexpr const char* kControl = "SOFTWARE\\TavoraPlayer\\Setting\\Control";
inline constexpr const char* kEqualizerPreset = "SOFTWARE\\TavoraPlayer\\Setting\\Control\\EqulizerPreset";
inline constexpr const char* kSize = "SOFTWARE\\TavoraPlayer\\Setting\\Size";
inline constexpr const char* kSkin = "SOFTWARE\\TavoraPlayer\\Setting\\Skin";
inline constexpr const char* kTagSortMp3 = "SOFTWARE\\TavoraPlayer\\Setting\\TagSortMp3";
inline constexpr const char* kConnectExt = "SOFTWARE\\TavoraPlayer\\Setting\\ConnectExt";
inline constexpr const char* kPlayListCount = "SOFTWARE\\TavoraPlayer\\PlayList\\Count";
inline constexpr const char* kPlayListName = "SOFTWARE\\TavoraPlayer\\PlayList\\Name";
inline constexpr const char* kPlayListTime = "SOFTWARE\\TavoraPlayer\\PlayList\\Time";
inline constexpr const char* kPlayListPath = "SOFTWARE\\TavoraPlayer\\PlayList\\Path";

inline constexpr const char* kInstallDir = "Install_Dir";
inline constexpr const char* kUpdateCheck = "UpdateCheck";
inline constexpr const char* kHandle = "handle";
inline constexpr const char* kCount = "count";
inline constexpr const char* kUpdateServer = "UpdateServer";

}  // namespace tavora::keys
