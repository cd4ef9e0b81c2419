#pragma once
// A TCP server on 127.0.0.1 (a free port) that plays a part the test chooses for each
// connection: a server that never answers, one that sends headers for ever, one that
// trickles, one that serves a file. Each connection runs on a thread of its own; the
// destructor ends them all (every wait here checks the stop flag).

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tavora::test {

class Connection {
public:
    Connection(int fd, const std::atomic<bool>& stop) : fd_(fd), stop_(stop) {}
    // Reads the request up to its empty line; false when the peer left or the server stops.
    bool ReadRequest();
    // False when the peer has gone or the server stops.
    bool Send(std::string_view data);
    bool Pause(std::chrono::milliseconds time);
    // Keeps the connection open, sending nothing, until the peer closes or the server stops.
    void HoldOpen();

private:
    int fd_;
    const std::atomic<bool>& stop_;
};

class LoopbackServer {
public:
    using Behaviour = std::function<void(Connection&)>;
    explicit LoopbackServer(Behaviour behaviour);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool running() const { return listener_ >= 0; }
    std::string Url(const std::string& path) const;
    int Connections() const { return connections_; }
    // Polls until count connections were accepted; false after timeoutSeconds.
    bool WaitForConnections(int count, double timeoutSeconds) const;

private:
    void Accept();

    Behaviour behaviour_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_ {false};
    std::atomic<int> connections_ {0};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<std::thread> workers_;
};

// An HTTP 200 reply head with the given extra header lines (each ending in "\r\n").
std::string ReplyHead(const std::string& extraLines);

}  // namespace tavora::test
