#include "PendingOpens.h"

#include <mutex>
#include <set>

namespace tavora::audio {
namespace {

struct Registry {
    std::mutex mutex;
    std::set<PendingOpen*> opens;
};

Registry& Opens() {
    static Registry* registry = new Registry;  // never destroyed: worker threads may outlive static destruction
    return *registry;
}

}  // namespace

PendingOpen::PendingOpen(std::function<void()> cancel) : cancel_(std::move(cancel)) {
    std::lock_guard lock(Opens().mutex);
    Opens().opens.insert(this);
}

PendingOpen::~PendingOpen() {
    std::lock_guard lock(Opens().mutex);
    Opens().opens.erase(this);
}

int CancelPendingOpens() {
    std::lock_guard lock(Opens().mutex);
    for (PendingOpen* open : Opens().opens) open->cancel_();
    return static_cast<int>(Opens().opens.size());
}

}  // namespace tavora::audio
