// TavoraUpdate: tells the user when the update server offers a newer player.
//
// The player starts it at every start. It checks once per session of the player: it
// sets "UpdateCheck" = 1 in the settings store (the player writes 0 when it ends) and
// asks <server>/AutoUpdate/version for the newest version number. When that is newer
// than this build it says so and, only if the user agrees, opens the server's
// download page; it writes nothing else. Without a server it ends quietly.
//
//   TavoraUpdate [--print]     --print: report on the standard output, no window
#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QUrl>
#include <QVersionNumber>

#include <cstdio>
#include <fstream>
#include <string>

#include "DownloadFile.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "UpdateServer.h"

namespace {

constexpr const char* kVersionPath = "/AutoUpdate/version";
constexpr const char* kDownloadPagePath = "/AutoUpdate/";

std::string FetchText(const std::string& address) {
    QTemporaryDir dir;
    if (!dir.isValid()) return {};
    const std::string path = dir.filePath(QStringLiteral("version")).toStdString();
    tavora::DownloadOptions options;
    options.maxBytes = 4096;
    options.stallLimit = std::chrono::seconds(15);
    if (!tavora::DownloadFile(address, path, options).ok) return {};
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    const bool print = argc > 1 && std::string(argv[1]) == "--print";
    if (!print && tavora::ReadRegDword(tavora::keys::kRoot, tavora::keys::kUpdateCheck) == 1) return 0;
    if (!print) tavora::WriteRegDword(tavora::keys::kRoot, tavora::keys::kUpdateCheck, 1);

    const std::string base = tavora::UpdateServerBase();
    const QString offered = QString::fromStdString(FetchText(base + kVersionPath)).trimmed();
    const QVersionNumber newest = QVersionNumber::fromString(offered);
    const QVersionNumber ours = QVersionNumber::fromString(QStringLiteral(TAVORA_VERSION));
    if (newest.isNull()) {
        // No answer, or not a version: nothing is known, which is not "up to date".
        if (print) {
            std::fprintf(stderr, "TavoraUpdate: no version number from %s%s\n", base.c_str(), kVersionPath);
            return 1;
        }
        return 0;
    }
    if (newest <= ours) {
        if (print) std::printf("up to date (%s)\n", TAVORA_VERSION);
        return 0;
    }
    if (print) {
        std::printf("newer version %s (this is %s)\n", newest.toString().toUtf8().constData(), TAVORA_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    const QString text = QStringLiteral("타보라 플레이어 새 버전 %1이(가) 나왔습니다. (지금 버전 %2)\n내려받는 곳을 여시겠습니까?")
                             .arg(newest.toString(), QStringLiteral(TAVORA_VERSION));
    if (QMessageBox::question(nullptr, QStringLiteral("TavoraUpdate"), text) == QMessageBox::Yes)
        QDesktopServices::openUrl(QUrl(QString::fromStdString(base + kDownloadPagePath)));
    return 0;
}
