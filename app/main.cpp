// tavoraplayer: the program's entry point.
#include <QFont>

#include <cstdlib>
#include <filesystem>

#include "MainWindowInstall.h"
#include "PlaylistWindowInstall.h"
#include "StartupHooks.h"
#include "StartupRoutine.h"

int main(int argc, char** argv) {
    // The skinned windows place themselves at absolute positions and dock to each
    // other, which only X11 allows; Wayland sessions run us through XWayland.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);
    tavora::StartupHooks::get().prepareApplication = [](QApplication&) {
        // Skins name Windows fonts; map them to an installed Korean font.
        for (const char* family : {"굴림", "Gulim", "굴림체", "돋움", "Dotum", "바탕"})
            QFont::insertSubstitution(QString::fromUtf8(family), QStringLiteral("NanumGothic"));
    };
    std::error_code ec;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    tavora::CTavoraPlayerApp app(ec ? std::string(argv[0]) : self, tavora::JoinCommandLine(argc, argv));
    tavora::InstallMainWindow();
    tavora::InstallPlaylistWindow();
    return app.Run(argc, argv);
}
