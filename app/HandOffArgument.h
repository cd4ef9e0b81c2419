#pragma once
// A command line handed to the player: a switch glued to its operand ("-s/music/a.mp3").
// Only a switch at the very start counts; the whole rest of the text is the operand,
// spaces and quotes included.

#include <string>
#include <string_view>

namespace tavora {

enum class HandOffSwitch { None, Add, Start, List, Pls };

struct HandOffArgument {
    HandOffSwitch kind = HandOffSwitch::None;
    std::string operand;
};

// The switches are tested in the order "-add", "-s", "-list", "-pls".
HandOffArgument ParseHandOffArgument(std::string_view text);

// A "-pls" operand is kept to 259 characters (the size of a path buffer).
inline constexpr size_t kPlsPathLimit = 259;

// The command line handed over under `number` (a value of the OutFile key), whole:
// unlike a saved setting it has no length limit. "ERROR" when there is none.
std::string ReadHandOffArgument(int number);

}  // namespace tavora
