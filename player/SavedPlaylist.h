#pragma once
// SavedPlaylist: the list of the last session, restored at start on a worker and saved
// at exit (the Save phase).
//
// The list is saved over the stored one only when it was loaded at all: restored to
// its end, or built from the command line and holding a row by then (a player that
// never restored its list would save an empty or partial one over the stored list; a
// load stopped at exit before its first row leaves the stored list as it was).
//
// Threading: create and use on the UI thread; loaded() may be read from any thread
// (the restoring job marks the list loaded on its own thread).

#include <QObject>

#include <atomic>
#include <functional>

namespace tavora {

class BackgroundJobs;
class CommandSink;
class PlaylistModel;
class ShutdownRegistrar;

class SavedPlaylist {
public:
    SavedPlaylist(BackgroundJobs& jobs, PlaylistModel& playlist, CommandSink& sink, ShutdownRegistrar& shutdown,
                  QObject* ui);

    // Registers the Save step.
    void Install();
    // Restores the saved list on a worker; `then` (if set) runs on the UI thread once
    // every saved row is in the list and restoring() is false again, unless the player
    // is shutting down by then. The list's playing row plays when beginPlay is set.
    void Restore(bool beginPlay, std::function<void()> then);
    bool restoring() const { return restoring_; }

    void MarkLoaded() { loaded_ = true; }
    bool loaded() const { return loaded_; }
    // The command line builds the list: it replaces the stored one once it has a row.
    void ReplaceStoredList() { replacing_ = true; }

private:
    BackgroundJobs& jobs_;
    PlaylistModel& playlist_;
    CommandSink& sink_;
    ShutdownRegistrar& shutdown_;
    QObject* ui_;
    std::atomic<bool> loaded_{false};
    bool restoring_ = false;   // UI thread
    bool replacing_ = false;   // UI thread
};

}  // namespace tavora
