#include "WriterTools.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tavora::test {

std::string CaptureTool(const std::vector<std::string>& args, int* status) {
    if (status) *status = -1;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return {};
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string out;
    if (rc == 0) {
        char buffer[4096];
        ssize_t n;
        while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
        int st = 0;
        if (waitpid(pid, &st, 0) == pid && status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    close(fds[0]);
    return out;
}

std::string DecodedAudioMd5(const std::string& path) {
    int status = -1;
    const std::string out = CaptureTool(
        {"ffmpeg", "-v", "error", "-i", path, "-map", "0:a:0", "-c:a", "pcm_s16le", "-f", "md5", "-"}, &status);
    return status == 0 ? out : std::string();
}

std::set<std::string> FolderEntries(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

std::vector<unsigned char> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

SmallTmpfs::SmallTmpfs(size_t bytes) {
    std::string templ = (std::filesystem::temp_directory_path() / "tavora-fulldisk-XXXXXX").string();
    if (!mkdtemp(templ.data())) return;
    dir_ = templ;
    const std::string options = "size=" + std::to_string(bytes);
    mounted_ = mount("tmpfs", dir_.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

SmallTmpfs::~SmallTmpfs() {
    if (mounted_) umount2(dir_.c_str(), MNT_DETACH);
    if (!dir_.empty()) rmdir(dir_.c_str());
}

}  // namespace tavora::test
