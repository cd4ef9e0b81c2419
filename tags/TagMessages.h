#pragma once
// Where the tag readers send the messages that tell the user a file could not be read
// ("OGG File open failed", the WMA "Open" failure ...), and their other failures.
//
// Every failure is logged in the category "tavora.tags" with the file's path, so that
// a row without a tag title can be explained (QT_LOGGING_RULES="tavora.tags=false"
// silences it; by default it goes to the standard error stream).
//
// The readers run on worker threads, so they never show a window themselves: a sink may
// be installed that receives the user messages (the player's message boxes,
// TagMessageBoxes.h, or a test's collector).
//
// Threading: SetTagMessageSink may be called from any thread; the sink is called on the
// reader's thread and must be thread-safe.

#include <functional>
#include <string>

namespace tavora {

// The message and the path of the file it is about.
using TagMessageSink = std::function<void(const std::string& message, const std::string& path)>;

// Replaces the sink; an empty function leaves the log alone.
void SetTagMessageSink(TagMessageSink sink);

// A message meant for the user about the file at `path`: logged and given to the sink.
void ReportTagMessage(const std::string& message, const std::string& path);

// A failure the user is not shown (a reader that gave up, a file that is no regular
// file): logged only.
void LogTagFailure(const std::string& what, const std::string& path);

}  // namespace tavora
