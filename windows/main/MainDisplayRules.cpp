#include "MainDisplayRules.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "DigitDisplay.h"

namespace tavora::mainwin {

int ChannelState(bool playing, bool paused, bool urlStream, unsigned channels) {
    if (!playing && !paused) return 0;
    if (urlStream) return 2;
    return channels >= 2 ? 2 : 1;
}

PlayLamp PlayLampFor(bool playing, bool paused) {
    if (playing) return PlayLamp::Play;
    return paused ? PlayLamp::Wait : PlayLamp::Stop;
}

RepeatMode RepeatModeOf(int repeatOne, int repeatAll) {
    if (repeatAll) return RepeatMode::All;
    return repeatOne ? RepeatMode::One : RepeatMode::None;
}

RepeatMode NextRepeatMode(RepeatMode mode) {
    switch (mode) {
    case RepeatMode::One: return RepeatMode::All;
    case RepeatMode::All: return RepeatMode::None;
    case RepeatMode::None: break;
    }
    return RepeatMode::One;
}

const char* RepeatStatusText(RepeatMode mode) {
    switch (mode) {
    case RepeatMode::All: return "전곡 반복";
    case RepeatMode::None: return "반복 없음";
    case RepeatMode::One: break;
    }
    return "한곡 반복";
}

int TimeDisplaySeconds(bool active, bool showElapsed, double positionSeconds, double lengthSeconds) {
    if (!active) return 0;
    // Whole seconds each, as the engine reports them; a bad reading never shows garbage.
    auto whole = [](double s) { return std::isfinite(s) && s > 0 ? static_cast<long>(std::min(s, 1e9)) : 0L; };
    const long shown = showElapsed ? whole(positionSeconds) : whole(lengthSeconds) - whole(positionSeconds);
    return shown < 0 ? 0 : static_cast<int>(shown);
}

int SampleRateHz(bool urlStream, uint32_t frequency) {
    if (urlStream) return 44000;
    return frequency > 999999u ? 999999 : static_cast<int>(frequency);
}

int BitrateKbps(bool urlStream, const std::string& bitrateHeader, uint64_t fileBytes, double lengthSeconds) {
    if (urlStream) {
        const long value = std::strtol(bitrateHeader.c_str(), nullptr, 10);
        return value < 0 ? 0 : static_cast<int>(std::min(value, 999L));
    }
    if (!(lengthSeconds > 0) || !std::isfinite(lengthSeconds)) return 0;
    const double kbps = static_cast<double>(fileBytes) / (lengthSeconds * 125.0);
    return static_cast<int>(std::lround(std::min(kbps, 999.0)));
}

std::string SampleRateText(int hz) {
    char text[16];
    std::snprintf(text, sizeof text, "%d%d%d", hz / 100000 % 10, (hz / 10000) % 10, (hz / 1000) % 10);
    return text;
}

std::string BitrateText(int kbps) { return ThreeDigits(kbps); }

long SeekSecondsFromUnits(int units, unsigned lengthSeconds, int trackWidth) {
    if (trackWidth <= 0 || units <= 0) return 0;
    return static_cast<long>(static_cast<int64_t>(units) * lengthSeconds / trackWidth);
}

int TitleDrawX(int stripWidth, int titleWidth, int titleX) {
    return titleWidth < stripWidth ? (stripWidth - titleWidth) / 2 + 20 : titleX;
}

int NextTitleX(int titleX, int stripWidth, int titleWidth) {
    if (titleX <= -titleWidth) titleX = stripWidth;
    if (titleWidth < stripWidth) return (stripWidth - titleWidth) / 2 + 20;
    return titleX - 1;
}

void StatusBoard::Show(StatusKind kind) {
    pending_ = {};
    pending_[Index(kind)] = true;
}

void StatusBoard::Show(StatusKind kind, std::string text) {
    SetText(kind, std::move(text));
    Show(kind);
}

const std::string* StatusBoard::Current() const {
    for (int i = 0; i < kKinds; ++i)
        if (pending_[i]) return &texts_[i];
    return nullptr;
}

}  // namespace tavora::mainwin
