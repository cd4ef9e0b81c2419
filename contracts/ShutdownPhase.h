#pragma once
// The order in which the player shuts down. Each subsystem registers what it frees
// under the phase it belongs to; phases run in this order, steps of one phase in the
// order they were registered.

namespace tavora {

enum class ShutdownPhase : int {
    StopWork = 0,     // take no new work; cancel and join the worker jobs (bounded)
    StopPlayback,     // timers off, the stream silent
    Save,             // playlist, window rectangles, settings
    FreeEngine,       // sound output and the engine modules
    CloseWindows,     // windows let go of the model and close
};
inline constexpr int kShutdownPhaseCount = 5;

}  // namespace tavora
