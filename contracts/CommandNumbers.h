#pragma once
// The command numbers as they arrive from outside the player's own code: other
// programs (the hand-off socket), the tray menu, the menu and key tables.
// Most numbers are the command of the same number. A few name commands the player no
// longer has as such; they keep doing what they did:
//
//   number             what it does now
//   ReadMainRect       nothing (the main window's rectangle is followed as it moves)
//   ToggleAlwaysTop    SetAlwaysTop with the other value than now
//   ToggleShuffle      SetShuffle with the other value than now
//   RepeatNone/One/All SetRepeatMode 0/1/2
//   ReadEqualizerRect  nothing (it took a rectangle nobody read)
//
//   if (auto c = cmd::FromNumber(number, view.State())) sink.Send(c->command, c->data);
//
// Threading: any thread (a pure function).

#include <optional>

#include "CommandSink.h"
#include "PlaybackState.h"

namespace tavora::cmd {

namespace number {
constexpr int ReadMainRect = 32785;
constexpr int ToggleAlwaysTop = 32849;
constexpr int ToggleShuffle = 32851;
constexpr int RepeatNone = 32852;
constexpr int RepeatOneMode = 32853;
constexpr int RepeatAllMode = 32854;
constexpr int ReadEqualizerRect = 32855;
}  // namespace number

struct NumberedCommand {
    Command command;
    CommandData data;
};

// The typed command an outside number stands for; `now` is the state a toggling number
// flips. nullopt: the number asks for nothing.
std::optional<NumberedCommand> FromNumber(int number, const PlaybackState& now);

}  // namespace tavora::cmd
