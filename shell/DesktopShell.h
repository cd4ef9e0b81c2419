#pragma once
// The player in the desktop shell: the tray icon and its menu, the three hide modes
// (tray only, taskbar only, both), the minimise with the hand-over to the band
// program, and the band's requests. Made by the shell's install: it joins the start's
// band and tray steps, registers the minimise and hide commands, and follows the
// playback-stopped and shutdown events. The taskbar widget it hides and shows is the
// window set's owner.
//
// Threading: UI thread only.

#include <QObject>
#include <QWidget>

#include <cstdint>
#include <memory>

#include "BandHandOff.h"

namespace tavora {

struct PlayerContext;
class TrayIcon;
namespace band {
class WindowMessageFilter;
}

class DesktopShell : public QObject {
    Q_OBJECT
public:
    // `transport` reaches the band (X11 unless a test gives another).
    DesktopShell(PlayerContext& context, std::unique_ptr<BandTransport> transport);
    ~DesktopShell() override;

    TrayIcon& tray() { return *tray_; }
    BandHandOff& band() { return band_; }

    // A band request (message, wParam) as it arrives; returns 1 as the band expects.
    int OnBandRequest(unsigned message, uint32_t wParam);

    // The taskbar widget and the shown windows come back (tray click, band "show").
    void RestorePlayer();
    void Minimize();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    uint32_t playerWindow() const;
    void AddTray();

    PlayerContext& context_;
    QWidget& player_;  // the taskbar widget
    std::unique_ptr<BandTransport> transport_;
    BandHandOff band_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<band::WindowMessageFilter> messages_;
    bool trayOnly_ = false;   // hidden by "tray only": the controller stays off the taskbar
    bool handedOver_ = false; // the band holds the controls
};

}  // namespace tavora
