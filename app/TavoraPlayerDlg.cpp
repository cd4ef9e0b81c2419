#include "TavoraPlayerDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPainter>
#include <QThread>
#include <QTimerEvent>

#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "AudioLibrary.h"
#include "BackgroundJobs.h"
#include "Commands.h"
#include "ControllerAdding.h"
#include "PlaylistJobs.h"
#include "PlaylistModel.h"
#include "StreamPlayback.h"
#include "StreamProbe.h"
#include "HandOffArgument.h"
#include "HandOffChannel.h"
#include "Messages.h"
#include "Registry.h"
#include "RegistryKeys.h"

Q_LOGGING_CATEGORY(lcHandOff, "tavora.handoff", QtInfoMsg)
Q_LOGGING_CATEGORY(lcController, "tavora.controller", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStartup, "tavora.startup", QtWarningMsg)

namespace tavora {
namespace {
CTavoraPlayerDlg* g_controller = nullptr;

// Milliseconds since the process started (its start time in /proc is in clock ticks).
double ProcessUptimeMs() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22) {
            timespec now{};
            clock_gettime(CLOCK_BOOTTIME, &now);
            const double startMs = std::stod(field) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
            return now.tv_sec * 1000.0 + now.tv_nsec / 1e6 - startMs;
        }
    }
    return -1;
}
}

CTavoraPlayerDlg::CTavoraPlayerDlg(std::string commandLine, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), commandLine_(std::move(commandLine)) {
    g_controller = this;
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    audio_ = std::make_unique<AudioLibrary>();
    playlist_ = std::make_unique<PlaylistModel>();
    probe_ = std::make_unique<StreamProbe>(*audio_);
    playback_ = std::make_unique<StreamPlayback>(*this, *audio_, *playlist_);
    RegisterBuiltinCommands();
    RegisterPlaybackCommands();
    RegisterPlaylistCommands();
    RegisterSkinCommands();
    RegisterAddingCommands(*this);
}

CTavoraPlayerDlg::~CTavoraPlayerDlg() {
    OnDestroy();
    if (g_controller == this) g_controller = nullptr;
}

CTavoraPlayerDlg* CTavoraPlayerDlg::instance() { return g_controller; }

int CTavoraPlayerDlg::RunModal() {
    OnInitDialog();
    if (destroyed_) return 0;
    return QApplication::exec();
}

intptr_t CTavoraPlayerDlg::SendMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (QThread::currentThread() == thread()) return HandleMessage(message, wParam, lParam);
    intptr_t result = 0;
    QMetaObject::invokeMethod(
        this, [&] { result = HandleMessage(message, wParam, lParam); }, Qt::BlockingQueuedConnection);
    return result;
}

void CTavoraPlayerDlg::PostMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    QMetaObject::invokeMethod(
        this, [this, message, wParam, lParam] { HandleMessage(message, wParam, lParam); },
        Qt::QueuedConnection);
}

void CTavoraPlayerDlg::RegisterCommand(int id, CommandHandler handler) { commands_[id] = std::move(handler); }

void CTavoraPlayerDlg::RegisterTimer(int id, TimerHandler handler) { timerHandlers_[id] = std::move(handler); }

void CTavoraPlayerDlg::SetTimer(int id, int periodMs) { timers_[id].start(periodMs, this); }

void CTavoraPlayerDlg::KillTimer(int id) {
    if (auto it = timers_.find(id); it != timers_.end()) it->second.stop();
}

bool CTavoraPlayerDlg::IsTimerActive(int id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second.isActive();
}

intptr_t CTavoraPlayerDlg::HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (destroyed_) return 0;
    switch (message) {
    case msg::Command:
        OnCommand(static_cast<int>(wParam));
        return 0;
    case msg::Timer:
        OnTimer(static_cast<int>(wParam));
        return 0;
    case msg::OutFileLoad:
        OnOutFileLoad(static_cast<int>(wParam));
        return 0;
    case msg::Close:
        OnClose();
        return 0;
    default:
        qCDebug(lcController) << "message without a handler" << Qt::hex << message;
        return 0;
    }
}

void CTavoraPlayerDlg::OnCommand(int id) {
    auto it = commands_.find(id);
    if (it == commands_.end() || !it->second) {
        qCDebug(lcController) << "command" << id << QString::fromUtf8(cmd::CommandName(id).data())
                              << "has no action in this build";
        return;
    }
    it->second();
}

