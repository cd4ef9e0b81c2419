#include "TavoraPlayerDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPainter>
#include <QThread>

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <sstream>

#include "AudioLibrary.h"
#include "BackgroundJobs.h"
#include "Commands.h"
#include "ControllerAdding.h"
#include "CommandRouter.h"
#include "PlayerSequences.h"
#include "PlayerTimerSet.h"
#include "ControllerView.h"
#include "PlayerEvents.h"
#include "PlayerWindowSet.h"
#include "PlaylistEntry.h"
#include "PlaylistJobs.h"
#include "PlaylistModel.h"
#include "PlaylistModelSignals.h"
#include "StreamPlayback.h"
#include "StreamProbe.h"
#include "HandOffDispatch.h"
#include "Messages.h"
#include "PlayerStateSettings.h"
#include "StoredValues.h"
#include "UiThread.h"

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
    events_ = new PlayerEvents(this);
    commands_ = new CommandRouter(this);
    timers_ = new PlayerTimerSet(this);
    // The position timer stops itself once nothing plays.
    timers_->SetGuard([this](int id) { return id != timer::kPosition || state_.isPlaying; });
    startup_ = std::make_unique<StartupSequence>();
    shutdown_ = std::make_unique<ShutdownSequence>();
    audio_ = std::make_unique<AudioLibrary>();
    playlist_ = std::make_unique<PlaylistModel>();
    probe_ = std::make_unique<StreamProbe>(*audio_);
    playback_ = std::make_unique<StreamPlayback>(
        PlaybackHost{[this](int id, int periodMs) { SetTimer(id, periodMs); }, [this](int id) { KillTimer(id); },
                     [this](const std::string& title) { SetTitleText(title); },
                     [this] { return reinterpret_cast<void*>(winId()); }, this},
        *audio_, *playlist_, state_, *events_, *probe_);
    view_ = std::make_unique<ControllerView>(state_, *playback_, *audio_, *playlist_);
    windows_ = std::make_unique<PlayerWindowSet>(*this, state_, *events_, settings_);
    // What the playback reports goes out as events; whoever shows it listens.
    PlaybackViews& views = playback_->views();
    PlayerEvents& events = *events_;
    views.refreshMain = [&events] { emit events.displayChanged(); };
    views.startMainTimers = [&events] { emit events.playbackStarted(); };
    views.volumeTooltip = [&events](const std::string& text) { emit events.volumeText(QString::fromStdString(text)); };
    views.positionTooltip = [&events](const std::string& text) {
        emit events.positionText(QString::fromStdString(text));
    };
    views.ensureRowVisible = [&events](int row) { emit events.playingRowChanged(row); };
    views.repaintList = [&events] { emit events.listChanged(); };
    views.stopped = [&events] { emit events.playbackStopped(); };
    // The main window's moves drag the docked playlist along (see moveEvent).
    connect(events_, &PlayerEvents::mainWindowRectChanged, this,
            [this](const QRect& rect) { windows_->FollowMainWindow(rect); });
    // A playing row re-titled from its tags retitles the display too.
    listSignals_ = new PlaylistModelSignals(*playlist_, this);
    connect(listSignals_, &PlaylistModelSignals::rowsChanged, this, &CTavoraPlayerDlg::FollowPlayingRowTitle,
            Qt::QueuedConnection);
    RegisterBuiltinCommands();
    RegisterPlaybackCommands();
    listCommands_ = std::make_unique<PlaylistCommands>(PlaylistCommands::Parts{
        *commands_, *commands_, *this, *playlist_, *probe_, *playback_, settings_, state_, this});
    listCommands_->Install();
    savedList_ = std::make_unique<SavedPlaylist>(listCommands_->jobs(), *playlist_, *commands_, *this, this);
    savedList_->Install();
    handOffs_ = std::make_unique<HandOffDispatch>(HandOffDispatch::Parts{
        *commands_, settings_, state_, *savedList_, commandLine_, [this](int number, const std::string& argument) {
            emit handOffHandled(number, QString::fromUtf8(argument.c_str()));
        }});
    RegisterAddingCommands(*this);
    context_ = std::unique_ptr<PlayerContext>(new PlayerContext{*commands_, *commands_, *view_, *events_, jobs(),
                                                                settings_, *this, *startup_, *timers_,
                                                                *windows_, *playback_, *playlist_, *audio_,
                                                                std::string()});
}

CTavoraPlayerDlg::~CTavoraPlayerDlg() {
    OnDestroy();
    if (workersAbandoned()) {
        // A worker that would not stop still uses the model, the engine and this
        // controller, which cannot be destroyed under it. Everything is saved by now.
        qCWarning(lcController) << "ending the process with a worker job still running";
        std::fflush(nullptr);
        std::_Exit(0);
    }
    // The model goes before the windows that are our children: nothing may listen now.
    delete listSignals_;
    listSignals_ = nullptr;
    if (g_controller == this) g_controller = nullptr;
}

CTavoraPlayerDlg* CTavoraPlayerDlg::instance() {
    return g_controller;
}

int CTavoraPlayerDlg::RunModal() {
    OnInitDialog();
    if (destroyed_) return 0;
    return QApplication::exec();
}

void CTavoraPlayerDlg::Send(cmd::Command command, CommandData data) {
    commands_->Send(command, std::move(data));
}

void CTavoraPlayerDlg::Post(cmd::Command command, CommandData data) {
    commands_->Post(command, std::move(data));
}

