#include "HandOffChannel.h"

#include <QByteArray>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>

#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "instance/SingleInstanceLock.h"

namespace tavora {

namespace {
std::mutex folderMutex;
std::string chosenFolder;
}  // namespace

void SetHandOffFolder(const std::string& folder) {
    std::lock_guard lock(folderMutex);
    chosenFolder = folder;
}

QString HandOffSocketPath() {
    std::string folder;
    {
        std::lock_guard lock(folderMutex);
        folder = chosenFolder;
    }
    if (folder.empty()) {
        // Not set by the start-up: where the single-instance lock would be first tried.
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        folder = runtime && *runtime ? std::string(runtime) : platform::PrivateTempFolder();
        if (folder.empty()) folder = "/tmp";
    }
    return QFile::decodeName(QByteArray::fromStdString(folder)) + "/" + kHandOffName;
}

namespace {

// The socket's address; false (with a message) when the path does not fit.
bool SocketAddress(const QByteArray& path, sockaddr_un& addr) {
    addr = sockaddr_un{};
    addr.sun_family = AF_UNIX;
    if (static_cast<size_t>(path.size()) >= sizeof(addr.sun_path)) {
        std::fprintf(stderr, "%s: the hand-off socket path is too long: %s\n", program_invocation_short_name,
                     path.constData());
        return false;
    }
    std::memcpy(addr.sun_path, path.constData(), static_cast<size_t>(path.size()));
    return true;
}

// A request line is at most this long, its end included.
constexpr qsizetype kMaxLine = 256;

}  // namespace

struct HandOffServer::Peer {
    QByteArray received;
    QSocketNotifier* readable = nullptr;
};

HandOffServer::HandOffServer(Handler handler, QObject* parent) : QObject(parent), handler_(std::move(handler)) {}

HandOffServer::~HandOffServer() { close(); }

bool HandOffServer::listen() {
    close();
    const QString path = HandOffSocketPath();
    const QByteArray encoded = QFile::encodeName(path);
    sockaddr_un addr;
    if (!SocketAddress(encoded, addr)) return false;
    // A socket left by a crashed player is replaced; only the lock holder gets here.
    ::unlink(encoded.constData());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
        ::chmod(encoded.constData(), S_IRWXU) == 0 && ::listen(fd, 50) == 0) {
        listener_ = fd;
        path_ = path;
        incoming_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(incoming_, &QSocketNotifier::activated, this, &HandOffServer::acceptConnections);
        return true;
    }
    const int error = errno;
    if (fd >= 0) ::close(fd);
    // Later launches would wait for this player in vain: say why.
    std::fprintf(stderr, "tavoraplayer: cannot serve the hand-off socket %s: %s; later launches cannot hand "
                         "their files over.\n",
                 encoded.constData(), std::strerror(error));
    return false;
}

bool HandOffServer::isListening() const { return listener_ >= 0; }

void HandOffServer::close() {
    while (!peers_.empty()) drop(peers_.begin()->first);
    if (listener_ < 0) return;
    delete incoming_;
    incoming_ = nullptr;
    ::close(listener_);
    listener_ = -1;
    ::unlink(QFile::encodeName(path_).constData());
}

void HandOffServer::acceptConnections() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;  // EAGAIN: all taken; anything else waits for the next wake-up
        }
        auto peer = std::make_unique<Peer>();
        peer->readable = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(peer->readable, &QSocketNotifier::activated, this, [this, fd] { serve(fd); });
        // Read when the event loop next finds data, as a Qt local socket would: a
        // request is never handled inside the same wake-up that accepted it.
        peers_[fd] = std::move(peer);
    }
}

void HandOffServer::drop(int fd) {
    const auto it = peers_.find(fd);
    if (it == peers_.end()) return;
    // Deleted later: dropping may happen inside the notifier's own signal.
    it->second->readable->setEnabled(false);
    it->second->readable->deleteLater();
    ::close(fd);
    peers_.erase(it);
}

std::optional<HandOffRequest> ParseHandOffRequest(const QByteArray& line) {
    const QList<QByteArray> parts = line.trimmed().split(' ');
    if (parts.size() != 3) return std::nullopt;
    bool ok1 = false, ok2 = false, ok3 = false;
    HandOffRequest request;
    request.message = parts[0].toUInt(&ok1);
    request.wParam = parts[1].toULongLong(&ok2);
    request.lParam = parts[2].toLongLong(&ok3);
    if (!ok1 || !ok2 || !ok3) return std::nullopt;
    return request;
}

