#pragma once
// Application: the one place the player is put together. main() makes one and runs
// it; it runs the start-up routine (single instance, hand-off), builds the
// controller, joins the subsystems to it and runs it until it closes.
//
// Joining means handing each part the narrow face it needs and nothing more: the
// windows get the controller as CommandSink, its PlaybackView and its PlayerEvents;
// the playback's callbacks (PlaybackViews) become PlayerEvents signals; the window
// steps of the controller's initialisation (ControllerHooks) create the windows.
// Nothing is reached through a process-wide object.
//
// UI thread only.

#include <memory>
#include <string>

class QApplication;

namespace tavora {

class CTavoraPlayerDlg;
class DesktopShell;

class Application {
public:
    Application(std::string programPath, std::string commandLine);
    ~Application();

    // The whole program; the result is the process's exit status.
    int Run(int& argc, char** argv);

    // Builds the controller and joins the subsystems to it (a QApplication must exist).
    // The controller initialises when it runs (RunModal) or when OnInitDialog is called.
    CTavoraPlayerDlg& Assemble();
    CTavoraPlayerDlg& controller() { return *controller_; }

    // Ends the player: the controller's shutdown phases run, then it is destroyed.
    void Close();

private:
    int RunPlayer(QApplication& app);

    std::string programPath_;
    std::string commandLine_;
    std::unique_ptr<CTavoraPlayerDlg> controller_;
    DesktopShell* shell_ = nullptr;  // owned by the controller
};

}  // namespace tavora
