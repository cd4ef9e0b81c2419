#include "StreamPlayback.h"

#include <algorithm>
#include <cstdio>

#include "AudioLibrary.h"
#include "InternetStream.h"
#include "MessageBox.h"
#include "PlaybackRules.h"
#include "PlaybackState.h"
#include "PlaybackTimers.h"
#include "PlayerEvents.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"
#include "PlaylistModelSignals.h"
#include "StreamProbe.h"
#include "TrackAdvance.h"
#include "TrackLength.h"

namespace tavora {

StreamPlayback::StreamPlayback(PlaybackHost host, AudioLibrary& library, PlaylistModel& model, PlaybackState& state,
                               PlayerEvents& events, const StreamProbe& probe)
    : host_(std::move(host)),
      library_(library),
      model_(model),
      state_(state),
      events_(events),
      probe_(probe),
      listSignals_(std::make_unique<PlaylistModelSignals>(model)),
      session_(library, state),
      effects_(session_, state, {[this] { CreateReverse(); },
                                 [this] {
                                     FreeStream();
                                     state_.isPlaying = 0;
                                     PlaySelectedEntry();
                                 }}),
      volume_(session_, state, events, views_),
      advance_(*this, model, state, probe, session_, views_),
      internet_(std::make_unique<InternetStream>(library, session_)),
      address_(*this, *internet_, {session_, model, state, events, probe, views_, host_}) {
    // The list's row changes, made on any thread, reach the events on this one.
    PlayerEvents* events_to = &events_;
    auto tell = [events_to](ListChange what, int first, int count) {
        emit events_to->listRowsChanged(what, first, count);
    };
    PlaylistModelSignals* rows = listSignals_.get();
    QObject::connect(rows, &PlaylistModelSignals::rowsAdded, &events_,
                     [tell](int first, int count) { tell(ListChange::RowsInserted, first, count); });
    QObject::connect(rows, &PlaylistModelSignals::rowsRemoved, &events_, [tell](const QList<int>& removed) {
        if (removed.isEmpty()) return;
        tell(ListChange::RowsRemoved, *std::min_element(removed.begin(), removed.end()), int(removed.size()));
    });
    QObject::connect(rows, &PlaylistModelSignals::allRowsRemoved, &events_,
                     [tell] { tell(ListChange::RowsRemoved, 0, -1); });
    QObject::connect(rows, &PlaylistModelSignals::rowsMoved, &events_,
                     [tell](int first) { tell(ListChange::RowsMoved, first, -1); });
    QObject::connect(rows, &PlaylistModelSignals::rowsChanged, &events_,
                     [tell](int first, int count) { tell(ListChange::RowsChanged, first, count); });
    QObject::connect(rows, &PlaylistModelSignals::currentRowChanged, &events_,
                     [tell](int row) { tell(ListChange::CurrentRow, row, 0); });
}

StreamPlayback::~StreamPlayback() = default;

bool StreamPlayback::EngineReady() const { return library_.Bass().BASS_ChannelPlay != nullptr; }

bool StreamPlayback::InitOutput() {
    if (!library_.Bass().BASS_Init) return false;
    if (!session_.InitOutput(host_.outputWindow())) {
        ShowError("Can't initialize digital sound system", session_.LastError());
        return false;
    }
    return true;
}

void StreamPlayback::FreeOutput() {
    internet_->Shutdown();
    FreeStream();
    session_.FreeOutput();
}

void StreamPlayback::ShowError(const std::string& message, int code) {
    char text[200];
    std::snprintf(text, sizeof text, "%s\n( error code: %d )", message.c_str(), code);
    ShowMessageBox(host_.messageParent, QString::fromUtf8(text), QStringLiteral("Error"), MessageIcon::Error);
}

void StreamPlayback::FadeOut(bool always) {
    if (volume_.PauseFading()) {
        // A pause still fading ends now: a paused channel has nothing left to fade.
        volume_.CancelPauseFade();
        session_.Pause();
        return;
    }
    if (!always && !state_.crossFade) return;
    session_.FadeOut();
}

void StreamPlayback::FreeStream() {
    volume_.CancelPauseFade();
    // Whatever was being opened or buffered for the old stream is no longer wanted.
    internet_->Cancel();
    internet_->StopBuffering();
    advance_.ForgetPosition();
    effects_.chain().Forget();
    session_.Free();
}

void StreamPlayback::StartTimers() {
    host_.setTimer(timer::kPosition, timer::kPositionPeriodMs);
    host_.setTimer(timer::kMasterVolume, timer::kMasterVolumePeriodMs);
    if (views_.startMainTimers) views_.startMainTimers();
    if (views_.refreshMain) views_.refreshMain();
}

void StreamPlayback::FillChannelInfo() {
    const BASS_CHANNELINFO info = session_.Info();
    state_.channelInfo.freq = info.freq;
    state_.channelInfo.chans = info.chans;
    state_.channelInfo.flags = info.flags;
    state_.lengthSeconds = static_cast<unsigned>(session_.LengthSeconds());
}

void StreamPlayback::SetTitle(const std::string& title) { host_.setTitle(title); }

void StreamPlayback::AnnounceTransport() { emit events_.stateChanged(StateFact::Transport); }

void StreamPlayback::EnterStopped() {
    state_.isPlaying = state_.isPaused = state_.isUrlStream = 0;
    host_.killTimer(timer::kMasterVolume);
    host_.killTimer(timer::kStreamHeaders);
    if (views_.refreshMain) views_.refreshMain();
    AnnounceTransport();
}

void StreamPlayback::OpenAndPlay(const std::string& path) {
    FadeOut(false);
    FreeStream();
    const HSTREAM h = probe_.OpenDecode(path, false);
    if (!h) {
        PlayNext();
        return;
    }
    session_.Adopt(h);
    if (views_.ensureRowVisible) views_.ensureRowVisible(model_.CurrentIndex());
    if (StartStream() == StartResult::NotOpened) PlayNext();
}

StreamPlayback::StartResult StreamPlayback::StartStream() {
    const int row = model_.CurrentIndex();
    const std::string path = model_.GetEntryField(row, kColumnPath);
    const std::string time = model_.GetEntryField(row, kColumnTime);
    if (time == kTimeArchive) {
        // A song taken out of an archive is measured when it first plays.
        const StreamProbe& probe = probe_;
        const HSTREAM measure = probe.OpenDecode(path, false);
        if (!measure) {
            FreeStream();
            return StartResult::NotOpened;
        }
        const std::string title = views_.titleForPath ? views_.titleForPath(path)
                                                      : model_.GetEntryField(row, kColumnTitle);
        model_.UpdateEntry(row, path, title, FormatTrackTime(static_cast<double>(probe.LengthSeconds(measure))));
        if (views_.repaintList) views_.repaintList();
        probe.Free(measure);
    }
    model_.MarkCurrentRow(row);
    host_.killTimer(timer::kStreamHeaders);
    int error = 0;
    if (!session_.WrapInTempo(&error)) {
        // The source is freed with the failed wrap: nothing plays, and the error is
        // shown once, not again for every row an advance would try next.
        effects_.chain().Forget();
        EnterStopped();
        ShowError("Couldn't create a resampled stream!", error);
        return StartResult::Failed;
    }
    ApplyChannelVolume();
    effects_.InstallFor(PlaybackEffects::For::LocalFile);
    if (state_.reverseMode) {
        CreateReverse();
        return state_.isPlaying ? StartResult::Started : StartResult::Failed;
    }
    session_.Play(true);
    BeginPlaying(row);
    return StartResult::Started;
}

bool StreamPlayback::StartOpened(HSTREAM stream, int row) {
    session_.Adopt(stream);
    if (views_.ensureRowVisible) views_.ensureRowVisible(row);
    return StartStream() != StartResult::NotOpened;
}

void StreamPlayback::BeginPlaying(int row) {
    advance_.ForgetPosition();
    FillChannelInfo();
    SetTitle(model_.GetEntryField(row, kColumnTitle));
    state_.isPlaying = 1;
    state_.isUrlStream = 0;
    state_.isPaused = 0;
    StartTimers();
    emit events_.trackChanged();
    AnnounceTransport();
}

void StreamPlayback::StopPlayback() {
    if (views_.stopped) views_.stopped();
    FadeOut(false);
    FreeStream();
    EnterStopped();
}

void StreamPlayback::PlayPauseResume() {
    if (state_.isPlaying && session_.HasStream()) {
        // A short fade so the pause does not click; the pause counts from now on.
        volume_.StartPauseFade();
        state_.isPaused = 1;
        state_.isPlaying = 0;
        if (views_.refreshMain) views_.refreshMain();
        AnnounceTransport();
        return;
    }
    if (state_.isPaused && session_.HasStream()) {
        // A pause still fading is taken back where it is.
        volume_.CancelPauseFade();
        ApplyChannelVolume();
        session_.Play(false);
        state_.isPlaying = 1;
        state_.isPaused = 0;
        StartTimers();
        AnnounceTransport();
        return;
    }
    if (model_.RowCount() == 0) {
        if (views_.openFileDialog) views_.openFileDialog();
        return;
    }
    int row = model_.SelectedIndex();
    if (row < 0 || row >= model_.RowCount()) row = 0;
    PlayRow(row);
}

void StreamPlayback::PlayRow(int row) {
    std::string path;
    {
        EntryGuard guard = model_.LockEntries();
        if (row < 0 || row > model_.LastIndexLocked(guard)) return;
        path = model_.GetEntryFieldLocked(guard, row, kColumnPath);
        model_.SetSelectedIndexLocked(guard, row);
        model_.SetCurrentIndexLocked(guard, row);
    }
    PlayPath(row, path);
}

void StreamPlayback::PlayPath(int row, const std::string& path) {
    if (!IsStreamAddress(path)) {
        OpenAndPlay(path);
        return;
    }
    PlayAddress(path, [this, row, path] {
        // The row still holds the address, or it moved: then nothing is marked.
        if (model_.GetEntryField(row, kColumnPath) != path) return -1;
        model_.SetCurrentIndex(row);
        return row;
    });
}

void StreamPlayback::Seek(int direction) {
    if (!(state_.isPlaying || state_.isPaused) || !session_.HasStream() || state_.isUrlStream) return;
    const long target = SeekTargetSeconds(static_cast<long>(PositionSeconds()), direction, state_.lengthSeconds);
    if (views_.positionTooltip) views_.positionTooltip(SeekTooltip(target));
    session_.SeekSeconds(static_cast<double>(target), (state_.channelInfo.flags & BASS_POS_SECONDS) != 0);
    advance_.ForgetPosition();
    if (views_.refreshMain) views_.refreshMain();
    emit events_.seeked(static_cast<double>(target));
}

void StreamPlayback::SeekToSeconds(double seconds) {
    if (!(state_.isPlaying || state_.isPaused) || !session_.HasStream() || state_.isUrlStream) return;
    const double length = LengthSeconds();
    if (seconds > length) seconds = length;
    if (seconds < 0) seconds = 0;
    session_.SeekSeconds(seconds, false);
    advance_.ForgetPosition();
    if (views_.refreshMain) views_.refreshMain();
    emit events_.seeked(seconds);
}

void StreamPlayback::CreateReverse() {
    if (state_.isPlaying) FadeOut(false);
    FreeStream();
    const int row = model_.CurrentIndex();
    std::string error;
    int code = 0;
    const HSTREAM reversed = effects_.chain().BuildReversed(model_.GetEntryField(row, kColumnPath), error, code);
    if (!reversed) {
        EnterStopped();
        ShowError(error, code);
        return;
    }
    session_.Adopt(reversed);
    effects_.chain().AddReverb();
    ApplyChannelVolume();
    effects_.InstallFor(PlaybackEffects::For::ReversedFile);
    session_.Play(false);
    BeginPlaying(row);
}

}  // namespace tavora
