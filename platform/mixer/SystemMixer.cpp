#include "SystemMixer.h"

#include <pulse/operation.h>
#include <pulse/timeval.h>

#include <chrono>

namespace tavora::platform {

namespace {
constexpr pa_usec_t kRetryDelay = 2 * PA_USEC_PER_SEC;
constexpr auto kOpenWait = std::chrono::seconds(2);

// Requests whose answer we do not wait for still hand back an operation to release.
void Release(pa_operation* operation) {
    if (operation) pa_operation_unref(operation);
}
}  // namespace

// Takes the loop lock, except on the mixer's own thread, which already holds it while it
// runs our callbacks (and where libpulse forbids taking it again).
class SystemMixer::LoopLock {
public:
    explicit LoopLock(pa_threaded_mainloop* loop)
        : loop_(loop && !pa_threaded_mainloop_in_thread(loop) ? loop : nullptr) {
        if (loop_) pa_threaded_mainloop_lock(loop_);
    }
    ~LoopLock() {
        if (loop_) pa_threaded_mainloop_unlock(loop_);
    }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* loop_;
};

SystemMixer::SystemMixer(ChangeCallback onChange) : onChange_(std::move(onChange)) {}

SystemMixer::~SystemMixer() { Close(); }

bool SystemMixer::Open() {
    Close();
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) return false;
    pa_threaded_mainloop_set_name(loop_, "tavora-mixer");
    closing_ = false;
    uint64_t before;
    {
        std::lock_guard guard(stateMutex_);
        before = readings_;
        opening_ = true;
    }
    if (pa_threaded_mainloop_start(loop_) < 0) {
        pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
        std::lock_guard guard(stateMutex_);
        opening_ = false;
        return false;
    }
    {
        LoopLock lock(loop_);
        StartConnect();
    }
    std::unique_lock guard(stateMutex_);
    stateSettled_.wait_for(guard, kOpenWait, [&] { return readings_ != before; });
    opening_ = false;
    return state_.open;
}

void SystemMixer::Close() {
    if (!loop_) return;
    {
        LoopLock lock(loop_);
        closing_ = true;
        if (retryTimer_) {
            pa_threaded_mainloop_get_api(loop_)->time_free(retryTimer_);
            retryTimer_ = nullptr;
        }
        DropContext();
    }
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
    sinkIndex_ = PA_INVALID_INDEX;
    sinkName_.clear();
    std::lock_guard guard(stateMutex_);
    state_ = {};
}

MasterVolumeState SystemMixer::Read() const {
    std::lock_guard guard(stateMutex_);
    return state_;
}

bool SystemMixer::SetVolume(unsigned volume) {
    if (!loop_) return false;
    LoopLock lock(loop_);
    if (!context_ || sinkIndex_ == PA_INVALID_INDEX || channels_.channels == 0) return false;
    if (volume > kMasterVolumeMax) volume = kMasterVolumeMax;
    pa_cvolume scaled = channels_;
    pa_cvolume_scale(&scaled, PulseFromMaster(volume));
    pa_operation* operation = pa_context_set_sink_volume_by_index(context_, sinkIndex_, &scaled, OnWriteDone, this);
    if (!operation) return false;
    Release(operation);
    ++writesInFlight_;
    channels_ = scaled;
    std::lock_guard guard(stateMutex_);
    state_.volume = MasterFromPulse(pa_cvolume_max(&scaled));
    return true;
}

bool SystemMixer::SetMute(bool muted) {
    if (!loop_) return false;
    LoopLock lock(loop_);
    if (!context_ || sinkIndex_ == PA_INVALID_INDEX) return false;
    pa_operation* operation = pa_context_set_sink_mute_by_index(context_, sinkIndex_, muted ? 1 : 0, OnWriteDone, this);
    if (!operation) return false;
    Release(operation);
    ++writesInFlight_;
    std::lock_guard guard(stateMutex_);
    state_.muted = muted;
    return true;
}

void SystemMixer::StartConnect() {
    DropContext();
    if (closing_) return;
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "TavoraPlayer");
    if (!context_) {
        SinkGone();
        ScheduleRetry();
        return;
    }
    pa_context_set_state_callback(context_, OnContextState, this);
    // Never start a server of our own: without one the mixer stays closed.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        SinkGone();
        ScheduleRetry();
    }
}

void SystemMixer::DropContext() {
    if (!context_) return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
    writesInFlight_ = 0;
}

