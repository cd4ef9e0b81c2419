// Track advance and internet streams on top of the current stream.
//
// The choice of the next row (repeat and shuffle rules, rows marked "---", the end of
// the list) is the playlist's TrackAdvance; here the choice is carried out: fade the
// old stream, free it, open the row, or stop. A row that does not open is passed over
// in the same direction at most once per row, so a list of broken files ends instead
// of looping.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstring>

#include "AudioLibrary.h"
#include "PlaybackRules.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"
#include "StreamPlayback.h"
#include "TavoraPlayerDlg.h"
#include "TrackAdvance.h"

namespace tavora {

namespace {
constexpr int kFallbackPositionMax = 1000;
// How long the buffering wait of an internet stream may keep the player busy.
constexpr int kBufferingLimitMs = 15000;
constexpr size_t kTitleLimit = 1003;

AdvanceModes ModesOf(const PlaybackState& s) { return AdvanceModesFromFlags(s.repeatOne, s.repeatAll, s.shuffle); }
}  // namespace

bool StreamPlayback::StartAddressIfItOpens(const std::string& path, int row) {
    const HSTREAM h = OpenAddress(path);
    if (!h) return false;
    FadeOut(false);
    FreeStream();
    state_.channelHandle = h;
    model_.SetCurrentIndex(row);
    StartUrlStream();
    return true;
}

bool StreamPlayback::PlayChoiceRow(int row, const std::string& path, const std::string& time, bool endOfTrack) {
    if (endOfTrack && time == kTimeUrl) return StartAddressIfItOpens(path, row);
    // Open first, so that a failed row does not cost the fades of every retry.
    const HSTREAM h = OpenDecodeStream(path, true);
    if (!h) return false;
    FadeOut(false);
    FreeStream();
    state_.channelHandle = h;
    if (views_.ensureRowVisible) views_.ensureRowVisible(row);
    StartStream();
    return state_.isPlaying != 0;
}

namespace {
// Carries out one advance: the fades and frees the choice asks for, then the row.
AdvanceChoice Advance(StreamPlayback& playback, PlaylistModel& model, PlaybackState& state, AdvanceTrigger trigger,
                      const std::function<bool(const AdvanceChoice&, bool)>& play) {
    bool first = true;
    return AdvanceAndPlay(model, ModesOf(state), trigger, [&](const AdvanceChoice& c) {
        const bool ok = play(c, first);
        first = false;
        return ok;
    });
}
}  // namespace

void StreamPlayback::PlayNext() {
    const AdvanceChoice choice =
        Advance(*this, model_, state_, AdvanceTrigger::Next, [this](const AdvanceChoice& c, bool first) {
            if (first && (c.fade || c.slideAlways)) FadeOut(c.slideAlways);
            return PlayChoiceRow(c.row, c.path, c.time, false);
        });
    if (choice.action == AdvanceAction::Stop) StopPlayback();
    if (views_.ensureRowVisible) views_.ensureRowVisible(model_.CurrentIndex());
}

void StreamPlayback::PlayPrevious() {
    const AdvanceChoice choice =
        Advance(*this, model_, state_, AdvanceTrigger::Previous, [this](const AdvanceChoice& c, bool first) {
            if (first && (c.fade || c.slideAlways)) FadeOut(c.slideAlways);
            return PlayChoiceRow(c.row, c.path, c.time, false);
        });
    if (choice.action == AdvanceAction::Stop) StopPlayback();
    if (views_.ensureRowVisible) views_.ensureRowVisible(model_.CurrentIndex());
}

void StreamPlayback::PlayCurrentEntry() {
    const AdvanceChoice choice = ChooseCurrentRow(model_);
    if (choice.action != AdvanceAction::Play) return;
    if (const HSTREAM probe = OpenAddress(choice.path)) {
        switch (ClassifyOpenedAddress(choice.path)) {
        case OpenedAddressUse::InternetStream:
            FadeOut(false);
            FreeStream();
            state_.channelHandle = probe;
            StartUrlStream();
            return;
        case OpenedAddressUse::PlsPlaylist:
            library_.Bass().BASS_StreamFree(probe);
            if (views_.loadPls) views_.loadPls(choice.path);
            return;
        case OpenedAddressUse::SongFile:
            library_.Bass().BASS_StreamFree(probe);
            OpenAndPlay(choice.path);
            return;
        }
    }
    StopPlayback();
    if (choice.time != kTimeUrl) OpenAndPlay(choice.path);
}

void StreamPlayback::PlaySelectedEntry() {
    const AdvanceChoice choice = ChooseSelectedRow(model_);
    if (choice.action != AdvanceAction::Play) return;
    if (StartAddressIfItOpens(choice.path, choice.row)) return;
    OpenAndPlay(choice.path);
}

void StreamPlayback::OnPositionTimer() {
    if (!state_.isPlaying || state_.isSeeking || !state_.channelHandle) return;
    const BassFunctions& b = library_.Bass();
    const int max = state_.positionMax > 0 ? state_.positionMax : kFallbackPositionMax;
    const QWORD pos = b.BASS_ChannelGetPosition(state_.channelHandle);
    const QWORD len = b.BASS_StreamGetLength(state_.channelHandle);
    const int units = PositionUnits(pos, len, max);
    state_.positionUnits = state_.positionMax > 0 ? units : 0;
    if (views_.refreshMain) views_.refreshMain();
    // Streams without a length (radio) never end by position.
    if (state_.isUrlStream || len == 0 || len == static_cast<QWORD>(-1)) return;
    // The streams loop, so the end is seen by position: the last slider unit reached,
    // or, for a track so short that its last unit passes between two ticks, the
    // position having wrapped round since the last tick.
    const bool reverse = state_.reverseMode != 0;
    const bool wrapped = lastTickPosition_ != kNoPosition &&
                         (reverse ? pos > lastTickPosition_ : pos < lastTickPosition_);
    lastTickPosition_ = pos;
    if (!IsTrackEnd(units, max, reverse) && !wrapped) return;
    lastTickPosition_ = kNoPosition;

    RemoveEqualizer();
    FadeOut(false);
    state_.isPlaying = 0;
    if (model_.RowCount() == 0) {
        FreeStream();
        StopPlayback();
        return;
    }
    FreeStream();
    const AdvanceChoice choice =
        Advance(*this, model_, state_, AdvanceTrigger::TrackEnd, [this](const AdvanceChoice& c, bool) {
            return PlayChoiceRow(c.row, c.path, c.time, true);
        });
    if (choice.action != AdvanceAction::Play) StopPlayback();
    if (views_.ensureRowVisible) views_.ensureRowVisible(model_.CurrentIndex());
}

void StreamPlayback::StartUrlStream() {
    const BassFunctions& b = library_.Bass();
    const int row = model_.CurrentIndex();
    model_.MarkCurrentRow(row);
    dlg_.KillTimer(3);
    ApplyChannelVolume();
    if (state_.equalizerOn) {
        InstallEqualizer();
        ApplyStoredGains();
    }
    // Wait until three quarters of the buffer are there, showing the progress. The wait
    // is bounded: a stalled server must not freeze the player for good.
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const DWORD total = b.BASS_StreamGetFilePosition(state_.channelHandle, BASS_FILEPOS_END);
        if (total == static_cast<DWORD>(-1) || total == 0) break;
        const DWORD downloaded = b.BASS_StreamGetFilePosition(state_.channelHandle, BASS_FILEPOS_DOWNLOAD);
        const DWORD decoded = b.BASS_StreamGetFilePosition(state_.channelHandle, BASS_FILEPOS_DECODE);
        const unsigned percent =
            static_cast<unsigned>((static_cast<uint64_t>(downloaded - decoded) * 100) / total);
        // A short file may be downloaded whole while the decoder has already read into
        // it: then there is nothing left to wait for.
        const bool complete = downloaded != static_cast<DWORD>(-1) && downloaded >= total;
        if (percent > 75 || complete || clock.elapsed() > kBufferingLimitMs) {
            const std::string path = model_.GetEntryField(row, kColumnPath);
            state_.titleText = views_.titleForPath ? views_.titleForPath(path) : std::string(FileNameOf(path));
            break;
        }
        state_.titleText = "버퍼링... " + std::to_string(percent) + "%";
        SetTitle(state_.titleText);
        if (views_.refreshMain) views_.refreshMain();
        QThread::msleep(20);
    }
    b.BASS_ChannelPlay(state_.channelHandle, FALSE);
    state_.lengthSeconds = 0;
    SetTitle(state_.titleText);
    state_.isUrlStream = 1;
    state_.isPlaying = 1;
    state_.isPaused = 0;
    state_.positionUnits = 0;
    state_.bitrateText.clear();
    FillChannelInfo();
    state_.lengthSeconds = 0;
    dlg_.SetTimer(3, 90);
    dlg_.SetTimer(4, 90);
    dlg_.SetTimer(5, 1000);
    if (views_.startMainTimers) views_.startMainTimers();
    if (views_.refreshMain) views_.refreshMain();
}

