#pragma once
// The system master volume: the volume and mute of the sound server's default sink
// (PulseAudio, or PipeWire's PulseAudio service), read and written through libpulse.
//
// Threads. The mixer runs its own thread (a libpulse threaded main loop) that talks to
// the server, follows its sink and server events and keeps a copy of the default
// sink's state. Therefore:
//   - Open() and Close() (and the destructor) belong to the owner's thread and must not
//     run at the same time as any other call, nor from the change callback.
//   - Read(), IsOpen(), Volume(), Muted(), SetVolume() and SetMute() may be called from
//     any thread, the change callback included. Reads return the copy and never wait
//     for the server, so a 90 ms read-back timer costs nothing; writes are sent and
//     never waited for.
//   - The change callback runs on the mixer's thread. It must not block for long and
//     must not touch widgets: QueuedMixerNotification.h hands it to a QObject's thread.
//
// No server. Open() waits at most two seconds and returns false when no server (or no
// sink) answered by then; the mixer then reads as closed and writes do nothing. It keeps
// trying to reach the server every two seconds, quietly, for as long as it is open, so a
// server that starts late, crashes or restarts is picked up again, and the change
// callback tells of every such change. The server is found the way every libpulse
// client finds it (PULSE_SERVER, client.conf, the user's runtime folder); the mixer
// never starts a server itself.
//
// Volume. The master volume is the default sink's loudest channel on the 0 .. 65535
// scale of MasterVolumeScale.h, as desktop volume controls show it. Writing scales all
// channels alike, so a balance set elsewhere is kept and no channel goes above 100 %.

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "MasterVolumeScale.h"

namespace tavora::platform {

// One consistent reading of the master volume.
struct MasterVolumeState {
    bool open = false;    // a server answered and it has a default sink
    unsigned volume = 0;  // 0 .. kMasterVolumeMax; 0 while not open
    bool muted = false;

    bool operator==(const MasterVolumeState&) const = default;
};

class SystemMixer {
public:
    // Called on the mixer's thread whenever what Read() returns changes because of the
    // server: another program moved the volume or the mute, the default sink changed,
    // the server went away or came (back). Writes of this mixer do not call it, nor
    // does the first reading while Open() waits for it (Open() returns that one).
    using ChangeCallback = std::function<void()>;

    explicit SystemMixer(ChangeCallback onChange = {});
    ~SystemMixer();
    SystemMixer(const SystemMixer&) = delete;
    SystemMixer& operator=(const SystemMixer&) = delete;

    // Connects to the server (closing a mixer already open) and reads the default sink.
    // True when it is readable; false after at most about two seconds otherwise, while
    // the mixer keeps trying in the background until Close().
    bool Open();
    // Stops the mixer's thread and forgets the server; reads say closed afterwards.
    void Close();

    MasterVolumeState Read() const;
    bool IsOpen() const { return Read().open; }
    unsigned Volume() const { return Read().volume; }
    bool Muted() const { return Read().muted; }
    static constexpr unsigned Maximum() { return kMasterVolumeMax; }

    // Asks the server to set the default sink's volume (values above the maximum count
    // as the maximum) or mute. False, doing nothing, while the mixer is not open. Read()
    // shows the new value at once.
    bool SetVolume(unsigned volume);
    bool SetMute(bool muted);

private:
    class LoopLock;

    // Everything below runs on the mixer's thread or under the loop lock.
    void StartConnect();
    void DropContext();
    void ScheduleRetry();
    void RefreshDefaultSink();
    void QuerySink(uint32_t index);
    void SinkGone();
    void Publish(const MasterVolumeState& state, bool sinkChanged);

    static void OnContextState(pa_context* context, void* self);
    static void OnSubscription(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self);
    static void OnServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void OnSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* self);
    static void OnWriteDone(pa_context* context, int success, void* self);
    static void OnRetry(pa_mainloop_api* api, pa_time_event* event, const struct timeval* tv, void* self);

    const ChangeCallback onChange_;

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_time_event* retryTimer_ = nullptr;
    bool closing_ = false;
    uint32_t sinkIndex_ = PA_INVALID_INDEX;
    std::string sinkName_;
    pa_cvolume channels_{};
    // Writes sent and not yet confirmed. Sink readings that arrive meanwhile may predate
    // the write and are skipped; a fresh reading follows each confirmation.
    int writesInFlight_ = 0;

    mutable std::mutex stateMutex_;
    std::condition_variable stateSettled_;
    MasterVolumeState state_;
    uint64_t readings_ = 0;  // how often state_ was published, for Open()'s wait
    bool opening_ = false;   // Open() is waiting for its first reading
};

}  // namespace tavora::platform
