#include "PendingOpens.h"

#include <mutex>
#include <new>
#include <set>

namespace tavora::audio {
namespace {

struct Registry {
    std::mutex mutex;
    std::set<PendingOpen*> opens;
};

Registry& Opens() {
    // Never destroyed: worker threads may outlive static destruction. Nor taken from
    // the heap: the module is unloaded with the engine, and a registry allocated there
    // would be lost with it (an empty one owns no memory besides itself).
    alignas(Registry) static unsigned char storage[sizeof(Registry)];
    static Registry* registry = new (storage) Registry;
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
