#pragma once
// The band's messages over X11. A window is named by its X11 window id (it fits the
// settings store's DWORD "handle"); a message is a client message of type
// "_TAVORA_WINDOW_MESSAGE" carrying (message, wParam, lParam) in its first three
// 32-bit fields, sent to the receiving window itself.
//
// Without an X11 connection (offscreen tests, Wayland without XWayland) nothing is
// found, nothing is sent and nothing arrives.
//
// Threading: UI thread only.

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>
#include <string>

namespace tavora::band {

// The first top-level window (searched below the root, through the window manager's
// frames) whose WM_CLASS class is `windowClass`; 0 when there is none.
uint32_t FindWindowByClass(const std::string& windowClass);

// True when `window` exists and its WM_CLASS class is `windowClass`: a window id
// left over from a band that went away, or reused by another program, fails.
bool IsWindowOfClass(uint32_t window, const std::string& windowClass);

// Sets the window's WM_CLASS to (instance, windowClass).
void SetWindowClass(uint32_t window, const std::string& instance, const std::string& windowClass);

// Sends the message; false when there is no X11 connection or no window.
bool SendWindowMessage(uint32_t to, unsigned message, uint32_t wParam, uint32_t lParam);

// Delivers the messages that arrive at this program's windows while it exists.
class WindowMessageFilter : public QAbstractNativeEventFilter {
public:
    using Receiver = std::function<void(uint32_t window, unsigned message, uint32_t wParam, uint32_t lParam)>;
    explicit WindowMessageFilter(Receiver receiver);
    ~WindowMessageFilter() override;
    WindowMessageFilter(const WindowMessageFilter&) = delete;
    WindowMessageFilter& operator=(const WindowMessageFilter&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    Receiver receiver_;
    uint32_t type_ = 0;
};

}  // namespace tavora::band
