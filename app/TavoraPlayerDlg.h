#pragma once
// CTavoraPlayerDlg: the player's controller. It owns the playback state, the three
// skinned windows, the engine and the hand-off socket, and runs every command. Its
// parts do the work: the list's commands and jobs (PlaylistCommands), the saved
// playlist (SavedPlaylist), the handed-over arguments (HandOffDispatch) and the
// engine's start and shutdown steps (EngineSteps.h).
//
// The user never sees it as a window of its own: it is a frameless top-level window
// one pixel high at the main window's top-left whose only visible trace is its
// taskbar button, titled with the song playing. The skinned windows are tool windows
// transient for it.
//
// Commands. Everything the user does ends up as a command with its data, sent
// through the controller's CommandSink face (Send runs it at once on the UI thread,
// from a worker thread it waits until the UI thread has run it; Post queues it).
// Features register their handlers through the CommandRegistry face, so this class
// stays the single place every command passes through. The hand-off socket's numbers
// become commands where they arrive.
//
// The features reach the player only through context() (PlayerContext.h): the
// command sink and registry, the playback view, the events, the jobs, the settings,
// the start and shutdown steps, the timers and the window set. The Application
// (Application.h) builds the controller and installs the features on its context.
//
// Shutdown runs in the phases of ShutdownPhase.h; features add their steps with
// AddShutdownStep(phase, step).
//
// Threading: create, use and destroy on the UI thread; Send/Post may be called from
// any thread. Handlers always run on the UI thread.

#include <QRect>
#include <QWidget>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CommandSink.h"
#include "PlaylistCommands.h"
#include "PlaybackState.h"
#include "PlayerContext.h"
#include "Settings.h"
#include "SavedPlaylist.h"
#include "ShutdownPhase.h"

namespace tavora {

class AudioLibrary;
class BackgroundJobs;
class CommandRouter;
class ControllerView;
class PlayerTimerSet;
class PlayerWindowSet;
class ShutdownSequence;
class StartupSequence;
class HandOffDispatch;
class HandOffServer;
class PlaybackView;
class PlayerEvents;
class PlaylistJobs;
class PlaylistModel;
class PlaylistModelSignals;
class ProgramInfoWindow;
class StreamPlayback;
class StreamProbe;

class CTavoraPlayerDlg : public QWidget, public CommandSink, public ShutdownRegistrar {
    Q_OBJECT
public:
    explicit CTavoraPlayerDlg(std::string commandLine, QWidget* parent = nullptr);
    ~CTavoraPlayerDlg() override;

    static CTavoraPlayerDlg* instance();

    // Runs the initialisation, then the event loop until the controller is closed.
    int RunModal();
    // The initialisation alone (tests run it without an event loop of their own).
    void OnInitDialog();

    // CommandSink.
    void Send(cmd::Command command, CommandData data = {}) override;
    void Post(cmd::Command command, CommandData data = {}) override;
    void SendCommand(cmd::Command command, CommandData data = {}) { Send(command, std::move(data)); }

    // The command registry (the router's).
    using CommandHandler = CommandRegistry::CommandHandler;
    void RegisterCommand(cmd::Command id, CommandHandler handler);
    void RegisterCommand(cmd::Command id, std::function<void()> handler);
    bool HasCommand(cmd::Command id) const;
    // The timers (the timer set's).
    void RegisterTimer(int id, PlayerTimers::TimerHandler handler);
    void SetTimer(int id, int periodMs);
    void KillTimer(int id);
    bool IsTimerActive(int id) const;

    // ShutdownRegistrar: what a feature frees at shutdown, under its phase.
    void AddShutdownStep(ShutdownPhase phase, std::function<void()> step) override;
    bool ShuttingDown() const override { return destroyed_; }
    void SetHeldOpen(bool held) override { SetAutomationHeld(held); }
    // The start's steps.
    void AddStartupStep(StartupStep step, std::function<void()> run);
    // How long the shutdown waits for the worker jobs before it goes on without them.
    static constexpr std::chrono::milliseconds kJobStopLimit = PlaylistCommands::kJobStopLimit;
    // Whether a worker job was still running when the shutdown went on without it.
    bool workersAbandoned() const { return listCommands_->workersAbandoned(); }