void StreamPlayback::OnStreamHeadersTimer() {
    if (!state_.isUrlStream) {
        dlg_.KillTimer(5);
        SetTitle(state_.titleText);
        return;
    }
    const BassFunctions& b = library_.Bass();
    if (const char* headers = b.BASS_StreamGetTags(state_.channelHandle, BASS_TAG_ICY)) {
        for (const char* line = headers; *line; line += std::strlen(line) + 1) {
            if (!std::strncmp(line, "icy-name:", 9)) {
                // The station name is added once, not on every tick.
                const std::string name = line + 9;
                if (state_.titleText.find(name) == std::string::npos && state_.titleText.size() + name.size() <= kTitleLimit)
                    state_.titleText += name;
            } else if (!std::strncmp(line, "icy-br:", 7)) {
                state_.bitrateText = std::string(line + 7).substr(0, 259);
            }
        }
    }
    if (const char* meta = b.BASS_StreamGetTags(state_.channelHandle, BASS_TAG_META)) {
        if (const char* start = std::strstr(meta, "StreamTitle='")) {
            start += 13;
            const char* end = std::strchr(start, ';');
            // The character before ';' is the closing quote; without ';' the title runs to the end.
            std::string title = end ? std::string(start, end > start ? end - start - 1 : 0) : std::string(start);
            if (!end && !title.empty() && title.back() == '\'') title.pop_back();
            state_.titleText = title.substr(0, kTitleLimit);
        }
    }
    if (views_.refreshMain) views_.refreshMain();
    const int row = model_.CurrentIndex();
    model_.UpdateEntry(row, model_.GetEntryField(row, kColumnPath), state_.titleText, model_.GetEntryField(row, kColumnTime));
    if (views_.repaintList) views_.repaintList();
    SetTitle(state_.titleText);
}

