#pragma once
// CTavoraPlayerApp: the start-up routine. It reads the association settings, keeps
// the command line, makes sure only one player runs, hands a later launch's command
// line to the running player, and otherwise runs the controller until it closes.

#include <chrono>
#include <string>

namespace tavora {

class CTavoraPlayerApp {
public:
    // `commandLine` is everything after the program name, unchanged.
    CTavoraPlayerApp(std::string programPath, std::string commandLine);

    // Runs the whole routine; the result is the process's exit status.
    int Run(int& argc, char** argv);

    // How long a later launch waits for the running player before giving up.
    static constexpr std::chrono::seconds kHandOffWait{30};

private:
    int HandOver();
    void ShowStoreNotice();
    void ApplyAssociationSettings();

    std::string programPath_;
    std::string commandLine_;
};

// Joins the arguments after the program name into one command line (single spaces).
std::string JoinCommandLine(int argc, char** argv);

}  // namespace tavora
