// Holds the running player through "TavoraPlayer.Application" until told to let go.
//   stdin "release\n": releases and stays connected; end of stdin: ends at once.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QSocketNotifier>

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {
bool Call(const char* method) {
    const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        QStringLiteral("TavoraPlayer.Application"), QStringLiteral("/TavoraPlayer/Application"),
        QStringLiteral("TavoraPlayer.Application"), QString::fromLatin1(method)));
    if (reply.type() == QDBusMessage::ErrorMessage)
        std::fprintf(stderr, "%s failed: %s\n", method, qPrintable(reply.errorMessage()));
    return reply.type() == QDBusMessage::ReplyMessage;
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!Call("Attach")) return 1;
    std::printf("attached\n");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        std::string line;
        if (!std::getline(std::cin, line)) {
            QCoreApplication::exit(0);
            return;
        }
        if (line == "release" && Call("Release")) {
            std::printf("released\n");
            std::fflush(stdout);
        }
    });
    return app.exec();
}
