#include "BackgroundJobs.h"

#include <chrono>

namespace tavora {

BackgroundJobs::~BackgroundJobs() { StopAll(); }

void BackgroundJobs::Reap() {
    for (auto it = running_.begin(); it != running_.end();) {
        if (it->done) {
            it->thread.join();
            it = running_.erase(it);
        } else {
            ++it;
        }
    }
}

std::mutex& BackgroundJobs::KindLock(const std::string& kind) {
    std::lock_guard<std::mutex> guard(mutex_);
    return kindLocks_[kind];  // std::map never moves its elements
}

void BackgroundJobs::Start(const std::string& kind, Job job) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (stop_) return;
    Reap();
    std::mutex* kindLock = kind.empty() ? nullptr : &kindLocks_[kind];
    Running& slot = running_.emplace_back();
    slot.thread = std::thread([this, kindLock, &slot, job = std::move(job)] {
        {
            std::unique_lock<std::mutex> one;
            if (kindLock) one = std::unique_lock<std::mutex>(*kindLock);
            // A job queued before the stop still runs, with the stop flag raised: skipping it
            // would lose its work (a restore not yet begun would leave an empty list to save).
            job(stop_);
        }
        slot.done = true;
    });
}

void BackgroundJobs::Cancel() { stop_ = true; }

void BackgroundJobs::Join(const std::function<void()>& pump) {
    // Jobs may start jobs (a scan starts its title pass): join until none is left.
    for (;;) {
        std::list<Running> jobs;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            jobs.swap(running_);
        }
        if (jobs.empty()) return;
        for (Running& r : jobs) {
            while (pump && !r.done) {
                pump();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            if (r.thread.joinable()) r.thread.join();
        }
    }
}

void BackgroundJobs::StopAll(const std::function<void()>& pump) {
    Cancel();
    Join(pump);
}

size_t BackgroundJobs::StopAllWithin(const std::function<void()>& pump, std::chrono::milliseconds limit) {
    Cancel();
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // Jobs may start jobs before they see the flag: join until none is left or the
    // time is up.
    for (;;) {
        std::list<Running> jobs;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            jobs.swap(running_);
        }
        if (jobs.empty()) return 0;
        size_t left = 0;
        for (auto it = jobs.begin(); it != jobs.end();) {
            while (!it->done && std::chrono::steady_clock::now() < deadline) {
                if (pump) pump();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            if (it->done) {
                it->thread.join();
                it = jobs.erase(it);
            } else {
                ++left;
                ++it;
            }
        }
        if (left > 0) {
            // Still running: kept, so that StopAll (the destructor) waits for them.
            std::lock_guard<std::mutex> guard(mutex_);
            running_.splice(running_.end(), jobs);
            return left;
        }
    }
}

void BackgroundJobs::WaitIdle() {
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            Reap();
            if (running_.empty()) return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace tavora
