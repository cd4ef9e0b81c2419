#pragma once
// Names that look like songs but are no regular files: a FIFO, a link to a device that
// never ends, a folder. Opening any of them as a song must fail at once; a reader that
// opens a FIFO the ordinary way blocks for ever, so the calls run on a thread of their
// own and a stuck one is freed (by opening the FIFO's other end) to end the test.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

namespace tavora::test {

struct NonRegularFile {
    std::string kind;
    std::string path;
};

// Makes "<kind>.<extension>" of each kind in folder.
inline std::vector<NonRegularFile> MakeNonRegularFiles(const std::string& folder, const std::string& extension) {
    std::vector<NonRegularFile> files = {{"fifo", folder + "/fifo." + extension},
                                      {"device", folder + "/device." + extension},
                                      {"folder", folder + "/folder." + extension}};
    mkfifo(files[0].path.c_str(), 0600);
    std::filesystem::create_symlink("/dev/zero", files[1].path);
    std::filesystem::create_directory(files[2].path);
    return files;
}

// Runs call on its own thread; true when it returned within the (generous) bound.
template <typename Call>
bool ReturnsPromptly(Call call, const NonRegularFile& file, std::chrono::seconds bound = std::chrono::seconds(20)) {
    auto done = std::async(std::launch::async, call);
    if (done.wait_for(bound) == std::future_status::ready) return true;
    if (file.kind == "fifo") {
        // Frees an open() waiting for a writer; the reader then sees an empty file.
        const int fd = open(file.path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) close(fd);
    }
    done.wait();
    return false;
}

}  // namespace tavora::test
