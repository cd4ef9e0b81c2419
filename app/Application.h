#pragma once
// Application: the one place the player is put together. main() makes one and runs
// it; it runs the start-up routine (single instance, hand-off), builds the
// controller, installs the features on its context (PlayerContext.h) in the order of
// the feature list, and runs it until it closes. The test harness assembles players
// from the same list.
//
// Nothing is reached through a process-wide object.
//
// UI thread only.

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "PlayerContext.h"

class QApplication;

namespace tavora {

class CTavoraPlayerDlg;

// One feature of the player: its name and its install.
struct Feature {
    std::string_view name;
    InstallFunction install;
    bool programOnly = false;  // only the program itself installs it (the session bus)
};

class Application {
public:
    Application(std::string programPath, std::string commandLine);
    ~Application();

    // The features, in the order they are installed.
    static std::span<const Feature> Features();

    // The whole program; the result is the process's exit status.
    int Run(int& argc, char** argv);

    // Builds the controller and installs the features `wanted` picks (every feature but
    // those only the program installs, when not given). A QApplication must exist.
    // The controller initialises when it runs (RunModal) or when OnInitDialog is called.
    CTavoraPlayerDlg& Assemble(const std::function<bool(const Feature&)>& wanted = {});
    CTavoraPlayerDlg& controller() { return *controller_; }

    // Ends the player: the controller's shutdown phases run, then it is destroyed.
    void Close();

private:
    int RunPlayer(QApplication& app);

    std::string programPath_;
    std::string commandLine_;
    std::unique_ptr<CTavoraPlayerDlg> controller_;
};

}  // namespace tavora
