// The store when its file is in trouble: locked by another program, damaged, or not
// writable. It must never write half a batch, never hang, and say what happened once.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sqlite3.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "Registry.h"
#include "RegistryKeys.h"
#include "store/RegistryStore.h"
#include "../support/TempRegistry.h"

using namespace tavora;
namespace fs = std::filesystem;

namespace {

// A second connection to the store, as another program would hold it.
class OtherProgram {
public:
    explicit OtherProgram(const std::string& path) {
        EXPECT_EQ(sqlite3_open(path.c_str(), &db_), SQLITE_OK);
        sqlite3_busy_timeout(db_, 5000);
    }
    ~OtherProgram() { sqlite3_close(db_); }
    void Exec(const char* sql) { EXPECT_EQ(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql; }

private:
    sqlite3* db_ = nullptr;
};

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The damaged stores moved aside (without their -wal and -shm).
std::vector<fs::path> AsideFiles(const fs::path& dir) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("registry.db.corrupt-") && !name.ends_with("-wal") && !name.ends_with("-shm"))
            found.push_back(entry.path());
    }
    return found;
}

int Occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// Copies a store with everything in its log: under the new name it is a file this
// process has not opened yet.
void CopyWhole(const test::TempRegistry& from, const test::TempRegistry& to) {
    {
        OtherProgram other(from.path());
        other.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    fs::copy_file(from.path(), to.path());
}

constexpr const char* kName = "SOFTWARE\\TavoraPlayer\\PlayList\\Name";

}  // namespace

TEST(StoreTroubleTest, ABatchThatCannotBeginWritesNothingEvenOnceTheLockIsGone) {
    test::TempRegistry reg;
    WriteRegString(kName, "0", "old");
    WriteRegDword(keys::kOutFile, keys::kCount, 5);
    OtherProgram other(reg.path());
    other.Exec("BEGIN IMMEDIATE");  // holds the write lock longer than the store waits
    {
        RegistryBatch batch;
        EXPECT_FALSE(IncrementRegDword(keys::kOutFile, keys::kCount).has_value());
        other.Exec("ROLLBACK");  // free again: writes now must not go in one by one
        WriteRegString(kName, "0", "new");
        WriteRegString(kName, "1", "new too");
        EXPECT_FALSE(batch.Commit());
    }
    EXPECT_EQ(ReadRegString(kName, "0"), "old");
    EXPECT_EQ(ReadRegString(kName, "1"), "ERROR");
    EXPECT_EQ(ReadRegDword(keys::kOutFile, keys::kCount), 5);

    // An increment alone reports the lock instead of a made-up number.
    other.Exec("BEGIN IMMEDIATE");
    EXPECT_FALSE(IncrementRegDword(keys::kOutFile, keys::kCount).has_value());
    other.Exec("ROLLBACK");
    // A free store works at once again.
    EXPECT_EQ(IncrementRegDword(keys::kOutFile, keys::kCount), std::optional<int>(6));
    RegistryBatch batch;
    WriteRegString(kName, "1", "later");
    EXPECT_TRUE(batch.Commit());
    EXPECT_EQ(ReadRegString(kName, "1"), "later");
}

TEST(StoreTroubleTest, AStoreLockedExclusivelyByAnotherProcessGivesDefaultsWithOneWarning) {
    test::TempRegistry made;
    WriteRegDword(keys::kControl, "VolumeValue", 40);
    test::TempRegistry reg;
    CopyWhole(made, reg);
    // Another process opens the store in exclusive locking mode and keeps it.
    int toHolder[2], fromHolder[2];
    ASSERT_EQ(pipe(toHolder), 0);
    ASSERT_EQ(pipe(fromHolder), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(reg.path().c_str(), &db);
        const int rc = sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; CREATE TABLE held(x); COMMIT;",
                                    nullptr, nullptr, nullptr);
        const char ready = rc == SQLITE_OK ? 'y' : 'n';
        [[maybe_unused]] auto w = write(fromHolder[1], &ready, 1);
        char go;
        [[maybe_unused]] auto r = read(toHolder[0], &go, 1);
        sqlite3_close(db);
        _exit(0);
    }
    char ready = 0;
    ASSERT_EQ(read(fromHolder[0], &ready, 1), 1);
    ASSERT_EQ(ready, 'y');

    testing::internal::CaptureStderr();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(ReadRegDwordOr(keys::kControl, "VolumeValue", 25), 25);
        WriteRegDword(keys::kControl, "Mute", 1);
    }
    EXPECT_FALSE(IncrementRegDword(keys::kOutFile, keys::kCount).has_value());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Occurrences(err, "is locked by another program"), 1) << err;

    ASSERT_EQ(write(toHolder[1], "g", 1), 1);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(ReadRegDword(keys::kControl, "VolumeValue"), 40);
    WriteRegDword(keys::kControl, "Mute", 1);
    EXPECT_EQ(ReadRegDword(keys::kControl, "Mute"), 1);
}

