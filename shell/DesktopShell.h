#pragma once
// The player in the desktop shell: the tray icon and its menu, the three hide modes
// (tray only, taskbar only, both), the minimise with the hand-over to the band
// program, and the band's requests. Installed on the controller by the Application:
// it fills the controller's band and tray steps, registers the minimise and hide
// commands, and follows the playback-stopped and shutdown events.
//
// Threading: UI thread only.

#include <QObject>

#include <cstdint>
#include <memory>

#include "BandHandOff.h"

namespace tavora {

class CTavoraPlayerDlg;
class TrayIcon;
namespace band {
class WindowMessageFilter;
}

class DesktopShell : public QObject {
    Q_OBJECT
public:
    // `transport` reaches the band (X11 unless a test gives another).
    DesktopShell(CTavoraPlayerDlg& dlg, std::unique_ptr<BandTransport> transport);
    ~DesktopShell() override;

    TrayIcon& tray() { return *tray_; }
    BandHandOff& band() { return band_; }

    // A band request (message, wParam) as it arrives; returns 1 as the band expects.
    int OnBandRequest(unsigned message, uint32_t wParam);

    // The controller and its shown windows come back (tray click, band "show").
    void RestorePlayer();
    void Minimize();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    uint32_t playerWindow() const;
    void HideSkinnedWindows();
    void ShowSkinnedWindows();
    void AddTray();

    CTavoraPlayerDlg& dlg_;
    std::unique_ptr<BandTransport> transport_;
    BandHandOff band_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<band::WindowMessageFilter> messages_;
    bool trayOnly_ = false;   // hidden by "tray only": the controller stays off the taskbar
    bool handedOver_ = false; // the band holds the controls
};

}  // namespace tavora