    // What the features are installed on.
    PlayerContext& context() { return *context_; }
    PlayerEvents& events() { return *events_; }
    const PlaybackView& view() const;

    // Set when the saved playlist has been restored (or the command line stood in for
    // it): only then may the list be saved over the stored one.
    void MarkPlaylistLoaded() { savedList_->MarkLoaded(); }
    bool playlistLoaded() const { return savedList_->loaded(); }
    // While the saved playlist is being restored, handed-over arguments wait and then
    // run in their order, so that what they add lands after the restored rows.
    bool restoringPlaylist() const { return savedList_->restoring(); }

    PlaybackState& state() { return state_; }
    AudioLibrary& audio() { return *audio_; }
    PlaylistModel& playlist() { return *playlist_; }
    StreamPlayback& playback() { return *playback_; }
    const Settings& settings() const { return settings_; }
    // The options dialog changes the live settings (and the state's mirror of them).
    Settings& settings() { return settings_; }
    const std::string& commandLine() const { return commandLine_; }
    bool isDestroyed() const { return destroyed_; }
    HandOffServer* handOffServer() const { return handOff_; }

    // The skinned windows, once created (null before, and while a feature is absent).
    WindowHost& windows();
    void SetMainWindow(QWidget* w);
    void SetPlaylistWindow(QWidget* w);
    QWidget* mainWindow() const;
    QWidget* playlistWindow() const;
    QWidget* equalizerWindow() const;
    QRect mainRect() const;
    bool playlistDocked() const;
    ProgramInfoWindow* programInfoWindow() const { return infoWindow_; }

    void SetTitleText(const std::string& title);
    // While an automation client holds the player, closing only hides the controller;
    // a close asked for meanwhile is carried out when the last client lets go.
    void SetAutomationHeld(bool held);
    bool automationHeld() const { return automationHeld_; }
    // Ends the player whoever holds it, saving everything as Exit does: a TERM, INT or
    // HUP signal, the session's end. Only a close (the window's, Exit) waits for the
    // automation clients.
    void End() override;

signals:
    // Emitted for every handed-over argument the controller has dispatched.
    void handOffHandled(int number, const QString& argument);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnCommand(cmd::Command id, const CommandData& data = {});
    void FollowPlayingRowTitle(int first, int count);
    void RunStartupStep(StartupStep step);
    void OnClose();
    void OnDestroy();
    void RegisterBuiltinCommands();
    void RegisterPlaybackCommands();
    bool CheckEngineVersion();

public:
    // Opens paths decode-only to measure them (any thread).
    const StreamProbe& streamProbe() const { return *probe_; }
    BackgroundJobs& jobs() { return listCommands_->jobs(); }
    PlaylistJobs& playlistJobs() { return listCommands_->listJobs(); }

private:
    void ShowProgramInfo();
    void ApplyTaskbarOptions();

    std::string commandLine_;
    PlaybackState state_;
    Settings settings_;
    std::unique_ptr<AudioLibrary> audio_;
    std::unique_ptr<PlaylistModel> playlist_;
    std::unique_ptr<StreamPlayback> playback_;
    std::unique_ptr<StreamProbe> probe_;
    std::unique_ptr<ControllerView> view_;
    std::unique_ptr<PlaylistCommands> listCommands_;  // destroyed first: it joins the jobs using the above
    std::unique_ptr<SavedPlaylist> savedList_;
    std::unique_ptr<HandOffDispatch> handOffs_;
    PlayerEvents* events_ = nullptr;
    PlaylistModelSignals* listSignals_ = nullptr;
    CommandRouter* commands_ = nullptr;  // children: they live on the UI thread with it
    PlayerTimerSet* timers_ = nullptr;
    std::unique_ptr<PlayerWindowSet> windows_;
    std::unique_ptr<StartupSequence> startup_;
    std::unique_ptr<ShutdownSequence> shutdown_;
    std::unique_ptr<PlayerContext> context_;
    HandOffServer* handOff_ = nullptr;
    ProgramInfoWindow* infoWindow_ = nullptr;
    bool initialised_ = false;
    bool firstPaintReported_ = false;
    bool destroyed_ = false;
    bool automationHeld_ = false;
    bool closeWhenReleased_ = false;
};

}  // namespace tavora
