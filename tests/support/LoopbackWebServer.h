#pragma once
// The one web server of the tests, on 127.0.0.1 at a free port, for the length of a test.
// It plays one of these parts:
//   - a real file server: python3's http.server serving a folder (LoopbackWebServer(folder));
//   - a scripted server: each connection runs a Behaviour of the test's choosing on a
//     thread of its own (a cut body, a stall, a trickle, headers for ever, a redirect,
//     a large file sent from disk); Reply() and Silent() are the usual ones;
//   - a server that takes connections and never reads or answers them (Silent()).
// The destructor ends every connection (each wait of a Connection checks the stop flag).
// The Icecast rig of the stream-title tests is an external server and lives in
// IcyTestServers.h.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
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

// An HTTP 200 reply head with the given extra header lines (each ending in "\r\n").
inline std::string ReplyHead(const std::string& extraLines) { return "HTTP/1.0 200 OK\r\n" + extraLines + "\r\n"; }

// One accepted connection, as a Behaviour sees it.
class Connection {
public:
    Connection(int fd, const std::atomic<bool>& stop) : fd_(fd), stop_(stop) {}
    // Reads the request up to its empty line; false when the peer left or the server stops.
    bool ReadRequest() {
        std::string request;
        char buffer[1024];
        while (!stop_ && request.find("\r\n\r\n") == std::string::npos) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, kPollMs) <= 0) continue;
            const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) return false;
            request.append(buffer, static_cast<size_t>(n));
        }
        return !stop_;
    }
    // False when the peer has gone or the server stops.
    bool Send(std::string_view data) {
        while (!data.empty()) {
            if (stop_) return false;
            pollfd p{fd_, POLLOUT, 0};
            if (poll(&p, 1, kPollMs) <= 0) continue;
            if (p.revents & (POLLERR | POLLHUP)) return false;
            const ssize_t n = send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
            if (n <= 0) return false;
            data.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }
    // The server's own pace (a trickle): false when the server stops meanwhile.
    bool Pause(std::chrono::milliseconds time) {
        const auto until = std::chrono::steady_clock::now() + time;
        for (auto now = std::chrono::steady_clock::now(); !stop_ && now < until; now = std::chrono::steady_clock::now()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
            poll(nullptr, 0, static_cast<int>(std::min<long long>(left, kPollMs)));
        }
        return !stop_;
    }
    // Keeps the connection open, sending nothing, until the peer closes or the server stops.
    void HoldOpen() {
        char buffer[1024];
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, kPollMs) <= 0) continue;
            if (recv(fd_, buffer, sizeof buffer, 0) <= 0) return;
        }
    }

private:
    static constexpr int kPollMs = 50;
    int fd_;
    const std::atomic<bool>& stop_;
};

class LoopbackWebServer {
public:
    using Behaviour = std::function<void(Connection&)>;
    // What a Reply() server does after the reply's bytes: closes the connection, holds
    // it open without a word more, or sends the body one byte each half second (it ends
    // with the body, or when the server goes).
    enum class After { Close, Hold, Trickle };

    // python3's http.server serving `folder`.
    explicit LoopbackWebServer(const std::string& folder) : port_(FreePort()) {
        std::vector<std::string> args = {"python3",   "-m",          "http.server", "--bind",
                                         "127.0.0.1", "--directory", folder,        std::to_string(port_)};
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
    // Runs `behaviour` for each connection, on a thread of its own.
    explicit LoopbackWebServer(Behaviour behaviour) : behaviour_(std::move(behaviour)) {
        Listen();
        if (listener_ >= 0) acceptor_ = std::thread([this] { Accept(); });
    }
    // Answers every request with the same bytes, then does `after`.
    LoopbackWebServer(std::string reply, After after) : LoopbackWebServer(Reply(std::move(reply), after)) {}

    ~LoopbackWebServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        stop_ = true;
        if (acceptor_.joinable()) acceptor_.join();
        {
            std::lock_guard lock(mutex_);
            for (auto& worker : workers_) worker.join();
        }
        if (listener_ >= 0) close(listener_);
    }
    LoopbackWebServer(const LoopbackWebServer&) = delete;
    LoopbackWebServer& operator=(const LoopbackWebServer&) = delete;

    // The reply's bytes, then `after`.
    static Behaviour Reply(std::string reply, After after) {
        return [reply = std::move(reply), after](Connection& c) {
            if (!c.ReadRequest()) return;
            const size_t head = after == After::Trickle ? reply.find("\r\n\r\n") + 4 : reply.size();
            if (!c.Send(std::string_view(reply).substr(0, head))) return;
            if (after == After::Trickle)
                for (size_t sent = head; sent < reply.size() && c.Pause(std::chrono::milliseconds(500)); ++sent)
                    if (!c.Send(std::string_view(reply).substr(sent, 1))) return;
            if (after == After::Hold) c.HoldOpen();
        };
    }
    // Takes the connection and never reads from it nor answers it.
    static Behaviour Silent() {
        return [](Connection& c) { c.HoldOpen(); };
    }

    bool running() const { return pid_ > 0 ? Answers() : listener_ >= 0; }
    int port() const { return port_; }
    // "http://127.0.0.1:PORT"
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    // "127.0.0.1:PORT/" + name, without a scheme.
    std::string hostPath(const std::string& name) const {
        return "127.0.0.1:" + std::to_string(port_) + (name.rfind('/', 0) == 0 ? "" : "/") + name;
    }
    std::string url(const std::string& name) const { return "http://" + hostPath(name); }
    // Connections accepted so far (scripted servers).
    int connections() const { return connections_; }
    // Until `count` connections were accepted; false after `timeout`.
    bool WaitForConnections(int count, std::chrono::milliseconds timeout = kStateTimeout) const {
        return WaitUntil([&] { return connections_ >= count; }, timeout);
    }

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
    void Listen() {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr = LoopbackAddress();
        socklen_t length = sizeof addr;
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            listen(listener_, 16) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
            if (listener_ >= 0) close(listener_);
            listener_ = -1;
            return;
        }
        port_ = ntohs(addr.sin_port);
    }
    void Accept() {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            ++connections_;
            std::lock_guard lock(mutex_);
            workers_.emplace_back([this, fd] {
                Connection connection(fd, stop_);
                behaviour_(connection);
                close(fd);
            });
        }
    }

    int port_ = 0;
    pid_t pid_ = -1;
    Behaviour behaviour_;
    int listener_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<std::thread> workers_;
};

}  // namespace tavora::test
