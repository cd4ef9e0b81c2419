#pragma once
// The association keys below HKEY_CLASSES_ROOT of the settings store: for each type
// asked for, the extension names the program identifier, which carries the
// description, the icon ("<program>,-<icon>"), the default verb "open" with its
// command line and, for songs, the verb "Enqueue". Existing keys are overwritten;
// nothing is ever deleted.

#include <string>

#include "FileTypes.h"

namespace tavora {

inline constexpr const char* kEnqueueMenuText = "타보라 플레이어 재생목록에 추가(&E)";

// The command of a verb: the program path in double quotes, a space, the switch and
// the file placeholder glued to it ("\"/usr/bin/tavoraplayer\" -s%1").
std::string VerbCommand(const std::string& programPath, const char* verbSwitch);

void WriteClassesKeys(const ConnectFlags& flags, const std::string& programPath);

}  // namespace tavora
