#pragma once
// Where the file associations and the program's look join the start-up routine. The
// start-up routine owns one set; the Application fills it before Run().

#include <QApplication>

#include <functional>
#include <string>

namespace tavora {

// The stored association flags as read (the missing-value mark when absent).
struct AssociationFlags {
    int autoConnect = 0;
    int mp3 = 0, wma = 0, wav = 0, ogg = 0, cda = 0, pls = 0, m3u = 0;
};

struct StartupHooks {
    std::function<void(const AssociationFlags&, const std::string& programPath)> writeAssociations;
    std::function<void()> associationsChanged;  // refresh the desktop's databases
    std::function<void(QApplication&)> prepareApplication;  // fonts, styles
};

}  // namespace tavora
