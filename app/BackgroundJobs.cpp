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

void BackgroundJobs::Start(const std::string& kind, Job job) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (stop_) return;
    Reap();
    std::mutex& kindLock = kindLocks_[kind];
    Running& slot = running_.emplace_back();
    slot.thread = std::thread([this, &kindLock, &slot, job = std::move(job)] {
        {
            std::lock_guard<std::mutex> one(kindLock);
            if (!stop_) job(stop_);
        }
        slot.done = true;
    });
}

void BackgroundJobs::StopAll(const std::function<void()>& pump) {
    std::list<Running> jobs;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stop_ = true;
        jobs.swap(running_);
    }
    for (Running& r : jobs) {
        while (pump && !r.done) {
            pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (r.thread.joinable()) r.thread.join();
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
