#include "Engine.h"

#include <vector>

namespace tavora::audio {
namespace {
thread_local int t_error = 0;
// 20 ms at 44.1 kHz. Each period wakes the thread once, and on a quiet machine the
// wake-ups cost more than the mixing; the sound server holds about 100 ms, so longer
// periods delay nothing a listener hears.
constexpr size_t kPeriodFrames = 882;
}  // namespace

void SetError(int code) { t_error = code; }
int LastError() { return t_error; }

Engine& Engine::Get() {
    // Destroyed when the module is unloaded or the process exits. The player unloads
    // the module only after its worker jobs have stopped, and ends without static
    // destructors when a job would not stop.
    static Engine engine;
    return engine;
}

Engine::~Engine() { Free(); }

bool Engine::Init(int device, int rate, int& error) {
    std::lock_guard lock(mutex_);
    if (output_) {
        error = BASS_ERROR_ALREADY;
        return false;
    }
    // Device 1 (or -1, "default") is the configured output; 0 means no sound.
    if (device != 1 && device != -1 && device != 0) {
        error = BASS_ERROR_DEVICE;
        return false;
    }
    if (rate < 8000 || rate > 192000) rate = 44100;
    auto output = CreateOutput(rate, device == 0, error);
    if (!output) return false;
    output_ = std::move(output);
    rate_ = rate;
    running_ = true;
    thread_ = std::thread([this] { Run(); });
    return true;
}

bool Engine::Free() {
    {
        std::lock_guard lock(mutex_);
        if (!output_) return false;
        running_ = false;
    }
    if (thread_.joinable()) thread_.join();
    std::map<DWORD, std::unique_ptr<Channel>> gone;
    {
        std::lock_guard lock(mutex_);
        gone.swap(channels_);
        output_.reset();
    }
    // Channels are destroyed with the lock free of the map: wrapper sources free
    // their own source channels, which by then are no longer listed.
    std::lock_guard lock(mutex_);
    gone.clear();
    return true;
}

int Engine::OutputError() {
    std::lock_guard lock(mutex_);
    return output_ ? output_->Error() : BASS_OK;
}

DWORD Engine::AddChannel(std::unique_ptr<Source> source, DWORD flags) {
    std::lock_guard lock(mutex_);
    if (!output_) return 0;
    const DWORD handle = nextHandle_++;
    if (nextHandle_ == 0) nextHandle_ = 0x10000;
    channels_[handle] = std::make_unique<Channel>(handle, flags, std::move(source));
    return handle;
}

Channel* Engine::Find(DWORD handle) {
    auto it = channels_.find(handle);
    return it == channels_.end() ? nullptr : it->second.get();
}

bool Engine::FreeChannel(DWORD handle) {
    std::unique_ptr<Channel> gone;
    {
        std::lock_guard lock(mutex_);
        auto it = channels_.find(handle);
        if (it == channels_.end()) return false;
        gone = std::move(it->second);
        channels_.erase(it);
    }
    // Destroyed without the lock: nobody can reach the channel any more, and an address
    // stream's threads may take a moment to end, which must not hold up playback of
    // the other channels. Sources that free channels of their own take the lock then.
    gone.reset();
    return true;
}

void Engine::Run() {
    std::vector<float> mix(kPeriodFrames * 2);
    while (running_) {
        std::fill(mix.begin(), mix.end(), 0.0f);
        // The output only goes away in Free, after this thread has ended.
        Output* output = output_.get();
        if (mixing_) {
            std::lock_guard lock(mutex_);
            bool any = false;
            for (auto& [handle, channel] : channels_) {
                if (!channel->playing || channel->IsDecode()) continue;
                channel->MixInto(mix.data(), kPeriodFrames, rate_);
                any = any || channel->playing;
            }
            mixing_ = any;
        }
        for (float& v : mix) v = v > 1.0f ? 1.0f : v < -1.0f ? -1.0f : v;
        output->Write(mix.data(), kPeriodFrames);
    }
}

}  // namespace tavora::audio
