// Saving a large playlist is all or nothing: a player killed in the middle of the save,
// or one whose disk fills up, leaves exactly the old list or exactly the new one.
// The save runs in a child process (tavora_playlist_save_child) through the player's
// own save code; the stored list is read back by another child.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "../support/TempRegistry.h"

namespace fs = std::filesystem;

namespace {

const char* const kChild = TAVORA_SAVE_CHILD;

std::string ExpectedList(int rows, const std::string& tag) {
    std::string text;
    for (int i = 0; i < rows; ++i)
        text += tag + " 노래 " + std::to_string(i) + "\t" + std::to_string(i % 60) + ":00\t/music/" + tag + "/" +
                std::to_string(i) + ".mp3\n";
    return text;
}

struct Child {
    pid_t pid = -1;
    int out = -1;  // the child's stdout
};

Child Start(const std::vector<std::string>& args, const std::string& errPath) {
    int pipeFds[2];
    EXPECT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);
    Child child;
    child.pid = fork();
    if (child.pid == 0) {
        dup2(pipeFds[1], 1);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (err >= 0) dup2(err, 2);
        std::vector<char*> argv{const_cast<char*>(kChild)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(kChild, argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    child.out = pipeFds[0];
    return child;
}

// Reads the child's output until `until` appears (or everything, when empty).
std::string ReadOutput(Child& child, const std::string& until = {}) {
    std::string text;
    char buffer[65536];
    for (;;) {
        if (!until.empty() && text.find(until) != std::string::npos) return text;
        const ssize_t n = read(child.out, buffer, sizeof buffer);
        if (n <= 0) return text;
        text.append(buffer, static_cast<size_t>(n));
    }
}

int Finish(Child& child) {
    ReadOutput(child);
    close(child.out);
    int status = 0;
    waitpid(child.pid, &status, 0);
    return status;
}

int RunChild(const std::vector<std::string>& args, const std::string& errPath, std::string* out = nullptr) {
    Child child = Start(args, errPath);
    const std::string text = ReadOutput(child);
    if (out) *out = text;
    return Finish(child);
}

std::string StoredList(const std::string& errPath) {
    std::string list;
    const int status = RunChild({"load"}, errPath, &list);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return list;
}

off_t FileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_size : 0;
}

const char* Which(const std::string& stored, const std::string& oldList, const std::string& newList) {
    return stored == oldList ? "old" : stored == newList ? "new" : "a mix";
}

}  // namespace

TEST(PlaylistSaveCrashTest, KilledDuringASaveOfAHundredThousandRowsLeavesTheOldOrTheNewList) {
    tavora::test::TempRegistry reg;
    const std::string err = (reg.dir() / "child.err").string();
    const std::string oldList = ExpectedList(40000, "old");
    const std::string newList = ExpectedList(100000, "new");
    const std::string wal = reg.path() + "-wal";

    // How far the log grows in one whole save, to spread the kills over it.
    ASSERT_EQ(RunChild({"save", "40000", "old"}, err), 0);
    off_t fullLog = 0;
    {
        Child child = Start({"save", "100000", "new"}, err);
        ReadOutput(child, "saving");
        int status = 0;
        while (waitpid(child.pid, &status, WNOHANG) == 0) {
            fullLog = std::max(fullLog, FileSize(wal));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        close(child.out);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ASSERT_EQ(StoredList(err), newList);
    ASSERT_GT(fullLog, 0);

    int oldSeen = 0;
    for (double part : {0.0, 0.1, 0.35, 0.6, 0.85}) {
        ASSERT_EQ(RunChild({"save", "40000", "old"}, err), 0);
        Child child = Start({"save", "100000", "new"}, err);
        ASSERT_NE(ReadOutput(child, "saving").find("saving"), std::string::npos);
        const off_t target = static_cast<off_t>(part * static_cast<double>(fullLog));
        while (FileSize(wal) < target && waitpid(child.pid, nullptr, WNOHANG) == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        kill(child.pid, SIGKILL);
        Finish(child);
        const std::string stored = StoredList(err);
        EXPECT_TRUE(stored == oldList || stored == newList)
            << "killed at " << part << " of the save: the store holds " << Which(stored, oldList, newList);
        oldSeen += stored == oldList;
        std::cout << "killed with " << target << " of " << fullLog << " log bytes written: the store holds the "
                  << Which(stored, oldList, newList) << " list\n";
    }
    // At least the kill right at the start of the save must have hit it in progress.
    EXPECT_GT(oldSeen, 0);
}

TEST(PlaylistSaveCrashTest, AFullDiskKeepsTheOldListAndSaysSo) {
    tavora::test::TempRegistry reg;
    const fs::path disk = reg.dir() / "small-disk";
    fs::create_directories(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=3m,mode=0700") != 0)
        GTEST_SKIP() << "mounting a small tmpfs is not permitted here";
    const std::string store = (disk / "registry.db").string();
    setenv("TAVORA_REGISTRY", store.c_str(), 1);
    const std::string err = (reg.dir() / "child.err").string();

    EXPECT_EQ(RunChild({"save", "2000", "old"}, err), 0);
    const int status = RunChild({"save", "100000", "new"}, err);
    std::ifstream in(err);
    const std::string saveErrors((std::istreambuf_iterator<char>(in)), {});
    const std::string stored = StoredList(err);
    umount2(disk.c_str(), MNT_DETACH);

    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save crashed: status " << status;
    EXPECT_NE(saveErrors.find("could not use the settings store"), std::string::npos) << saveErrors;
    EXPECT_NE(saveErrors.find("full"), std::string::npos) << saveErrors;
    EXPECT_TRUE(stored == ExpectedList(2000, "old")) << "the store holds " << stored.size() << " bytes of rows";
}