// --- Effects ---------------------------------------------------------------------

void StreamPlayback::InstallEqualizer() {
    const BassFunctions& b = library_.Bass();
    if (!state_.channelHandle || !b.BASS_FX_DSP_Set) return;
    static constexpr float kCentres[kBandCount] = {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000};
    DWORD freq = 0;
    b.BASS_ChannelGetAttributes(state_.channelHandle, &freq, nullptr, nullptr);
    for (int i = 0; i < kBandCount; ++i) b.BASS_FX_DSP_Set(state_.channelHandle, BASS_FX_DSPFX_PEAKEQ, 0);
    for (int i = 0; i < kBandCount; ++i) {
        BASS_FX_PEAKEQ_BAND band{i, freq, 1.0f, 0.0f, kCentres[i], 0.0f};
        b.BASS_FX_DSP_SetParameters(state_.channelHandle, BASS_FX_DSPFX_PEAKEQ, &band);
    }
    equalizerInstalled_ = true;
}

void StreamPlayback::RemoveEqualizer() {
    if (state_.channelHandle && library_.Bass().BASS_FX_DSP_Remove)
        library_.Bass().BASS_FX_DSP_Remove(state_.channelHandle, BASS_FX_DSPFX_PEAKEQ);
    equalizerInstalled_ = false;
}

void StreamPlayback::SetBandGain(int band, int gainDb) {
    if (band < 0 || band >= kBandCount) return;
    gains_[static_cast<size_t>(band)] = gainDb;
    const BassFunctions& b = library_.Bass();
    if (!state_.channelHandle || !equalizerInstalled_ || !b.BASS_FX_DSP_GetParameters) return;
    BASS_FX_PEAKEQ_BAND params{};
    params.band = band;
    if (!b.BASS_FX_DSP_GetParameters(state_.channelHandle, BASS_FX_DSPFX_PEAKEQ, &params)) return;
    params.gain = static_cast<float>(gainDb);
    b.BASS_FX_DSP_SetParameters(state_.channelHandle, BASS_FX_DSPFX_PEAKEQ, &params);
}

void StreamPlayback::ApplyStoredGains() {
    for (int i = 0; i < kBandCount; ++i) SetBandGain(i, gains_[static_cast<size_t>(i)]);
}

void StreamPlayback::SetTempoPitch(float tempo, float pitch) {
    if (state_.channelHandle && library_.Bass().BASS_FX_TempoSet)
        library_.Bass().BASS_FX_TempoSet(state_.channelHandle, tempo, 0, pitch);
}

void StreamPlayback::CreateReverse() {
    const BassFunctions& b = library_.Bass();
    if (state_.isPlaying) FadeOut(false);
    FreeStream();
    const int row = model_.CurrentIndex();
    const std::string path = model_.GetEntryField(row, kColumnPath);
    HSTREAM source = 0;
    if (b.BASS_StreamCreateFile) source = b.BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecodeFlags);
    if (!source && b.BASS_WMA_StreamCreateFile) source = b.BASS_WMA_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecodeFlags);
    if (!source && b.BASS_CD_StreamCreateFile) source = b.BASS_CD_StreamCreateFile(path.c_str(), kCdFlags);
    if (!source) {
        ShowError("Selected file couldnt be loaded!");
        state_.isPlaying = 0;
        return;
    }
    const HSTREAM reversed = b.BASS_FX_ReverseCreate ? b.BASS_FX_ReverseCreate(source, 2.0f, kCdFlags) : 0;
    if (!reversed) {
        ShowError("Couldnt create a reversed stream!");
        b.BASS_StreamFree(source);
        state_.isPlaying = 0;
        return;
    }
    const HSTREAM tempo = b.BASS_FX_TempoCreate(reversed, kTempoFlags);
    if (!tempo) {
        ShowError("Couldnt create a resampled stream!");
        b.BASS_StreamFree(reversed);
        state_.isPlaying = 0;
        return;
    }
    state_.channelHandle = tempo;
    reverbFx_ = b.BASS_ChannelSetFX(tempo, BASS_FX_REVERB, 0);
    ApplyChannelVolume();
    if (state_.equalizerOn) {
        InstallEqualizer();
        ApplyStoredGains();
    }
    b.BASS_ChannelPlay(tempo, FALSE);
    BeginPlaying(row);
}

}  // namespace tavora