void SystemMixer::ScheduleRetry() {
    if (closing_) return;
    struct timeval when;
    pa_timeval_add(pa_gettimeofday(&when), kRetryDelay);
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
    if (retryTimer_)
        api->time_restart(retryTimer_, &when);
    else
        retryTimer_ = api->time_new(api, &when, OnRetry, this);
}

void SystemMixer::OnRetry(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
    static_cast<SystemMixer*>(self)->StartConnect();
}

void SystemMixer::OnContextState(pa_context* context, void* self) {
    auto* mixer = static_cast<SystemMixer*>(self);
    if (context != mixer->context_) return;
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        mixer->writesInFlight_ = 0;
        pa_context_set_subscribe_callback(context, OnSubscription, mixer);
        Release(pa_context_subscribe(
            context, static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
            nullptr, nullptr));
        mixer->RefreshDefaultSink();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        // The server is gone (or never answered): read as closed and try again later.
        mixer->SinkGone();
        mixer->ScheduleRetry();
        break;
    default:
        break;
    }
}

void SystemMixer::OnSubscription(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self) {
    auto* mixer = static_cast<SystemMixer*>(self);
    if (context != mixer->context_) return;
    const unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const unsigned kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        // The default sink may have changed.
        mixer->RefreshDefaultSink();
    } else if (facility == PA_SUBSCRIPTION_EVENT_SINK) {
        if (mixer->sinkIndex_ == PA_INVALID_INDEX || (index == mixer->sinkIndex_ && kind == PA_SUBSCRIPTION_EVENT_REMOVE))
            mixer->RefreshDefaultSink();
        else if (index == mixer->sinkIndex_)
            mixer->QuerySink(index);
    }
}

void SystemMixer::RefreshDefaultSink() {
    if (!context_) return;
    Release(pa_context_get_server_info(context_, OnServerInfo, this));
}

void SystemMixer::OnServerInfo(pa_context* context, const pa_server_info* info, void* self) {
    auto* mixer = static_cast<SystemMixer*>(self);
    if (context != mixer->context_) return;
    if (!info || !info->default_sink_name || !*info->default_sink_name) {
        mixer->SinkGone();
        return;
    }
    Release(pa_context_get_sink_info_by_name(context, info->default_sink_name, OnSinkInfo, mixer));
}

void SystemMixer::QuerySink(uint32_t index) {
    if (!context_) return;
    Release(pa_context_get_sink_info_by_index(context_, index, OnSinkInfo, this));
}

void SystemMixer::OnSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* self) {
    auto* mixer = static_cast<SystemMixer*>(self);
    if (context != mixer->context_ || mixer->writesInFlight_ > 0) return;
    if (eol < 0) {
        // The sink went away between the server's answer and ours; its removal event
        // brings the next default.
        mixer->SinkGone();
        return;
    }
    if (!info) return;  // end of the list
    const bool sinkChanged = mixer->sinkName_ != info->name;
    mixer->sinkIndex_ = info->index;
    mixer->sinkName_ = info->name;
    mixer->channels_ = info->volume;
    mixer->Publish({true, MasterFromPulse(pa_cvolume_max(&info->volume)), info->mute != 0}, sinkChanged);
}

void SystemMixer::SinkGone() {
    sinkIndex_ = PA_INVALID_INDEX;
    sinkName_.clear();
    channels_ = {};
    Publish({}, false);
}

void SystemMixer::OnWriteDone(pa_context* context, int, void* self) {
    auto* mixer = static_cast<SystemMixer*>(self);
    if (context != mixer->context_) return;
    if (mixer->writesInFlight_ > 0) --mixer->writesInFlight_;
    // Read back what the server made of it (or what it kept, when it refused).
    if (mixer->writesInFlight_ == 0 && mixer->sinkIndex_ != PA_INVALID_INDEX) mixer->QuerySink(mixer->sinkIndex_);
}

void SystemMixer::Publish(const MasterVolumeState& state, bool sinkChanged) {
    bool changed;
    {
        std::lock_guard guard(stateMutex_);
        // The reading Open() waits for is its own answer, not a change to announce.
        changed = (state != state_ || (sinkChanged && state.open)) && !opening_;
        state_ = state;
    }
    if (changed && onChange_ && !closing_) onChange_();
    {
        std::lock_guard guard(stateMutex_);
        ++readings_;
    }
    stateSettled_.notify_all();
}

}  // namespace tavora::platform
