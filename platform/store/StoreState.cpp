#include "StoreState.h"

#include <errno.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>

#include "RegistryStore.h"

namespace tavora::store {
namespace {

std::mutex globalMutex;
bool repairCorrupt = true;
std::string startupNotice;

// "registry.db.corrupt-20261208-013012", with "-2", "-3" ... when that name is taken.
std::string AsideName(const std::string& path) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path + ".corrupt-" + stamp;
    std::string name = base;
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(name, ec) && n < 1000; ++n) name = base + "-" + std::to_string(n);
    return name;
}

}  // namespace

void SetRepairCorruptStore(bool repair) {
    std::lock_guard lock(globalMutex);
    repairCorrupt = repair;
}

std::string StoreStartupNotice() {
    std::lock_guard lock(globalMutex);
    return startupNotice;
}

namespace detail {

bool RepairingCorruptStores() {
    std::lock_guard lock(globalMutex);
    return repairCorrupt;
}

void SetStartupNotice(const std::string& movedTo) {
    std::lock_guard lock(globalMutex);
    startupNotice = "설정 파일이 손상되어 새로 만들었습니다.\n손상된 파일: " + movedTo;
}

std::string ProgramPrefix() { return std::string(program_invocation_short_name) + ": "; }

StoreState& StateFor(const std::string& path) {
    static std::map<std::string, std::unique_ptr<StoreState>> states;
    std::lock_guard lock(globalMutex);
    auto& slot = states[path];
    if (!slot) slot = std::make_unique<StoreState>(path);
    return *slot;
}

bool StoreState::NeedsCheck() {
    std::lock_guard lock(mutex_);
    return !checked_;
}

void StoreState::CheckDone() {
    std::lock_guard lock(mutex_);
    checked_ = true;
}

void StoreState::MarkCorrupt(const std::string& detail) {
    std::lock_guard lock(mutex_);
    if (corrupt_) return;
    corrupt_ = true;
    corruptDetail_ = detail;
    ++generation_;  // every connection to the damaged file is closed at its next use
}

bool StoreState::corrupt() {
    std::lock_guard lock(mutex_);
    return corrupt_;
}

std::string StoreState::corruptDetail() {
    std::lock_guard lock(mutex_);
    return corruptDetail_;
}

uint64_t StoreState::generation() {
    std::lock_guard lock(mutex_);
    return generation_;
}

void StoreState::ConnectionOpened() {
    std::lock_guard lock(mutex_);
    ++openConnections_;
}

void StoreState::ConnectionClosed() {
    std::lock_guard lock(mutex_);
    --openConnections_;
}

bool StoreState::ReplaceCorrupt(int ownOpen) {
    const bool repair = RepairingCorruptStores();
    std::lock_guard lock(mutex_);
    if (!corrupt_) return true;
    // A connection still open would go on using the old file under its new name, and
    // closing it would delete the fresh store's -wal and -shm by name.
    if (!repair || openConnections_ > ownOpen) return false;
    const std::string aside = AsideName(path_);
    if (std::rename(path_.c_str(), aside.c_str()) != 0 && errno != ENOENT) {
        if (!warned_[static_cast<int>(Warning::Unavailable)]) {
            warned_[static_cast<int>(Warning::Unavailable)] = true;
            std::fprintf(stderr, "%sthe settings store %s is damaged (%s) and could not be moved aside: %s; "
                                 "settings keep their defaults.\n",
                         ProgramPrefix().c_str(), path_.c_str(), corruptDetail_.c_str(), std::strerror(errno));
        }
        return false;
    }
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        std::rename((path_ + suffix).c_str(), (aside + suffix).c_str());
    std::fprintf(stderr, "%sthe settings store %s was damaged (%s); it was moved to %s and a new one was made.\n",
                 ProgramPrefix().c_str(), path_.c_str(), corruptDetail_.c_str(), aside.c_str());
    SetStartupNotice(aside);
    corrupt_ = false;
    checked_ = true;  // the fresh file needs no check
    ++generation_;
    return true;
}

bool StoreState::MayWait(Clock::time_point waitingSince) {
    std::lock_guard lock(mutex_);
    const auto now = Clock::now();
    return now >= noWaitUntil_ && now - waitingSince < kBusyLimit;
}

void StoreState::NoteLockTimeout() {
    std::lock_guard lock(mutex_);
    const auto now = Clock::now();
    // Only an access that waited the full time opens a new window.
    if (now < noWaitUntil_) return;
    noWaitUntil_ = now + kNoWaitWindow;
    if (!warned_[static_cast<int>(Warning::Locked)]) {
        warned_[static_cast<int>(Warning::Locked)] = true;
        std::fprintf(stderr, "%sthe settings store %s is locked by another program; "
                             "settings that cannot be read keep their defaults, changes may be lost.\n",
                     ProgramPrefix().c_str(), path_.c_str());
    }
}

void StoreState::NoteOpenFailure() {
    std::lock_guard lock(mutex_);
    reopenAt_ = Clock::now() + kReopenDelay;
}

bool StoreState::MayOpen() {
    std::lock_guard lock(mutex_);
    return Clock::now() >= reopenAt_;
}

void StoreState::WarnOnce(Warning kind, const std::string& text) {
    std::lock_guard lock(mutex_);
    bool& warned = warned_[static_cast<int>(kind)];
    if (warned) return;
    warned = true;
    std::fprintf(stderr, "%s%s\n", ProgramPrefix().c_str(), text.c_str());
}

void StoreState::NoteWriteSucceeded() {
    std::lock_guard lock(mutex_);
    warned_[static_cast<int>(Warning::WriteFailed)] = false;
}

}  // namespace detail
}  // namespace tavora::store
