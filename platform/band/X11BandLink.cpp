#include "X11BandLink.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace tavora::band {
namespace {

const char* const kMessageType = "_TAVORA_WINDOW_MESSAGE";
// Client windows sit below the window manager's frames, which may be nested.
constexpr int kSearchDepth = 4;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_connection_t* Connection() {
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// WM_CLASS is "instance\0class\0"; the class is the second string.
bool HasClass(xcb_connection_t* c, xcb_window_t window, const std::string& windowClass) {
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr));
    if (!reply || reply->format != 8) return false;
    const int length = xcb_get_property_value_length(reply.get());
    const char* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const char* end = value + length;
    const char* instanceEnd = static_cast<const char*>(std::memchr(value, '\0', length));
    if (!instanceEnd) return false;
    const char* cls = instanceEnd + 1;
    const char* clsEnd = static_cast<const char*>(std::memchr(cls, '\0', end - cls));
    return std::string(cls, clsEnd ? clsEnd : end) == windowClass;
}

xcb_window_t Search(xcb_connection_t* c, xcb_window_t parent, const std::string& windowClass, int depth) {
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr));
    if (!tree) return 0;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    for (int i = 0; i < count; ++i)
        if (HasClass(c, children[i], windowClass)) return children[i];
    if (depth <= 1) return 0;
    for (int i = 0; i < count; ++i)
        if (xcb_window_t found = Search(c, children[i], windowClass, depth - 1)) return found;
    return 0;
}

}  // namespace

uint32_t FindWindowByClass(const std::string& windowClass) {
    xcb_connection_t* c = Connection();
    if (!c) return 0;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    return Search(c, root, windowClass, kSearchDepth);
}

bool IsWindowOfClass(uint32_t window, const std::string& windowClass) {
    xcb_connection_t* c = Connection();
    if (!c || window == 0) return false;
    // A window id that no longer exists gives no attributes.
    Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return attributes && HasClass(c, window, windowClass);
}

void SetWindowClass(uint32_t window, const std::string& instance, const std::string& windowClass) {
    xcb_connection_t* c = Connection();
    if (!c || window == 0) return;
    std::string value = instance;
    value.push_back('\0');
    value += windowClass;
    value.push_back('\0');
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(value.size()), value.data());
    xcb_flush(c);
}

bool SendWindowMessage(uint32_t to, unsigned message, uint32_t wParam, uint32_t lParam) {
    xcb_connection_t* c = Connection();
    if (!c || to == 0) return false;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = to;
    event.type = Atom(c, kMessageType);
    event.data.data32[0] = message;
    event.data.data32[1] = wParam;
    event.data.data32[2] = lParam;
    // No event mask: delivered to the program that created the window.
    const xcb_void_cookie_t cookie =
        xcb_send_event_checked(c, 0, to, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    Reply<xcb_generic_error_t> error(xcb_request_check(c, cookie));
    return !error;
}

WindowMessageFilter::WindowMessageFilter(Receiver receiver) : receiver_(std::move(receiver)) {
    if (xcb_connection_t* c = Connection()) {
        type_ = Atom(c, kMessageType);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
}

WindowMessageFilter::~WindowMessageFilter() {
    if (type_ != 0 && QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool WindowMessageFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !message) return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
    auto* client = static_cast<xcb_client_message_event_t*>(message);
    if (client->type != type_ || client->format != 32) return false;
    if (receiver_) receiver_(client->window, client->data.data32[0], client->data.data32[1], client->data.data32[2]);
    return true;
}

}  // namespace tavora::band