TEST(StoreTroubleTest, AFileThatIsNoDatabaseIsMovedAsideOnceAndReplaced) {
    test::TempRegistry reg;
    std::string garbage;
    for (int i = 0; i < 300; ++i) garbage += "these are not the settings you are looking for\n";
    WriteFile(reg.path(), garbage);
    WriteFile(reg.path() + "-wal", "old log");
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadRegDwordOr(keys::kControl, "VolumeValue", 25), 25);
    WriteRegDword(keys::kControl, "VolumeValue", 40);
    EXPECT_EQ(ReadRegDword(keys::kControl, "VolumeValue"), 40);
    const std::string err = testing::internal::GetCapturedStderr();

    const auto aside = AsideFiles(reg.dir());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadFile(aside[0]), garbage);
    EXPECT_EQ(ReadFile(aside[0].string() + "-wal"), "old log");  // its log went with it
    EXPECT_EQ(Occurrences(err, "was damaged"), 1) << err;
    EXPECT_NE(err.find(aside[0].string()), std::string::npos) << err;
    const std::string notice = store::StoreStartupNotice();
    EXPECT_NE(notice.find("설정 파일이 손상되어 새로 만들었습니다."), std::string::npos);
    EXPECT_NE(notice.find(aside[0].string()), std::string::npos);
    EXPECT_EQ(store::CheckStore().condition, store::StoreCondition::Healthy);
}

TEST(StoreTroubleTest, DamagedPagesAreFoundWhenTheStoreIsFirstOpened) {
    test::TempRegistry made;
    for (int i = 0; i < 2000; ++i) WriteRegString(kName, std::to_string(i), "row " + std::to_string(i));
    test::TempRegistry reg;
    CopyWhole(made, reg);
    std::string bytes = ReadFile(reg.path());
    ASSERT_GT(bytes.size(), 40000u);
    for (size_t at = 8192; at < bytes.size() - 4096; at += 4096)
        for (size_t i = 100; i < 400; ++i) bytes[at + i] = static_cast<char>(0xA5);
    WriteFile(reg.path(), bytes);

    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadRegString(kName, "5"), "ERROR");  // the fresh store is empty
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(AsideFiles(reg.dir()).size(), 1u) << err;
    EXPECT_EQ(Occurrences(err, "was damaged"), 1) << err;
    WriteRegString(kName, "5", "again");
    EXPECT_EQ(ReadRegString(kName, "5"), "again");
}

