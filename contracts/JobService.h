#pragma once
// The background work of the player: every job runs on a worker thread of its own;
// jobs of one kind never interleave. Jobs see a stop flag (raised when the player
// shuts down, after which no job starts) and check it between steps. Workers never
// touch a window: they reach the UI thread through the command sink or RunOnUiThread.
//
// Threading: Start from the UI thread or from a job.

#include <atomic>
#include <functional>
#include <string>

namespace tavora {

class JobService {
public:
    using Job = std::function<void(const std::atomic<bool>& stop)>;

    virtual ~JobService() = default;
    // Runs `job` on a worker, holding the lock named `kind` for its whole run. Nothing
    // happens once the jobs were cancelled (the player is closing).
    virtual void Start(const std::string& kind, Job job) = 0;
    virtual bool Cancelled() const = 0;
};

}  // namespace tavora
