#include "StartupRoutine.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "HandOffChannel.h"
#include "Messages.h"
#include "PlayerSettings.h"
#include "StoredValues.h"
#include "StartupHooks.h"
#include "instance/SingleInstanceLock.h"

namespace tavora {

std::string JoinCommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

CTavoraPlayerApp::CTavoraPlayerApp(std::string programPath, std::string commandLine)
    : programPath_(std::move(programPath)), commandLine_(std::move(commandLine)) {}

void CTavoraPlayerApp::ApplyAssociationSettings() {
    const PlayerSettings s = LoadPlayerSettings();
    AssociationFlags flags;
    flags.autoConnect = s.autoConnect;
    flags.mp3 = s.connectMp3;
    flags.wma = s.connectWma;
    flags.wav = s.connectWav;
    flags.ogg = s.connectOgg;
    flags.cda = s.connectCda;
    flags.pls = s.connectPls;
    flags.m3u = s.connectM3u;
    // A missing "AutoConnect" counts as on (its default).
    if (flags.autoConnect != 0 && hooks_.writeAssociations) hooks_.writeAssociations(flags, programPath_);
}

int CTavoraPlayerApp::Run(int& argc, char** argv, const PlayerRun& runPlayer) {
    platform::SingleInstanceLock lock(kHandOffName);
    // Only the first instance replaces a damaged store: a later launch must not move
    // the file away under the running player.
    stored::SetRepairDamagedStore(lock.state() != platform::SingleInstanceLock::State::HeldByOther);
    ApplyAssociationSettings();
    if (lock.state() == platform::SingleInstanceLock::State::HeldByOther) {
        SetHandOffFolder(lock.folder());
        return HandOver();
    }
    // Acquired, or no lock could be made anywhere (then this player runs alone, as
    // the lock has said on stderr).
    if (!lock.folder().empty()) SetHandOffFolder(lock.folder());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TavoraPlayer"));
    QApplication::setApplicationDisplayName(QStringLiteral("타보라 플레이어"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (hooks_.associationsChanged) hooks_.associationsChanged();
    if (hooks_.prepareApplication) hooks_.prepareApplication(app);
    ShowStoreNotice();
    return runPlayer ? runPlayer(app, commandLine_) : 0;
}

void CTavoraPlayerApp::ShowStoreNotice() {
    // A damaged settings store was replaced while this process started (it said so on
    // stderr already): tell the user once, without holding up the start.
    const std::string notice = stored::StoreStartupNotice();
    if (notice.empty()) return;
    // Shown once the event loop runs, that is after the player's windows: shown before
    // them, it went beneath them as they came up.
    QTimer::singleShot(0, [notice] {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("타보라 플레이어"),
                                    QString::fromStdString(notice), QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
    });
}

namespace {
// TAVORA_HANDOFF_WAIT_SECONDS shortens or lengthens the wait (tests, slow machines).
std::chrono::milliseconds HandOffWait() {
    if (const char* text = std::getenv("TAVORA_HANDOFF_WAIT_SECONDS"); text && *text) {
        const long seconds = std::strtol(text, nullptr, 10);
        if (seconds > 0) return std::chrono::seconds(seconds);
    }
    return CTavoraPlayerApp::kHandOffWait;
}
}  // namespace

int CTavoraPlayerApp::HandOver() {
    // Nothing to hand over: the running player is left alone.
    if (commandLine_.empty()) return 0;
    const auto wait = HandOffWait();
    // Wait for the running player first, so that its start (which resets the count)
    // can never take back a number given out here; then take the next number and store
    // the argument under it in one step.
    if (!WaitForHandOffServer(wait)) {
        std::fprintf(stderr,
                     "tavoraplayer: another player is starting but did not become ready within %lld s; "
                     "\"%s\" was not handed over.\n",
                     static_cast<long long>(wait.count() / 1000), commandLine_.c_str());
        return 1;
    }
    std::optional<int> number;
    {
        number = stored::StoreHandOffArgument(commandLine_);
        if (!number) {
            const std::string why = stored::StoreProblem();
            std::fprintf(stderr,
                         "tavoraplayer: the settings store %s could not be written%s%s; \"%s\" was not handed over.\n",
                         stored::StoreFilePath().c_str(), why.empty() ? "" : ": ", why.c_str(), commandLine_.c_str());
            return 1;
        }
    }
    const auto reply = SendHandOff(msg::OutFileArrived, static_cast<uintptr_t>(*number), 0, wait);
    if (!reply) {
        std::fprintf(stderr,
                     "tavoraplayer: the running player did not take \"%s\" within %lld s.\n",
                     commandLine_.c_str(), static_cast<long long>(wait.count() / 1000));
        return 1;
    }
    return 0;
}

}  // namespace tavora
