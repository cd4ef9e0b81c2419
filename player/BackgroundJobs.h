#pragma once
// The job service: all the player's background work runs here, each job on a thread
// of its own, started for it and ending with it (registry restore, list loads, title
// passes, scans, address adds, archives, tag files). Jobs of one kind share one lock, held for the job's whole run, so that two
// runs of the same job never interleave; a job of another kind that does the same
// work as part of its own (an "Add" job that reads an M3U list) takes that kind's
// lock through KindLock() for that part.
//
// Life cycle: Start() runs a job; Cancel() raises the stop flag every job sees (jobs
// check it between rows and around blocking calls, and no job starts after it);
// Join() waits until the jobs have ended. StopAll() is Cancel() then Join(), the
// shutdown phase "stop and join jobs". Join() takes a `pump` that keeps the UI
// thread's queue moving, so a job that waits for the UI thread (a command sent with
// Send) is released rather than deadlocked.
//
// A job's result comes back typed: StartThen() runs the work on the job's thread and
// hands what it returns to a function on the UI thread.
//
//   jobs.StartThen("Add", receiver, [](const std::atomic<bool>&) { return AddRows(); },
//                  [](int first) { StartTitlePass(first); });
//
// Threading: Start, Cancel, Join and StopAll from the UI thread (Start also from a
// job); jobs run on their own threads and reach the UI only through the command sink
// or RunOnUiThread (StartThen does that for them).

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>

#include "UiThread.h"

#include "JobService.h"

namespace tavora {

class BackgroundJobs : public JobService {
public:
    using Job = JobService::Job;

    ~BackgroundJobs() override;

    // Runs `job` on a new thread, holding the lock named `kind` for its whole run (an
    // empty kind: no lock; the job takes the locks it needs itself). Nothing happens
    // once Cancel() has been called.
    void Start(const std::string& kind, Job job) override;
    // Runs `work(stop)` as Start() does, then `done` on the thread of `receiver` (the UI
    // thread) with what `work` returned (with nothing when it returns void); also after
    // a stop, so `done` checks whether the player is closing. Nothing runs once
    // `receiver` is gone.
    template <typename Work, typename Done>
    void StartThen(const std::string& kind, QObject* receiver, Work work, Done done) {
        Start(kind, [receiver, work = std::move(work), done = std::move(done)](const std::atomic<bool>& stop) mutable {
            if constexpr (std::is_void_v<decltype(work(stop))>) {
                work(stop);
                RunOnUiThread(receiver, std::move(done));
            } else {
                auto result = work(stop);
                RunOnUiThread(receiver, [done = std::move(done), result = std::move(result)]() mutable {
                    done(std::move(result));
                });
            }
        });
    }
    // The lock of `kind`, for a job that does that kind's work as part of its own.
    std::mutex& KindLock(const std::string& kind);
    // Raises the stop flag; returns at once. Jobs already started still run, seeing it.
    void Cancel();
    bool Cancelled() const override { return stop_; }
    // Waits for every job started so far; `pump` runs while waiting.
    void Join(const std::function<void()>& pump = {});
    void StopAll(const std::function<void()>& pump = {});
    // The same, waiting at most `limit` in all (a job stuck in a network call cannot be
    // interrupted). Returns how many jobs are still running; they are left running.
    size_t StopAllWithin(const std::function<void()>& pump, std::chrono::milliseconds limit);
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
