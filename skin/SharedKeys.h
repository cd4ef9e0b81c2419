#pragma once
// The keys every skinned window of the player answers the same way, after its own
// accelerators: Space plays, pauses or resumes, once per press (a held Space would
// pause and resume over and over).
//
// UI thread only.

class QKeyEvent;

namespace tavora {

class CommandSink;

// Sends the key's command (when `sink` is set); returns whether the key is a shared
// one, taken whether or not it sent anything.
bool RunSharedKey(const QKeyEvent& event, CommandSink* sink);

}  // namespace tavora
