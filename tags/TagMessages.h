#pragma once
// Where the tag readers send the messages that tell the user a file could not be read
// ("OGG File open failed", the WMA "Open" failure ...). The readers run on worker threads,
// so they never show a window themselves: the controller installs a sink at start-up that
// shows a message box on the user-interface thread. Without a sink the messages go to the
// standard error stream.
//
// Threading: SetTagMessageSink may be called from any thread; the sink is called on the
// reader's thread and must be thread-safe.

#include <functional>
#include <string>

namespace tavora {

using TagMessageSink = std::function<void(const std::string& message)>;

// Replaces the sink; an empty function restores the standard error stream.
void SetTagMessageSink(TagMessageSink sink);

void ReportTagMessage(const std::string& message);

}  // namespace tavora
