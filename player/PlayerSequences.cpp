#include "PlayerSequences.h"

namespace tavora {

void StartupSequence::AddStartupStep(StartupStep step, std::function<void()> run) {
    steps_[static_cast<size_t>(step)].push_back(std::move(run));
}

void StartupSequence::Run(StartupStep step) {
    for (const auto& run : steps_[static_cast<size_t>(step)])
        if (run) run();
}

void ShutdownSequence::Add(ShutdownPhase phase, std::function<void()> step) {
    steps_[static_cast<size_t>(phase)].push_back(std::move(step));
}

void ShutdownSequence::Run(ShutdownPhase phase) {
    auto& steps = steps_[static_cast<size_t>(phase)];
    for (auto& step : steps)
        if (step) step();
    steps.clear();
}

}  // namespace tavora
