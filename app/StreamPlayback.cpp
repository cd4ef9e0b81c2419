#include "StreamPlayback.h"

#include <QThread>

#include <cstdio>

#include "AudioLibrary.h"
#include "Messages.h"
#include "MessageBox.h"
#include "PlaybackRules.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"
#include "TavoraPlayerDlg.h"
#include "TrackAdvance.h"

namespace tavora {

namespace {
constexpr int kPan = -101;  // keep the pan as it is

std::string TimeText(double seconds) {
    const long whole = seconds > 0 ? static_cast<long>(seconds) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld", whole / 60, whole % 60);
    return text;
}
}  // namespace

StreamPlayback::StreamPlayback(CTavoraPlayerDlg& dlg, AudioLibrary& library, PlaylistModel& model)
    : dlg_(dlg), library_(library), model_(model), state_(dlg.state()) {}

bool StreamPlayback::EngineReady() const { return library_.Bass().BASS_ChannelPlay != nullptr; }

bool StreamPlayback::InitOutput() {
    const BassFunctions& b = library_.Bass();
    if (!b.BASS_Init) return false;
    if (!b.BASS_Init(1, 44100, 0, reinterpret_cast<void*>(dlg_.winId()), nullptr)) {
        ShowError("Can't initialize digital sound system");
        return false;
    }
    outputReady_ = true;
    return true;
}

void StreamPlayback::FreeOutput() {
    FreeStream();
    if (outputReady_ && library_.Bass().BASS_Free) library_.Bass().BASS_Free();
    outputReady_ = false;
}

void StreamPlayback::ShowError(const std::string& message) {
    const int code = library_.Bass().BASS_ErrorGetCode ? library_.Bass().BASS_ErrorGetCode() : 0;
    char text[200];
    std::snprintf(text, sizeof text, "%s\n( error code: %d )", message.c_str(), code);
    ShowMessageBox(&dlg_, QString::fromUtf8(text), QStringLiteral("Error"), MessageIcon::Error);
}

HSTREAM StreamPlayback::OpenAddress(const std::string& path) const {
    const BassFunctions& b = library_.Bass();
    if (!b.BASS_StreamCreateURL || !IsStreamAddress(path)) return 0;
    return b.BASS_StreamCreateURL(path.c_str(), 0, kUrlFlags, nullptr, nullptr);
}

HSTREAM StreamPlayback::OpenDecodeStream(const std::string& path, bool tryAddress) const {
    const BassFunctions& b = library_.Bass();
    if (!EngineReady() || path.empty()) return 0;
    HSTREAM h = 0;
    // Only an address can open as one; a local path is never sent to the network code.
    if (tryAddress && b.BASS_StreamCreateURL && IsStreamAddress(path))
        h = b.BASS_StreamCreateURL(path.c_str(), 0, kDecodeFlags, nullptr, nullptr);
    if (!h && b.BASS_StreamCreateFile) h = b.BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecodeFlags);
    if (!h && b.BASS_WMA_StreamCreateFile) h = b.BASS_WMA_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecodeFlags);
    if (!h && b.BASS_CD_StreamCreateFile) h = b.BASS_CD_StreamCreateFile(path.c_str(), kCdFlags);
    return h;
}

void StreamPlayback::FadeOut(bool always) {
    const BassFunctions& b = library_.Bass();
    if (!state_.channelHandle || !EngineReady()) return;
    if (!always && !state_.crossFade) return;
    // A paused or stopped channel has nothing left to fade.
    if (b.BASS_ChannelIsActive(state_.channelHandle) != BASS_ACTIVE_PLAYING) return;
    b.BASS_ChannelSlideAttributes(state_.channelHandle, -1, 0, kPan, kFadeMs);
    QThread::msleep(kFadeMs);
}

void StreamPlayback::FreeStream() {
    lastTickPosition_ = kNoPosition;
    if (state_.channelHandle && library_.Bass().BASS_StreamFree) library_.Bass().BASS_StreamFree(state_.channelHandle);
    state_.channelHandle = 0;
    equalizerInstalled_ = false;
    reverbFx_ = 0;
}

