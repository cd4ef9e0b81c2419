#pragma once
// The player's start and its shutdown as sequences of named steps: features register
// what they do at a step of the start (StartupSteps) or under a phase of the shutdown
// (ShutdownRegistrar's steps); the core runs them in order. Steps of one name run in
// the order they were registered; a shutdown phase runs once.
//
// Threading: UI thread.

#include <array>
#include <functional>
#include <vector>

#include "ShutdownPhase.h"
#include "StartupSteps.h"

namespace tavora {

class StartupSequence : public StartupSteps {
public:
    void AddStartupStep(StartupStep step, std::function<void()> run) override;
    void Run(StartupStep step);

private:
    std::array<std::vector<std::function<void()>>, kStartupStepCount> steps_;
};

class ShutdownSequence {
public:
    void Add(ShutdownPhase phase, std::function<void()> step);
    // Runs the phase's steps and forgets them.
    void Run(ShutdownPhase phase);

private:
    std::array<std::vector<std::function<void()>>, kShutdownPhaseCount> steps_;
};

}  // namespace tavora
