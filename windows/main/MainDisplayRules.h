#pragma once
// What the main window shows for a playback state, kept apart from the widget so the
// rules are tested on their own: lamps, the time displays, the sample-rate and
// bit-rate digits, the repeat cycle, the slider arithmetic, the title scroll and the
// status messages of the text strip.
//
// Pure functions and a small value class; any thread.

#include <array>
#include <cstdint>
#include <string>

namespace tavora::mainwin {

// 0 stopped, 1 mono, 2 stereo (two or more channels; an internet stream counts as 2).
int ChannelState(bool playing, bool paused, bool urlStream, unsigned channels);

enum class PlayLamp { Play, Wait, Stop };
PlayLamp PlayLampFor(bool playing, bool paused);

enum class RepeatMode { None, One, All };
RepeatMode RepeatModeOf(int repeatOne, int repeatAll);
// The repeat button's cycle: one -> all -> none -> one.
RepeatMode NextRepeatMode(RepeatMode mode);
// The status text shown for the mode just entered.
const char* RepeatStatusText(RepeatMode mode);

// Seconds on the elapsed/remaining display: 0 while stopped; elapsed: the whole
// seconds played; remaining: whole seconds of the length minus whole seconds played.
// A negative result shows as 0.
int TimeDisplaySeconds(bool active, bool showElapsed, double positionSeconds, double lengthSeconds);

// Hertz shown for the sample rate (an internet stream always shows 44 kHz).
int SampleRateHz(bool urlStream, uint32_t frequency);
// Kilobits per second: the stream's "icy-br" header for an internet stream, else the
// file size over the length (nearest integer; 0 when the length is unknown).
int BitrateKbps(bool urlStream, const std::string& bitrateHeader, uint64_t fileBytes, double lengthSeconds);
// Three digit texts: kHz (44100 -> "044") and kbps (192 -> "192").
std::string SampleRateText(int hz);
std::string BitrateText(int kbps);

// The seek target of a position-slider offset: units x length / track width.
long SeekSecondsFromUnits(int units, unsigned lengthSeconds, int trackWidth);

// The title strip. Where the title is drawn: centred (+20) when narrower than the
// strip, else at the scroll offset.
int TitleDrawX(int stripWidth, int titleWidth, int titleX);
// One 30 ms scroll step: re-enter from the right once fully gone, keep a short title
// centred, otherwise move one pixel left.
int NextTitleX(int titleX, int stripWidth, int titleWidth);
// Where a status message is drawn.
inline int StatusDrawX(int stripWidth) { return stripWidth / 2 - 30; }

// The text strip's status messages. Showing one clears the others; when several are
// pending the first by kind order wins (volume, seek, time mode, mute, shuffle,
// repeat).
enum class StatusKind { Volume = 0, Seek, TimeMode, Mute, Shuffle, Repeat };

class StatusBoard {
public:
    static constexpr int kKinds = 6;
    static constexpr int kShowMs = 1500;
    static constexpr int kWheelShowMs = 500;

    // Sets the message text without showing it (the controller's tooltips).
    void SetText(StatusKind kind, std::string text) { texts_[Index(kind)] = std::move(text); }
    // Shows the kind's message (with new text when given), clearing the others.
    void Show(StatusKind kind);
    void Show(StatusKind kind, std::string text);
    void ClearAll() { pending_ = {}; }
    bool Pending(StatusKind kind) const { return pending_[Index(kind)]; }
    // The message to draw, or nullptr when the title shows.
    const std::string* Current() const;

private:
    static int Index(StatusKind kind) { return static_cast<int>(kind); }
    std::array<bool, kKinds> pending_{};
    std::array<std::string, kKinds> texts_;
};

}  // namespace tavora::mainwin