void StreamPlayback::ApplyChannelVolume() {
    if (!state_.channelHandle || !EngineReady()) return;
    library_.Bass().BASS_ChannelSetAttributes(
        state_.channelHandle, 0, ChannelVolumePercent(state_.volume, state_.volumeMax, state_.mute), kPan);
}

void StreamPlayback::StartTimers() {
    dlg_.SetTimer(3, 90);
    dlg_.SetTimer(4, 90);
    if (views_.startMainTimers) views_.startMainTimers();
    if (views_.refreshMain) views_.refreshMain();
}

void StreamPlayback::FillChannelInfo() {
    const BassFunctions& b = library_.Bass();
    BASS_CHANNELINFO info{};
    if (b.BASS_ChannelGetInfo(state_.channelHandle, &info)) {
        state_.channelInfo.freq = info.freq;
        state_.channelInfo.chans = info.chans;
        state_.channelInfo.flags = info.flags;
    }
    const QWORD length = b.BASS_StreamGetLength(state_.channelHandle);
    state_.lengthSeconds =
        length == static_cast<QWORD>(-1) ? 0 : static_cast<unsigned>(b.BASS_ChannelBytes2Seconds(state_.channelHandle, length));
}

void StreamPlayback::SetTitle(const std::string& title) { dlg_.SetTitleText(title); }

void StreamPlayback::OpenAndPlay(const std::string& path) {
    FadeOut(false);
    FreeStream();
    state_.channelHandle = OpenDecodeStream(path, true);
    if (!state_.channelHandle) {
        PlayNext();
        return;
    }
    if (views_.ensureRowVisible) views_.ensureRowVisible(model_.CurrentIndex());
    StartStream();
}

void StreamPlayback::StartStream() {
    const BassFunctions& b = library_.Bass();
    const int row = model_.CurrentIndex();
    const std::string path = model_.GetEntryField(row, kColumnPath);
    std::string time = model_.GetEntryField(row, kColumnTime);
    if (time == kTimeArchive) {
        // A song taken out of an archive is measured when it first plays.
        const HSTREAM probe = OpenDecodeStream(path, true);
        if (!probe) {
            PlayNext();
            return;
        }
        time = TimeText(b.BASS_ChannelBytes2Seconds(probe, b.BASS_StreamGetLength(probe)));
        const std::string title = views_.titleForPath ? views_.titleForPath(path)
                                                      : model_.GetEntryField(row, kColumnTitle);
        model_.UpdateEntry(row, path, title, time);
        if (views_.repaintList) views_.repaintList();
        b.BASS_StreamFree(probe);
    }
    model_.MarkCurrentRow(row);
    dlg_.KillTimer(5);
    if (time != kTimeUrl) {
        const HSTREAM tempo = b.BASS_FX_TempoCreate ? b.BASS_FX_TempoCreate(state_.channelHandle, kTempoFlags) : 0;
        if (!tempo) {
            ShowError("Couldn't create a resampled stream!");
            FreeStream();
            return;
        }
        state_.channelHandle = tempo;
    }
    ApplyChannelVolume();
    if (state_.equalizerOn) {
        InstallEqualizer();
        ApplyStoredGains();
    }
    if (state_.reverseMode) {
        CreateReverse();
        return;
    }
    b.BASS_ChannelPlay(state_.channelHandle, TRUE);
    BeginPlaying(row);
}

void StreamPlayback::BeginPlaying(int row) {
    lastTickPosition_ = kNoPosition;
    FillChannelInfo();
    SetTitle(model_.GetEntryField(row, kColumnTitle));
    state_.isPlaying = 1;
    state_.isUrlStream = 0;
    state_.isPaused = 0;
    StartTimers();
}

void StreamPlayback::StopPlayback() {
    FadeOut(false);
    FreeStream();
    state_.isPlaying = state_.isPaused = state_.isUrlStream = 0;
    dlg_.KillTimer(4);
    dlg_.KillTimer(5);
    if (views_.refreshMain) views_.refreshMain();
}

