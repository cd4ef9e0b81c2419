#pragma once
// The one shutdown of the player (ShutdownPhase.h): features add what they free under
// its phase, and may ask whether it has begun. An automation client may hold the
// player open: a close asked for meanwhile waits until the last client lets go; End()
// ends the player whoever holds it (a signal, the session's end).
//
// Threading: UI thread.

#include <functional>

#include "ShutdownPhase.h"

namespace tavora {

class ShutdownRegistrar {
public:
    virtual ~ShutdownRegistrar() = default;
    virtual void AddShutdownStep(ShutdownPhase phase, std::function<void()> step) = 0;
    // The shutdown has begun: no command runs any more.
    virtual bool ShuttingDown() const = 0;
    virtual void SetHeldOpen(bool held) = 0;
    virtual void End() = 0;
};

}  // namespace tavora
