#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tavora::test {
namespace {
constexpr int kPollMs = 50;
}

bool Connection::ReadRequest() {
    std::string request;
    char buffer[1024];
    while (!stop_ && request.find("\r\n\r\n") == std::string::npos) {
        pollfd p {fd_, POLLIN, 0};
        if (poll(&p, 1, kPollMs) <= 0) continue;
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        request.append(buffer, static_cast<size_t>(n));
    }
    return !stop_;
}

bool Connection::Send(std::string_view data) {
    while (!data.empty()) {
        if (stop_) return false;
        pollfd p {fd_, POLLOUT, 0};
        if (poll(&p, 1, kPollMs) <= 0) continue;
        if (p.revents & (POLLERR | POLLHUP)) return false;
        const ssize_t n = send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool Connection::Pause(std::chrono::milliseconds time) {
    const auto until = std::chrono::steady_clock::now() + time;
    while (!stop_ && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !stop_;
}

void Connection::HoldOpen() {
    char buffer[1024];
    while (!stop_) {
        pollfd p {fd_, POLLIN, 0};
        if (poll(&p, 1, kPollMs) <= 0) continue;
        if (recv(fd_, buffer, sizeof buffer, 0) <= 0) return;
    }
}

LoopbackServer::LoopbackServer(Behaviour behaviour) : behaviour_(std::move(behaviour)) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 16) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener_ >= 0) close(listener_);
        listener_ = -1;
        return;
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
}

LoopbackServer::~LoopbackServer() {
    stop_ = true;
    if (acceptor_.joinable()) acceptor_.join();
    std::lock_guard lock(mutex_);
    for (auto& worker : workers_) worker.join();
    if (listener_ >= 0) close(listener_);
}

std::string LoopbackServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

bool LoopbackServer::WaitForConnections(int count, double timeoutSeconds) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (connections_ < count) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void LoopbackServer::Accept() {
    while (!stop_) {
        pollfd p {listener_, POLLIN, 0};
        if (poll(&p, 1, kPollMs) <= 0) continue;
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

std::string ReplyHead(const std::string& extraLines) { return "HTTP/1.0 200 OK\r\n" + extraLines + "\r\n"; }

}  // namespace tavora::test