void StreamPlayback::PlayPauseResume() {
    const BassFunctions& b = library_.Bass();
    if (state_.isPlaying && state_.channelHandle) {
        // A short fade so the pause does not click.
        for (int v = state_.volume - 1; v >= 0; --v) {
            b.BASS_ChannelSetAttributes(state_.channelHandle, 0,
                                        ChannelVolumePercent(v, state_.volumeMax, state_.mute), kPan);
            QThread::msleep(10);
        }
        b.BASS_ChannelStop(state_.channelHandle);
        state_.isPaused = 1;
        state_.isPlaying = 0;
        if (views_.refreshMain) views_.refreshMain();
        return;
    }
    if (state_.isPaused && state_.channelHandle) {
        ApplyChannelVolume();
        b.BASS_ChannelPlay(state_.channelHandle, FALSE);
        state_.isPlaying = 1;
        state_.isPaused = 0;
        StartTimers();
        return;
    }
    if (model_.RowCount() == 0) {
        if (views_.openFileDialog) views_.openFileDialog();
        return;
    }
    int row = model_.SelectedIndex();
    if (row < 0 || row >= model_.RowCount()) row = 0;
    model_.SetSelectedIndex(row);
    model_.SetCurrentIndex(row);
    const std::string path = model_.GetEntryField(row, kColumnPath);
    if (StartAddressIfItOpens(path, row)) return;
    OpenAndPlay(path);
}

double StreamPlayback::PositionSeconds() const {
    const BassFunctions& b = library_.Bass();
    if (!state_.channelHandle || !b.BASS_ChannelGetPosition) return 0;
    const QWORD pos = b.BASS_ChannelGetPosition(state_.channelHandle);
    return pos == static_cast<QWORD>(-1) ? 0 : b.BASS_ChannelBytes2Seconds(state_.channelHandle, pos);
}

double StreamPlayback::LengthSeconds() const {
    const BassFunctions& b = library_.Bass();
    if (!state_.channelHandle || !b.BASS_StreamGetLength) return 0;
    const QWORD len = b.BASS_StreamGetLength(state_.channelHandle);
    return len == static_cast<QWORD>(-1) ? 0 : b.BASS_ChannelBytes2Seconds(state_.channelHandle, len);
}

void StreamPlayback::Seek(int direction) {
    if (!(state_.isPlaying || state_.isPaused) || !state_.channelHandle || state_.isUrlStream) return;
    const BassFunctions& b = library_.Bass();
    const long target = SeekTargetSeconds(static_cast<long>(PositionSeconds()), direction, state_.lengthSeconds);
    if (views_.positionTooltip) views_.positionTooltip(SeekTooltip(target));
    const QWORD pos = (state_.channelInfo.flags & BASS_POS_SECONDS)
                          ? BASS_POS_SECONDS_FORM(target)
                          : b.BASS_ChannelSeconds2Bytes(state_.channelHandle, static_cast<float>(target));
    b.BASS_ChannelSetPosition(state_.channelHandle, pos);
    lastTickPosition_ = kNoPosition;
    if (views_.refreshMain) views_.refreshMain();
}

void StreamPlayback::SeekToSeconds(double seconds) {
    if (!(state_.isPlaying || state_.isPaused) || !state_.channelHandle || state_.isUrlStream) return;
    const BassFunctions& b = library_.Bass();
    const double length = LengthSeconds();
    if (seconds > length) seconds = length;
    if (seconds < 0) seconds = 0;
    b.BASS_ChannelSetPosition(state_.channelHandle,
                              b.BASS_ChannelSeconds2Bytes(state_.channelHandle, static_cast<float>(seconds)));
    lastTickPosition_ = kNoPosition;
    if (views_.refreshMain) views_.refreshMain();
}

void StreamPlayback::StepVolume(int step) { SetVolume(SteppedVolume(state_.volume, state_.volumeMax, step)); }

void StreamPlayback::SetVolume(int volume) {
    state_.volume = SteppedVolume(volume, state_.volumeMax, 0);
    ApplyChannelVolume();
    if (views_.volumeTooltip) views_.volumeTooltip(VolumeTooltip(state_.volume, state_.volumeMax));
    if (views_.refreshMain) views_.refreshMain();
}

void StreamPlayback::SetMute(bool muted) {
    state_.mute = muted ? 1 : 0;
    ApplyChannelVolume();
    if (views_.refreshMain) views_.refreshMain();
}

}  // namespace tavora
