#include "HandOffChannel.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

#include <cstdlib>

namespace tavora {

QString HandOffSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return QString::fromLocal8Bit(runtime) + "/" + kHandOffName;
    return QStringLiteral("/tmp/%1-%2").arg(QString::fromLatin1(kHandOffName)).arg(getuid());
}

HandOffServer::HandOffServer(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &HandOffServer::acceptConnections);
}

HandOffServer::~HandOffServer() { server_->close(); }

bool HandOffServer::listen() {
    const QString path = HandOffSocketPath();
    QLocalServer::removeServer(path);
    return server_->listen(path);
}

bool HandOffServer::isListening() const { return server_->isListening(); }

void HandOffServer::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
        serve(socket);
    }
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

void HandOffServer::serve(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        const auto request = ParseHandOffRequest(socket->readLine(256));
        if (!request) {
            socket->disconnectFromServer();
            return;
        }
        const intptr_t result = handler_ ? handler_(request->message, request->wParam, request->lParam) : 0;
        socket->write(QByteArray::number(static_cast<qlonglong>(result)) + '\n');
        socket->flush();
    }
    // A peer that sends a long line without an end is not served.
    if (socket->bytesAvailable() > 256) socket->disconnectFromServer();
}

namespace {

bool ConnectWithin(QLocalSocket& socket, const QElapsedTimer& clock, std::chrono::milliseconds wait) {
    const QString path = HandOffSocketPath();
    for (;;) {
        socket.connectToServer(path);
        if (socket.waitForConnected(1000)) return true;
        socket.abort();
        if (clock.elapsed() >= wait.count()) return false;
        QThread::msleep(10);
    }
}

}  // namespace

bool WaitForHandOffServer(std::chrono::milliseconds wait) {
    QElapsedTimer clock;
    clock.start();
    QLocalSocket socket;
    const bool connected = ConnectWithin(socket, clock, wait);
    socket.abort();
    return connected;
}

std::optional<intptr_t> SendHandOff(unsigned message, uintptr_t wParam, intptr_t lParam,
                                    std::chrono::milliseconds wait) {
    QElapsedTimer clock;
    clock.start();
    QLocalSocket socket;
    if (!ConnectWithin(socket, clock, wait)) return std::nullopt;
    socket.write(QByteArray::number(message) + ' ' + QByteArray::number(static_cast<qulonglong>(wParam)) +
                 ' ' + QByteArray::number(static_cast<qlonglong>(lParam)) + '\n');
    if (!socket.waitForBytesWritten(static_cast<int>(wait.count()))) return std::nullopt;
    QElapsedTimer replyClock;
    replyClock.start();
    while (!socket.canReadLine()) {
        const qint64 left = wait.count() - replyClock.elapsed();
        if (left <= 0 || !socket.waitForReadyRead(static_cast<int>(left))) return std::nullopt;
    }
    bool ok = false;
    const qlonglong result = socket.readLine().trimmed().toLongLong(&ok);
    if (!ok) return std::nullopt;
    return static_cast<intptr_t>(result);
}

}  // namespace tavora
