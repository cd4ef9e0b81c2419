#pragma once
// The controller's worker threads: each job runs on a thread of its own, started for
// it and ending with it (registry restore, list loads, title passes, scans). Jobs of
// one kind share a lock so that two runs of the same job never interleave.
//
// At shutdown StopAll() raises every job's stop flag and waits for them, so no worker
// outlives the objects it uses. Jobs must check the flag between steps.
//
// Threading: Start and StopAll from the UI thread; jobs run on their own threads and
// talk to the UI only through the controller's SendMessage/PostMessage.

#include <atomic>
#include <functional>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace tavora {

class BackgroundJobs {
public:
    using Job = std::function<void(const std::atomic<bool>& stop)>;

    ~BackgroundJobs();

    // Runs `job` on a new thread, holding the lock named `kind` for its whole run.
    void Start(const std::string& kind, Job job);
    // `pump` runs while waiting, so a job blocked on a message to the UI thread can end.
    void StopAll(const std::function<void()>& pump = {});
    // Waits until every job started so far has ended (tests).
    void WaitIdle();

private:
    struct Running {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void Reap();

    std::mutex mutex_;
    std::map<std::string, std::mutex> kindLocks_;
    std::list<Running> running_;
    std::atomic<bool> stop_{false};
};

}  // namespace tavora
