#pragma once
// PlaylistCommands: the job service and the list's bulk jobs, with the commands that
// change the list (shuffle order, delete all, the title passes) and the hand-off
// switches (add, add and play, load an M3U or PLS list handed over by another launch).
//
// At shutdown (StopWork) it cancels the jobs and joins them, pumping events, for at
// most kJobStopLimit; a job that did not stop by then is left running and
// workersAbandoned() says so (the engine is then not freed under it).
//
// Threading: create and use on the UI thread; the jobs report back through the sink
// and RunOnUiThread.

#include <QObject>

#include <chrono>
#include <memory>

#include "ShutdownRegistrar.h"

namespace tavora {

class BackgroundJobs;
class CommandRegistry;
class CommandSink;
class PlaylistJobs;
class PlaylistModel;
class Settings;
class StreamPlayback;
class StreamProbe;
struct PlaybackState;

class PlaylistCommands {
public:
    // How long the shutdown waits for the worker jobs before it goes on without them.
    static constexpr std::chrono::milliseconds kJobStopLimit{3000};

    struct Parts {
        CommandRegistry& commands;
        CommandSink& sink;
        ShutdownRegistrar& shutdown;
        PlaylistModel& playlist;
        const StreamProbe& probe;
        StreamPlayback& playback;
        const Settings& settings;
        PlaybackState& state;
        QObject* ui;  // lives on the UI thread; played rows run there
    };

    explicit PlaylistCommands(Parts parts);
    ~PlaylistCommands();

    // Registers the commands and the StopWork step.
    void Install();

    BackgroundJobs& jobs() { return *jobs_; }
    PlaylistJobs& listJobs() { return *listJobs_; }
    bool workersAbandoned() const { return workersAbandoned_; }

private:
    // Adds a handed-over path; the row added, -1 for an archive (listed by a job).
    int AddAndRetitle(const std::string& path, bool play);
    void StopWork();

    Parts parts_;
    std::unique_ptr<PlaylistJobs> listJobs_;
    std::unique_ptr<BackgroundJobs> jobs_;  // destroyed first: it joins the jobs using the above
    bool workersAbandoned_ = false;
};

}  // namespace tavora
