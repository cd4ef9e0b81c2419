// tavoraplayer: the program's entry point.
#include <cstdlib>
#include <filesystem>

#include "Application.h"
#include "InformationOptions.h"
#include "StartupRoutine.h"

int main(int argc, char** argv) {
    if (const auto status = tavora::HandleInformationOption(argc, argv, stdout)) return *status;
    // The skinned windows place themselves at absolute positions and dock to each
    // other, which only X11 allows; Wayland sessions run us through XWayland.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);
    std::error_code ec;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    tavora::Application app(ec ? std::string(argv[0]) : self, tavora::JoinCommandLine(argc, argv));
    return app.Run(argc, argv);
}