void CTavoraPlayerDlg::timerEvent(QTimerEvent* event) {
    for (auto& [id, t] : timers_) {
        if (t.timerId() == event->timerId()) {
            OnTimer(id);
            return;
        }
    }
    QWidget::timerEvent(event);
}

void CTavoraPlayerDlg::OnTimer(int id) {
    if (id == timer::kPosition && !state_.isPlaying) {
        // The position timer stops itself once nothing plays.
        KillTimer(id);
        return;
    }
    if (auto it = timerHandlers_.find(id); it != timerHandlers_.end() && it->second) it->second();
}

void CTavoraPlayerDlg::OnOutFileLoad(int number) {
    const int startOpen = ReadRegDwordOr(keys::kControl, "StartOpen", 1);
    const std::string text = ReadHandOffArgument(number);
    const HandOffArgument arg = ParseHandOffArgument(text);
    qCInfo(lcHandOff).noquote() << "argument" << number << QString::fromUtf8(text.c_str());
    auto call = [](const std::function<void(const std::string&)>& f, const std::string& path) {
        if (f) f(path);
    };
    switch (arg.kind) {
    case HandOffSwitch::Add:
        call(handOffTargets_.addFile, arg.operand);
        break;
    case HandOffSwitch::Start:
        if (number == 1 && startOpen) call(handOffTargets_.addFileAndPlayFirst, arg.operand);
        else call(handOffTargets_.addFile, arg.operand);
        break;
    case HandOffSwitch::List:
        call(handOffTargets_.loadM3u, arg.operand);
        break;
    case HandOffSwitch::Pls:
        call(handOffTargets_.loadPls, arg.operand);
        break;
    case HandOffSwitch::None:
        break;  // a bare path or anything else is ignored
    }
    emit handOffHandled(number, QString::fromUtf8(text.c_str()));
}

void CTavoraPlayerDlg::SetTitleText(const std::string& title) {
    state_.titleText = title;
    setWindowTitle(QString::fromUtf8(title.c_str()));
}

void CTavoraPlayerDlg::closeEvent(QCloseEvent* event) {
    // Closing by the window manager or the desktop session runs the same path as Exit.
    event->ignore();
    OnClose();
}

void CTavoraPlayerDlg::OnClose() {
    if (automationHeld_) {
        hide();
        return;
    }
    OnDestroy();
    QApplication::quit();
}

void CTavoraPlayerDlg::OnDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    for (int id = 1; id <= 5; ++id) KillTimer(id);
    // The workers go first: one may be inside the engine (opening an address, reading a
    // song), which the steps below free and unload.
    if (jobs_) jobs_->StopAll([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); });
    // Subsystems free what they hold (engine output, windows, tray icon, band, libraries)
    // in the order they registered.
    for (auto& step : shutdownSteps_)
        if (step) step();
    shutdownSteps_.clear();
    if (mainWindow_) mainWindow_->hide();
    if (playlistWindow_) playlistWindow_->hide();
    if (equalizerWindow_) equalizerWindow_->hide();
    hide();
    WriteRegDword(keys::kRoot, keys::kUpdateCheck, 0);
    WriteRegDword(keys::kOutFile, keys::kCount, 0);
}

void CTavoraPlayerDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        showMinimized();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return;  // swallowed: the controller has no default button
    default:
        QWidget::keyPressEvent(event);
    }
}

void CTavoraPlayerDlg::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (playlistWindow_ && playlistWindow_->isVisible()) playlistWindow_->activateWindow();
}

void CTavoraPlayerDlg::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    const QPoint now = pos();
    if (initialised_ && !lastPos_.isNull() && now != lastPos_) {
        const QPoint offset = now - lastPos_;
        // The docked playlist window follows; the playlist window reports docking
        // through its "docked" property.
        if (playlistWindow_ && playlistWindow_->property("dockedToMain").toBool())
            playlistWindow_->move(playlistWindow_->pos() + offset);
    }
    lastPos_ = now;
}

void CTavoraPlayerDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(20, 24, 32));
    if (!firstPaintReported_) {
        firstPaintReported_ = true;
        qCInfo(lcStartup, "first paint %.1f ms after start", ProcessUptimeMs());
    }
}

}  // namespace tavora
