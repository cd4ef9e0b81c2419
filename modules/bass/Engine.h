#pragma once
// The process-wide state of bass.so: the output, the channels by handle, and the
// playback thread that mixes the playing channels into the output.
//
// Threading: every public call may come from any thread. Lock() guards the channels;
// the lock is recursive because sources of wrapper streams read other channels. The
// playback thread holds it only while it mixes one period (20 ms of sound), never
// while it waits for the output.

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "Channel.h"
#include "Output.h"

namespace tavora::audio {

class Engine {
public:
    static Engine& Get();

    std::recursive_mutex& Mutex() { return mutex_; }

    bool Init(int device, int rate, int& error);
    bool Free();
    bool Initialised() const { return output_ != nullptr; }
    int OutputRate() const { return rate_; }
    // BASS_OK, or why the output gives no sound just now (see Output::Error).
    int OutputError();

    // Takes the source; 0 when not initialised.
    DWORD AddChannel(std::unique_ptr<Source> source, DWORD flags);
    // nullptr when the handle is unknown. Lock first.
    Channel* Find(DWORD handle);
    // Tells the playback thread that a channel may have started playing. Lock first.
    void NoteStarted() { mixing_ = true; }
    bool FreeChannel(DWORD handle);

    ~Engine();

private:
    Engine() = default;
    void Run();

    std::recursive_mutex mutex_;
    std::map<DWORD, std::unique_ptr<Channel>> channels_;
    DWORD nextHandle_ = 0x10000;
    std::unique_ptr<Output> output_;
    int rate_ = 44100;
    std::thread thread_;
    std::atomic<bool> running_ {false};
    // Whether a channel played at the last period or has started since; while none
    // does, the playback thread leaves the lock alone (decoding on another thread
    // then never waits for it, nor has to wake it).
    std::atomic<bool> mixing_ {false};
};

// The calling thread's last error code (BASS_ErrorGetCode).
void SetError(int code);
int LastError();

}  // namespace tavora::audio
