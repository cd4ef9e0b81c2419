#pragma once
// CTavoraPlayerApp: the start-up routine. It reads the association settings, keeps
// the command line, makes sure only one player runs, hands a later launch's command
// line to the running player, and otherwise makes the application object and runs
// the player (the Application's RunPlayer) until it closes.

#include <chrono>
#include <functional>
#include <string>

#include "StartupHooks.h"

namespace tavora {

class CTavoraPlayerApp {
public:
    // `commandLine` is everything after the program name, unchanged.
    CTavoraPlayerApp(std::string programPath, std::string commandLine);

    StartupHooks& hooks() { return hooks_; }

    // Runs the whole routine; the result is the process's exit status. `runPlayer`
    // runs the first instance's player once the application object exists, with the
    // command line it is to act on (empty when the routine set it aside).
    using PlayerRun = std::function<int(QApplication&, const std::string& commandLine)>;
    int Run(int& argc, char** argv, const PlayerRun& runPlayer);

    // How long a later launch waits for the running player before giving up.
    static constexpr std::chrono::seconds kHandOffWait{30};

private:
    int HandOver();
    void ShowStoreNotice();
    void ApplyAssociationSettings();

    std::string programPath_;
    std::string commandLine_;
    StartupHooks hooks_;
};

// Joins the arguments after the program name into one command line (single spaces).
std::string JoinCommandLine(int argc, char** argv);

}  // namespace tavora
