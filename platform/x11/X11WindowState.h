#pragma once
// Window-manager hints Qt has no API for, set through the window's X11 connection.
// Without X11 (offscreen, Wayland without XWayland) the calls do nothing.
//
// Threading: UI thread only.

class QWidget;

namespace tavora::platform {

// Keeps the window off (or puts it back on) the taskbar and pagers.
void SetSkipTaskbar(QWidget* window, bool skip);

// True when the window manager was told to keep the window off the taskbar.
bool IsSkippingTaskbar(QWidget* window);

}  // namespace tavora::platform