void CTavoraPlayerDlg::RegisterCommand(cmd::Command id, CommandHandler handler) {
    commands_->RegisterCommand(id, std::move(handler));
}

void CTavoraPlayerDlg::RegisterCommand(cmd::Command id, std::function<void()> handler) {
    commands_->RegisterCommand(id, std::move(handler));
}

bool CTavoraPlayerDlg::HasCommand(cmd::Command id) const {
    return commands_->HasCommand(id);
}

void CTavoraPlayerDlg::OnCommand(cmd::Command id, const CommandData& data) {
    commands_->Run(id, data);
}

void CTavoraPlayerDlg::AddShutdownStep(ShutdownPhase phase, std::function<void()> step) {
    shutdown_->Add(phase, std::move(step));
}

void CTavoraPlayerDlg::AddStartupStep(StartupStep step, std::function<void()> run) {
    startup_->AddStartupStep(step, std::move(run));
}

void CTavoraPlayerDlg::RunStartupStep(StartupStep step) {
    startup_->Run(step);
}

WindowHost& CTavoraPlayerDlg::windows() {
    return *windows_;
}

void CTavoraPlayerDlg::SetMainWindow(QWidget* w) {
    windows_->AddWindow(PlayerWindow::Main, w);
}

void CTavoraPlayerDlg::SetPlaylistWindow(QWidget* w) {
    windows_->AddWindow(PlayerWindow::Playlist, w);
}

QRect CTavoraPlayerDlg::mainRect() const {
    return windows_->MainRect();
}

QWidget* CTavoraPlayerDlg::mainWindow() const {
    return windows_->Window(PlayerWindow::Main);
}

QWidget* CTavoraPlayerDlg::playlistWindow() const {
    return windows_->Window(PlayerWindow::Playlist);
}

QWidget* CTavoraPlayerDlg::equalizerWindow() const {
    return windows_->Window(PlayerWindow::Equalizer);
}

const PlaybackView& CTavoraPlayerDlg::view() const {
    return *view_;
}

bool CTavoraPlayerDlg::playlistDocked() const {
    return events_->playlistDocked();
}

void CTavoraPlayerDlg::RegisterTimer(int id, PlayerTimers::TimerHandler handler) {
    timers_->RegisterTimer(id, std::move(handler));
}

void CTavoraPlayerDlg::SetTimer(int id, int periodMs) {
    timers_->SetTimer(id, periodMs);
}

void CTavoraPlayerDlg::KillTimer(int id) {
    timers_->KillTimer(id);
}

bool CTavoraPlayerDlg::IsTimerActive(int id) const {
    return timers_->IsTimerActive(id);
}


void CTavoraPlayerDlg::SetTitleText(const std::string& title) {
    const bool changed = title != state_.titleText;
    state_.titleText = title;
    setWindowTitle(QString::fromUtf8(title.c_str()));
    if (changed) emit events_->titleChanged(QString::fromUtf8(title.c_str()));
}

void CTavoraPlayerDlg::FollowPlayingRowTitle(int first, int count) {
    // Stream titles come from the stream itself; only a file's row gives its title.
    if (destroyed_ || !(state_.isPlaying || state_.isPaused) || state_.isUrlStream) return;
    const int row = playlist_->MarkedRow();
    if (row < 0 || row < first || row >= first + count) return;
    const std::string title = playlist_->GetEntryField(row, kColumnTitle);
    if (title.empty() || title == state_.titleText) return;
    SetTitleText(title);
    emit events_->displayChanged();
}

void CTavoraPlayerDlg::closeEvent(QCloseEvent* event) {
    // Closing by the window manager or the desktop session runs the same path as Exit.
    event->ignore();
    OnClose();
}

void CTavoraPlayerDlg::SetAutomationHeld(bool held) {
    automationHeld_ = held;
    if (!held && closeWhenReleased_ && !destroyed_) {
        closeWhenReleased_ = false;
        // Not from inside the caller (a D-Bus call or a bus notification).
        RunLaterOnUiThread(this, [this] {
            if (!destroyed_) OnClose();
        });
    }
}

void CTavoraPlayerDlg::End() {
    if (destroyed_) return;
    automationHeld_ = false;
    closeWhenReleased_ = false;
    OnClose();
}

void CTavoraPlayerDlg::OnClose() {
    if (automationHeld_) {
        closeWhenReleased_ = true;
        hide();
        windows_->HideWindows();
        return;
    }
    OnDestroy();
    QApplication::quit();
}

void CTavoraPlayerDlg::OnDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    commands_->Stop();  // no command runs from here on
    for (int phase = 0; phase < kShutdownPhaseCount; ++phase) {
        const auto which = static_cast<ShutdownPhase>(phase);
        emit events_->shutdownPhase(which);
        if (which == ShutdownPhase::StopPlayback)
            for (int id = 1; id <= 5; ++id) KillTimer(id);
        shutdown_->Run(which);
        if (which == ShutdownPhase::Save) {
            SavePlayerState(settings_, state_);
            stored::ClearUpdateCheck();
            stored::ResetHandOffCount();
        }
    }
    windows_->HideWindows();
    hide();
}

void CTavoraPlayerDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        OnCommand(cmd::Minimize);  // with the band's hand-over
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
    if (QWidget* list = playlistWindow(); list && list->isVisible()) list->activateWindow();
}

void CTavoraPlayerDlg::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    windows_->OwnerMoved(initialised_);
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
