#pragma once
// The 20 x 20 pictures of the options' page list, drawn by the player itself.

#include <QIcon>

namespace tavora {

// Page 0 general, 1 playlist, 2 sound effects, 3 skin, 4 file types.
QIcon OptionsPageIcon(int page);

}  // namespace tavora
