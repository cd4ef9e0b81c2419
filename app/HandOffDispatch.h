#pragma once
// HandOffDispatch: the arguments handed over by a later launch (and this launch's own
// command line) become commands.
//
// The hand-off socket is served once the main window exists: a later launch finds the
// running player by it. This launch's command line is stored under a hand-off number
// taken before the socket listens, so a later launch can only get the numbers after
// it. While the saved playlist is being restored, arrived arguments wait and then run
// in their order, so that what they add lands after the restored rows.
//
// Threading: UI thread.

#include <QObject>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavora {

class CommandRouter;
class HandOffServer;
class SavedPlaylist;
class Settings;
struct PlaybackState;

class HandOffDispatch {
public:
    struct Parts {
        CommandRouter& commands;
        Settings& settings;
        const PlaybackState& state;  // what an old toggle's number turns into
        SavedPlaylist& savedList;
        std::string commandLine;
        // Called for every argument dispatched, with its number and text.
        std::function<void(int number, const std::string& argument)> handled;
    };

    explicit HandOffDispatch(Parts parts);

    // Creates the hand-off socket (a child of `parent`), reserves the command line's
    // number and starts listening.
    HandOffServer* Listen(QObject* parent);
    // Runs the handed-over argument `number` (or queues it during the restore).
    void Load(int number);
    // The command line, or the playlist of the last session.
    void RunCommandLine(bool beginPlay);

    const std::string& commandLine() const { return parts_.commandLine; }

private:
    void ReserveCommandLineNumber();
    void EndRestore(const std::function<void()>& then);

    Parts parts_;
    std::optional<int> commandLineNumber_;
    bool commandLineNumberTaken_ = false;
    std::vector<int> waiting_;  // argument numbers, in arrival order
};

}  // namespace tavora
