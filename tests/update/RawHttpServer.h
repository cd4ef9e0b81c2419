#pragma once
// A loopback HTTP server that answers every request with the same bytes and then
// either closes the connection or holds it open without a word more, or sends the body
// two bytes a second (a trickle; it ends with the body, or when the server goes): the
// server behaviours python's http.server cannot play (a cut body, a stall, a trickle).
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackWebServer.h"

namespace tavora::test {

class RawHttpServer {
public:
    enum class After { Close, Hold, Trickle };

    RawHttpServer(std::string reply, After after) : reply_(std::move(reply)), after_(after) {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr = LoopbackAddress();
        bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        listen(listener_, 8);
        thread_ = std::thread([this] { Serve(); });
    }
    ~RawHttpServer() {
        stop_ = true;
        thread_.join();
        for (int fd : held_) close(fd);
        close(listener_);
    }
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int requests() const { return requests_; }

private:
    void Serve() {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            ReadRequest(fd);
            ++requests_;
            const size_t head = after_ == After::Trickle ? reply_.find("\r\n\r\n") + 4 : reply_.size();
            size_t sent = 0;
            while (sent < head) {
                const ssize_t n = send(fd, reply_.data() + sent, head - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<size_t>(n);
            }
            if (after_ == After::Trickle) {
                // One byte each half second, until the body is out or the server stops.
                while (sent < reply_.size() && !stop_) {
                    pollfd p{fd, 0, 0};
                    poll(&p, 1, 500);
                    if (send(fd, reply_.data() + sent, 1, MSG_NOSIGNAL) != 1) break;
                    ++sent;
                }
            }
            if (after_ != After::Hold) close(fd);
            else held_.push_back(fd);
        }
    }
    static void ReadRequest(int fd) {
        std::string request;
        char buffer[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 5000) <= 0) return;
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) return;
            request.append(buffer, static_cast<size_t>(n));
        }
    }

    std::string reply_;
    After after_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::vector<int> held_;
    std::thread thread_;
};

}  // namespace tavora::test
