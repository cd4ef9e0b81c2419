#pragma once
// CTavoraPlayerDlg: the player's controller. It owns the playback state, the three
// skinned windows, the engine and the hand-off socket, and runs every command.
//
// The user never sees it as a window of its own: it is a frameless top-level window
// one pixel high at the main window's top-left whose only visible trace is its
// taskbar button, titled with the song playing. The skinned windows are tool windows
// transient for it.
//
// Messages. Everything the user does ends up as a message to the controller:
// SendMessage() runs it at once on the UI thread and returns its result; called
// from a worker thread it waits until the UI thread has run it. PostMessage() queues
// it and returns at once. Command messages (msg::Command, wParam = command id) go to
// the handler registered for the id; subsystems register their handlers with
// RegisterCommand() when they are created, so this class stays the single place
// every command passes through.
//
// Threading: create, use and destroy on the UI thread; SendMessage/PostMessage may be
// called from any thread. Handlers always run on the UI thread.

#include <QBasicTimer>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "PlaybackState.h"
#include "PlayerSettings.h"

namespace tavora {

class AudioLibrary;
class BackgroundJobs;
class HandOffServer;
class PlaylistJobs;
class PlaylistModel;
class ProgramInfoWindow;
class StreamPlayback;
class StreamProbe;

// What the hand-off switches do with their operand. The playlist fills these in;
// until it has, handed-over arguments are only recorded.
struct HandOffTargets {
    std::function<void(const std::string& path)> addFile;           // "-add", and "-s" when not played
    std::function<void(const std::string& path)> addFileAndPlayFirst;  // "-s" as the first argument
    std::function<void(const std::string& path)> loadM3u;           // "-list"
    std::function<void(const std::string& path)> loadPls;           // "-pls"
};

class CTavoraPlayerDlg : public QWidget {
    Q_OBJECT
public:
    explicit CTavoraPlayerDlg(std::string commandLine, QWidget* parent = nullptr);
    ~CTavoraPlayerDlg() override;

    static CTavoraPlayerDlg* instance();

    // Runs the initialisation, then the event loop until the controller is closed.
    int RunModal();
    // The initialisation alone (tests run it without an event loop of their own).
    void OnInitDialog();

    intptr_t SendMessage(unsigned message, uintptr_t wParam = 0, intptr_t lParam = 0);
    void PostMessage(unsigned message, uintptr_t wParam = 0, intptr_t lParam = 0);
    void SendCommand(int id) { SendMessage(0x0111u, static_cast<uintptr_t>(id)); }

    using CommandHandler = std::function<void()>;
    void RegisterCommand(int id, CommandHandler handler);
    bool HasCommand(int id) const { return commands_.count(id) != 0; }
    using TimerHandler = std::function<void()>;
    void RegisterTimer(int id, TimerHandler handler);
    void SetTimer(int id, int periodMs);
    void KillTimer(int id);
    bool IsTimerActive(int id) const;

    // Cleanup steps of other subsystems, run in order during destruction.
    void AddShutdownStep(std::function<void()> step) { shutdownSteps_.push_back(std::move(step)); }

    void SetHandOffTargets(HandOffTargets targets) { handOffTargets_ = std::move(targets); }

    PlaybackState& state() { return state_; }
    AudioLibrary& audio() { return *audio_; }
    PlaylistModel& playlist() { return *playlist_; }
    StreamPlayback& playback() { return *playback_; }
    const PlayerSettings& settings() const { return settings_; }
    const std::string& commandLine() const { return commandLine_; }
    bool isDestroyed() const { return destroyed_; }
    HandOffServer* handOffServer() const { return handOff_; }

    // The skinned windows, once created (null before, and while a subsystem is absent).
    void SetMainWindow(QWidget* w) { mainWindow_ = w; }
    void SetPlaylistWindow(QWidget* w) { playlistWindow_ = w; }
    void SetEqualizerWindow(QWidget* w) { equalizerWindow_ = w; }
    QWidget* mainWindow() const { return mainWindow_; }
    QWidget* playlistWindow() const { return playlistWindow_; }
    QWidget* equalizerWindow() const { return equalizerWindow_; }
    QRect mainRect() const { return mainRect_; }
    QRect equalizerRect() const { return equalizerRect_; }
    ProgramInfoWindow* programInfoWindow() const { return infoWindow_; }

    void SetTitleText(const std::string& title);
    // While an automation client holds the player, closing only hides the controller.
    void SetAutomationHeld(bool held) { automationHeld_ = held; }

signals:
    // Emitted for every handed-over argument the controller has dispatched.
    void handOffHandled(int number, const QString& argument);

protected:
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    intptr_t HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);
    void OnCommand(int id);
    void OnTimer(int id);
    void OnOutFileLoad(int number);
    void OnClose();
    void OnDestroy();
    void RegisterBuiltinCommands();
    void RegisterPlaybackCommands();
    void RegisterPlaylistCommands();
    void RegisterSkinCommands();
    void InstallEngineSteps();

public:
    // Opens paths decode-only to measure them (any thread).
    const StreamProbe& streamProbe() const { return *probe_; }
    BackgroundJobs& jobs() { return *jobs_; }
    PlaylistJobs& playlistJobs() { return *listJobs_; }

private:
    void ApplyAlwaysTop();
    void BringToFrontIfOurs(QWidget* target);
    void ShowProgramInfo();
    void PlaceAtStart();
    void RunCommandLine();
    void ApplyTaskbarOptions();

    std::string commandLine_;
    PlaybackState state_;
    PlayerSettings settings_;
    std::unique_ptr<AudioLibrary> audio_;
    std::unique_ptr<PlaylistModel> playlist_;
    std::unique_ptr<StreamPlayback> playback_;
    std::unique_ptr<StreamProbe> probe_;
    std::unique_ptr<PlaylistJobs> listJobs_;
    std::unique_ptr<BackgroundJobs> jobs_;  // destroyed first: it joins the jobs using the above
    HandOffTargets handOffTargets_;
    std::map<int, CommandHandler> commands_;
    std::map<int, TimerHandler> timerHandlers_;
    std::map<int, QBasicTimer> timers_;
    std::vector<std::function<void()>> shutdownSteps_;
    HandOffServer* handOff_ = nullptr;
    ProgramInfoWindow* infoWindow_ = nullptr;
    QWidget* mainWindow_ = nullptr;
    QWidget* playlistWindow_ = nullptr;
    QWidget* equalizerWindow_ = nullptr;
    QRect mainRect_;
    QRect equalizerRect_;
    QPoint lastPos_;
    bool initialised_ = false;
    bool firstPaintReported_ = false;
    bool destroyed_ = false;
    bool automationHeld_ = false;
};

}  // namespace tavora