void HandOffServer::serve(int fd) {
    const auto it = peers_.find(fd);
    if (it == peers_.end()) return;
    Peer& peer = *it->second;
    bool closed = false;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            peer.received.append(buffer, n);
            if (peer.received.size() > 4 * kMaxLine) break;  // enough to judge
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        closed = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    // The handler may run an event loop: this peer is not read again meanwhile.
    peer.readable->setEnabled(false);
    const QPointer<HandOffServer> alive(this);
    for (qsizetype end; (end = peer.received.indexOf('\n')) >= 0;) {
        const QByteArray line = peer.received.left(end);
        peer.received.remove(0, end + 1);
        const auto request = end < kMaxLine ? ParseHandOffRequest(line) : std::nullopt;
        if (!request) {
            drop(fd);
            return;
        }
        const intptr_t result = handler_ ? handler_(request->message, request->wParam, request->lParam) : 0;
        if (!alive || !peers_.count(fd)) return;
        const QByteArray reply = QByteArray::number(static_cast<qlonglong>(result)) + '\n';
        // A few bytes into an empty socket buffer: a peer that takes none is dropped.
        if (::send(fd, reply.constData(), static_cast<size_t>(reply.size()), MSG_NOSIGNAL | MSG_DONTWAIT) !=
            reply.size()) {
            drop(fd);
            return;
        }
    }
    // A peer that sends a long line without an end is not served.
    if (closed || peer.received.size() > kMaxLine) {
        drop(fd);
        return;
    }
    peer.readable->setEnabled(true);
}

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(std::min<long long>(left, INT32_MAX)) : 0;
}

// A socket connected to the running player, or -1 once `deadline` has passed. Plain
// POSIX: a later launch has no event loop, and Qt's sockets want one (their time-outs
// are timers, which a thread without an event dispatcher cannot start).
int ConnectBefore(Clock::time_point deadline) {
    sockaddr_un addr;
    if (!SocketAddress(QFile::encodeName(HandOffSocketPath()), addr)) return -1;
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return -1;
        // A player whose backlog is full makes connect() wait: only until the deadline.
        const int ms = std::max(RemainingMs(deadline), 1);
        timeval tv{ms / 1000, (ms % 1000) * 1000};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return fd;
        ::close(fd);
        if (Clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool SendAll(int fd, const std::string& text, Clock::time_point deadline) {
    size_t sent = 0;
    while (sent < text.size()) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, RemainingMs(deadline)) <= 0) return false;
        const ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR && errno != EAGAIN) return false;
        if (n > 0) sent += static_cast<size_t>(n);
    }
    return true;
}

// The reply line, without its end; nothing when none came before the deadline.
std::optional<std::string> ReadLine(int fd, Clock::time_point deadline) {
    std::string line;
    char buffer[64];
    for (;;) {
        if (const size_t end = line.find('\n'); end != std::string::npos) return line.substr(0, end);
        if (line.size() > 256) return std::nullopt;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, RemainingMs(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        line.append(buffer, static_cast<size_t>(n));
    }
}

}  // namespace

std::optional<intptr_t> ParseHandOffReply(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    long long value = 0;
    const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
    if (line.empty() || ec != std::errc() || end != line.data() + line.size()) return std::nullopt;
    return static_cast<intptr_t>(value);
}

bool WaitForHandOffServer(std::chrono::milliseconds wait) {
    const int fd = ConnectBefore(Clock::now() + wait);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

std::optional<intptr_t> SendHandOff(unsigned message, uintptr_t wParam, intptr_t lParam,
                                    std::chrono::milliseconds wait) {
    const int fd = ConnectBefore(Clock::now() + wait);
    if (fd < 0) return std::nullopt;
    const std::string request = std::to_string(message) + ' ' + std::to_string(wParam) + ' ' +
                                std::to_string(static_cast<long long>(lParam)) + '\n';
    std::optional<intptr_t> result;
    if (SendAll(fd, request, Clock::now() + wait)) {
        // The reply comes once the player has handled the message.
        if (const auto line = ReadLine(fd, Clock::now() + wait)) result = ParseHandOffReply(*line);
    }
    ::close(fd);
    return result;
}

}  // namespace tavora
