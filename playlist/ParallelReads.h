#pragma once
// Reading many songs with a few threads while the caller takes the results in order.
//
//   ParallelReads<Info> reads(paths, read, workers, &stop);
//   for (size_t i = 0; i < paths.size(); ++i)
//       if (const std::optional<Info>* info = reads.Wait(i)) ...   // nullptr: not read (stop)
//
// Items are handed out in index order, so the first rows of a list are read first and
// the caller rarely waits. `read` is called on the worker threads, at most `workers`
// at once, never twice for one item; it must be safe to call from several threads. An
// item whose `read` throws counts as read with no result.
// Once `stop` is raised no further item is started; items not started then report
// nullptr. The destructor joins the workers (after the items in progress), so a load
// never leaves a thread behind.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tavora {

template <typename Info>
class ParallelReads {
public:
    using ReadFn = std::function<std::optional<Info>(const std::string& path)>;

    ParallelReads(std::vector<std::string> paths, ReadFn read, int workers, const std::atomic<bool>* stop)
        : paths_(std::move(paths)), read_(std::move(read)), stop_(stop), slots_(paths_.size()) {
        const size_t count = std::min<size_t>(static_cast<size_t>(std::max(workers, 1)), paths_.size());
        threads_.reserve(count);
        for (size_t i = 0; i < count; ++i) threads_.emplace_back([this] { Work(); });
    }

    ~ParallelReads() {
        abandon_ = true;
        for (std::thread& t : threads_) t.join();
    }

    ParallelReads(const ParallelReads&) = delete;
    ParallelReads& operator=(const ParallelReads&) = delete;

    // Blocks until item `i` has been read or passed over; nullptr when it was not read.
    const std::optional<Info>* Wait(size_t i) {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return slots_[i].state != State::Pending; });
        return slots_[i].state == State::Read ? &slots_[i].info : nullptr;
    }

    // True when item `i` is already settled (Wait would not block).
    bool Ready(size_t i) {
        std::lock_guard lock(mutex_);
        return slots_[i].state != State::Pending;
    }

private:
    enum class State { Pending, Read, Skipped };
    struct Slot {
        State state = State::Pending;
        std::optional<Info> info;
    };

    bool Stopping() const { return abandon_ || (stop_ && stop_->load()); }

    void Work() {
        for (;;) {
            const size_t i = next_.fetch_add(1);
            if (i >= paths_.size()) return;
            std::optional<Info> info;
            const bool skip = Stopping();
            try {
                if (!skip) info = read_(paths_[i]);
            } catch (...) {
                // A song whose reading gave up (a library threw, memory ran out) counts
                // as unreadable; it must not take the whole load down.
                info.reset();
            }
            {
                std::lock_guard lock(mutex_);
                slots_[i].state = skip ? State::Skipped : State::Read;
                slots_[i].info = std::move(info);
            }
            done_.notify_all();
        }
    }

    const std::vector<std::string> paths_;
    const ReadFn read_;
    const std::atomic<bool>* stop_;
    std::atomic<bool> abandon_{false};
    std::atomic<size_t> next_{0};
    std::mutex mutex_;
    std::condition_variable done_;
    std::vector<Slot> slots_;
    std::vector<std::thread> threads_;
};

}  // namespace tavora
