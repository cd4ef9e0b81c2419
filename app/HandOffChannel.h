#pragma once
// The local socket through which a later launch hands its command line to the
// running player. The running player serves it under the playlist window's title,
// "TavoraPlayer List"; a later launch connects, sends "WM_OUTFILE_ARRIVED n" and
// waits for the reply, which comes only after the player has handled the argument,
// so the hand-off is synchronous.
//
// Wire format: one request per line, "<message> <wParam> <lParam>\n" in decimal; one
// reply per request, "<result>\n".
//
// Threading: HandOffServer lives on the UI thread and calls its handler there.
// SendHandOff and WaitForHandOffServer block their caller and use no Qt objects, so
// they work on any thread and without an application object.

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QSocketNotifier;

namespace tavora {

inline constexpr const char* kHandOffName = "TavoraPlayer List";

struct HandOffRequest {
    unsigned message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// One request line without its line end; nullopt when it is not three decimal numbers.
std::optional<HandOffRequest> ParseHandOffRequest(const QByteArray& line);

// One reply line (without its end): a decimal number; nothing when it is not one.
std::optional<intptr_t> ParseHandOffReply(std::string_view line);

// Where the socket lives: "TavoraPlayer List" in the folder of the single-instance
// lock (SetHandOffFolder, done at start-up), by default $XDG_RUNTIME_DIR or the
// user's private temporary folder.
QString HandOffSocketPath();
void SetHandOffFolder(const std::string& folder);

class HandOffServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<intptr_t(unsigned message, uintptr_t wParam, intptr_t lParam)>;

    explicit HandOffServer(Handler handler, QObject* parent = nullptr);
    ~HandOffServer() override;

    // Starts serving; a stale socket left by a crashed player is replaced. Only the
    // holder of the single-instance lock may call this.
    bool listen();
    bool isListening() const;

private:
    // A plain socket watched by the event loop: Qt's local sockets would bring the whole
    // network module (about 1.8 MB of resident memory) for this one line protocol.
    struct Peer;
    void acceptConnections();
    void serve(int fd);
    void drop(int fd);
    void close();

    Handler handler_;
    int listener_ = -1;
    QString path_;
    QSocketNotifier* incoming_ = nullptr;
    std::map<int, std::unique_ptr<Peer>> peers_;
};

// Connects to the running player, retrying every 10 ms until `wait` has passed, then
// sends the message and waits (up to `wait` again) for its reply. nullopt when there is
// no player to talk to or it did not answer in time.
std::optional<intptr_t> SendHandOff(unsigned message, uintptr_t wParam, intptr_t lParam,
                                    std::chrono::milliseconds wait);

// Blocks until a player serves the socket or `wait` has passed.
bool WaitForHandOffServer(std::chrono::milliseconds wait);

}  // namespace tavora
