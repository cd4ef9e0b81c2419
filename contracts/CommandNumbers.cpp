#include "CommandNumbers.h"

namespace tavora::cmd {

std::optional<NumberedCommand> FromNumber(int number, const PlaybackState& now) {
    switch (number) {
    case number::ReadMainRect:
    case number::ReadEqualizerRect: return std::nullopt;
    case number::ToggleAlwaysTop: return NumberedCommand{SetAlwaysTop, CommandData::Value(now.alwaysTop ? 0 : 1)};
    case number::ToggleShuffle: return NumberedCommand{SetShuffle, CommandData::Value(now.shuffle ? 0 : 1)};
    case number::RepeatNone: return NumberedCommand{SetRepeatMode, CommandData::Value(0)};
    case number::RepeatOneMode: return NumberedCommand{SetRepeatMode, CommandData::Value(1)};
    case number::RepeatAllMode: return NumberedCommand{SetRepeatMode, CommandData::Value(2)};
    default: break;
    }
    if (number <= 0) return std::nullopt;
    // Every other number is the command of that number (one without a handler does
    // nothing, as before).
    return NumberedCommand{static_cast<Command>(number), {}};
}

}  // namespace tavora::cmd
