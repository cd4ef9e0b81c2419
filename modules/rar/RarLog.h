#pragma once
// The RAR decoder's debug log, $XDG_CACHE_HOME/TavoraPlayer/debug_unrar.txt (or
// ~/.cache/...): created afresh with a banner by the first message of a run, then one
// entry per message:
//    " %8u ms (line %u in %s):\n              - %s\n"
// (milliseconds since the log was created, source line and file, message).
// Writes are serialised; a log that cannot be written is silently skipped.

#include <string>

namespace tavora::unrar {

void LogMessage(unsigned line, const char* file, const std::string& message);
const std::string& LogPath();

}  // namespace tavora::unrar

#define TAVORA_RAR_LOG(message) ::tavora::unrar::LogMessage(__LINE__, __FILE__, (message))
