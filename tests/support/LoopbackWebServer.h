#pragma once
// python3's http.server on 127.0.0.1 serving a folder, for the length of a test.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "WaitUntil.h"

extern char** environ;

namespace tavora::test {

// 127.0.0.1 at `port` (0: any free port).
inline sockaddr_in LoopbackAddress(int port = 0) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

class LoopbackWebServer {
public:
    explicit LoopbackWebServer(const std::string& folder) : port_(FreePort()) {
        std::vector<std::string> args = {"python3",     "-m",   "http.server",         "--bind",
                                         "127.0.0.1", "--directory", folder, std::to_string(port_)};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&pid_, "python3", &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (pid_ > 0) WaitUntil([this] { return Answers(); });
    }
    ~LoopbackWebServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    LoopbackWebServer(const LoopbackWebServer&) = delete;
    LoopbackWebServer& operator=(const LoopbackWebServer&) = delete;

    bool running() const { return pid_ > 0 && Answers(); }
    int port() const { return port_; }
    // "127.0.0.1:PORT/" + name, without a scheme.
    std::string hostPath(const std::string& name) const { return "127.0.0.1:" + std::to_string(port_) + "/" + name; }
    std::string url(const std::string& name) const { return "http://" + hostPath(name); }

private:
    static int FreePort() {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr = LoopbackAddress();
        bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
        close(s);
        return ntohs(addr.sin_port);
    }
    bool Answers() const {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr = LoopbackAddress(port_);
        const bool ok = connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        close(s);
        return ok;
    }

    int port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace tavora::test