TEST(StoreTroubleTest, DamageAStatementMeetsLaterIsReplacedOnceNoConnectionUsesTheFile) {
    test::TempRegistry reg;
    for (int i = 0; i < 500; ++i) WriteRegString(kName, std::to_string(i), "row " + std::to_string(i));
    {
        OtherProgram other(reg.path());
        other.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    // The file is damaged in place while this thread's connection has it open.
    const std::string garbage(static_cast<size_t>(fs::file_size(reg.path())), '\x5a');
    {
        std::fstream file(reg.path(), std::ios::in | std::ios::out | std::ios::binary);
        file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    }
    testing::internal::CaptureStderr();
    // A worker's first statement meets the damage; the file stays where it is while
    // another connection (this thread's) still has it open.
    std::string seenByWorker;
    std::thread worker([&] { seenByWorker = ReadRegString(kName, "7"); });
    worker.join();
    const size_t asideWhileOpen = AsideFiles(reg.dir()).size();
    // This thread's next access lets go of the damaged file, which is then moved aside.
    const std::string seenAfter = ReadRegString(kName, "7");
    WriteRegString(kName, "7", "fresh");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(seenByWorker, "ERROR");
    EXPECT_EQ(asideWhileOpen, 0u);
    EXPECT_EQ(seenAfter, "ERROR");
    EXPECT_EQ(ReadRegString(kName, "7"), "fresh");
    const auto aside = AsideFiles(reg.dir());
    ASSERT_EQ(aside.size(), 1u) << err;
    EXPECT_EQ(ReadFile(aside[0]), garbage);
    EXPECT_EQ(Occurrences(err, "was damaged"), 1) << err;
}

TEST(StoreTroubleTest, ADamagedStoreIsOnlyReportedWhenRepairIsOff) {
    test::TempRegistry reg;
    WriteFile(reg.path(), std::string(8192, 'x'));
    store::SetRepairCorruptStore(false);
    const auto check = store::CheckStore();
    store::SetRepairCorruptStore(true);
    EXPECT_EQ(check.condition, store::StoreCondition::Corrupt);
    EXPECT_TRUE(AsideFiles(reg.dir()).empty());
    EXPECT_EQ(ReadFile(reg.path()), std::string(8192, 'x'));
}

TEST(StoreTroubleTest, AStoreThatCannotBeOpenedGivesDefaultsWithOneWarning) {
    test::TempRegistry reg;
    WriteFile(reg.dir() / "plain-file", "x");
    setenv("TAVORA_REGISTRY", (reg.dir() / "plain-file" / "registry.db").c_str(), 1);
    testing::internal::CaptureStderr();
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(ReadRegDwordOr(keys::kControl, "VolumeValue", 25), 25);
        WriteRegDword(keys::kControl, "VolumeValue", i);
    }
    EXPECT_FALSE(IncrementRegDword(keys::kOutFile, keys::kCount).has_value());
    RegistryBatch batch;
    WriteRegString(kName, "0", "x");
    EXPECT_FALSE(batch.Commit());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Occurrences(err, "settings store"), 1) << err;
    EXPECT_EQ(store::CheckStore().condition, store::StoreCondition::Unavailable);
}

TEST(StoreTroubleTest, AnImmutableStoreIsReadWithOneWarningAndNeverWritten) {
    test::TempRegistry made;
    WriteRegDword(keys::kControl, "VolumeValue", 40);
    test::TempRegistry reg;
    CopyWhole(made, reg);
    const int fd = ::open(reg.path().c_str(), O_RDONLY);
    int flags = 0;
    ASSERT_GE(fd, 0);
    if (ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0 || (flags |= FS_IMMUTABLE_FL, ioctl(fd, FS_IOC_SETFLAGS, &flags)) != 0) {
        ::close(fd);
        GTEST_SKIP() << "cannot make a file immutable here (needs root and a file system that supports it)";
    }
    testing::internal::CaptureStderr();
    const int volume = ReadRegDword(keys::kControl, "VolumeValue");
    for (int i = 0; i < 20; ++i) WriteRegDword(keys::kControl, "Mute", 1);
    const auto count = IncrementRegDword(keys::kOutFile, keys::kCount);
    const std::string err = testing::internal::GetCapturedStderr();
    flags &= ~FS_IMMUTABLE_FL;
    ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
    EXPECT_EQ(volume, 40);
    EXPECT_EQ(ReadRegDword(keys::kControl, "Mute"), kMissingDword);
    EXPECT_FALSE(count.has_value());
    EXPECT_EQ(Occurrences(err, "cannot be written"), 1) << err;
}

TEST(StoreTroubleTest, AStoreInAReadOnlyFolderIsStillRead) {
    test::TempRegistry made;
    WriteRegDword(keys::kControl, "VolumeValue", 40);
    test::TempRegistry reg;
    CopyWhole(made, reg);
    const std::string dir = reg.dir().string();
    if (mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "mounting is not permitted here";
    const bool readOnly = mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    testing::internal::CaptureStderr();
    const int volume = ReadRegDword(keys::kControl, "VolumeValue");
    WriteRegDword(keys::kControl, "Mute", 1);
    const std::string err = testing::internal::GetCapturedStderr();
    umount2(dir.c_str(), MNT_DETACH);
    ASSERT_TRUE(readOnly);
    EXPECT_EQ(volume, 40);
    EXPECT_EQ(Occurrences(err, "cannot be written"), 1) << err;
    EXPECT_EQ(Occurrences(err, "settings store"), 1) << err;  // and nothing else
}
