// The single-instance lock: "another player holds it" and "it could not be made" are
// different answers, and a folder that cannot hold the lock gives way to the next one.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "instance/SingleInstanceLock.h"

using tavora::platform::SingleInstanceLock;
namespace fs = std::filesystem;

namespace {

constexpr const char* kName = "TavoraPlayer List";

// A private folder and the variables that decide where the lock goes, put back after.
class LockPlaces {
public:
    LockPlaces() {
        dir_ = fs::temp_directory_path() / ("tavora-lock-" + std::to_string(getpid()) + "-" + std::to_string(++count_));
        fs::create_directories(dir_);
        for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR", "TAVORA_REGISTRY"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        Set("XDG_RUNTIME_DIR", dir_ / "runtime");
        Set("TMPDIR", dir_ / "tmp");
        Set("TAVORA_REGISTRY", dir_ / "config" / "registry.db");
        fs::create_directories(dir_ / "runtime");
        fs::create_directories(dir_ / "tmp");
    }
    ~LockPlaces() {
        for (auto& [name, value] : saved_) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    static void Set(const char* name, const fs::path& value) { setenv(name, value.c_str(), 1); }
    const fs::path& dir() const { return dir_; }
    fs::path privateTemp() const { return dir_ / "tmp" / ("TavoraPlayer-" + std::to_string(getuid())); }

private:
    static inline int count_ = 0;
    fs::path dir_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace

TEST(SingleInstanceLockTest, ALockHeldByAnotherPlayerIsToldApartFromAFailure) {
    LockPlaces places;
    testing::internal::CaptureStderr();
    SingleInstanceLock first(kName);
    SingleInstanceLock second(kName);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(first.state(), SingleInstanceLock::State::Acquired);
    EXPECT_EQ(first.path(), (places.dir() / "runtime" / "TavoraPlayer_List.lock").string());
    EXPECT_EQ(second.state(), SingleInstanceLock::State::HeldByOther);
    EXPECT_EQ(second.folder(), first.folder());
    EXPECT_EQ(err, "");
}

TEST(SingleInstanceLockTest, ARuntimeFolderThatCannotHoldTheLockIsNamedAndTheNextOneServes) {
    LockPlaces places;
    const fs::path gone = places.dir() / "no-such-runtime";
    LockPlaces::Set("XDG_RUNTIME_DIR", gone);
    testing::internal::CaptureStderr();
    SingleInstanceLock first(kName);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(first.state(), SingleInstanceLock::State::Acquired);
    EXPECT_EQ(first.folder(), places.privateTemp().string());
    EXPECT_NE(err.find((gone / "TavoraPlayer_List.lock").string()), std::string::npos) << err;
    EXPECT_NE(err.find("No such file or directory"), std::string::npos) << err;
    EXPECT_EQ((fs::status(places.privateTemp()).permissions() & fs::perms::all), fs::perms::owner_all);

    // A later launch in the same session finds the first one there, even once the
    // runtime folder exists (made by someone else meanwhile).
    testing::internal::CaptureStderr();
    SingleInstanceLock second(kName);
    fs::create_directories(gone);
    SingleInstanceLock third(kName);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(second.state(), SingleInstanceLock::State::HeldByOther);
    EXPECT_EQ(second.folder(), first.folder());
    EXPECT_EQ(third.state(), SingleInstanceLock::State::HeldByOther);
    EXPECT_EQ(third.folder(), first.folder());
}

TEST(SingleInstanceLockTest, ATemporaryFolderOpenToOthersIsPassedOverForTheStoreFolder) {
    LockPlaces places;
    LockPlaces::Set("XDG_RUNTIME_DIR", places.dir() / "no-such-runtime");
    fs::create_directories(places.privateTemp());
    chmod(places.privateTemp().c_str(), 0777);
    testing::internal::CaptureStderr();
    SingleInstanceLock lock(kName);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(lock.state(), SingleInstanceLock::State::Acquired);
    EXPECT_EQ(lock.folder(), (places.dir() / "config").string());
    EXPECT_NE(err.find("not a private folder"), std::string::npos) << err;
}

TEST(SingleInstanceLockTest, WithNoUsableFolderThePlayerRunsAloneAndSaysSo) {
    LockPlaces places;
    std::ofstream(places.dir() / "file") << "x";
    LockPlaces::Set("XDG_RUNTIME_DIR", places.dir() / "no-such-runtime");
    LockPlaces::Set("TMPDIR", places.dir() / "file");
    LockPlaces::Set("TAVORA_REGISTRY", places.dir() / "file" / "config" / "registry.db");
    testing::internal::CaptureStderr();
    SingleInstanceLock lock(kName);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(lock.state(), SingleInstanceLock::State::Unavailable);
    EXPECT_FALSE(lock.acquired());
    EXPECT_NE(err.find("Not a directory"), std::string::npos) << err;
    EXPECT_NE(err.find("running as the only player"), std::string::npos) << err;
}
