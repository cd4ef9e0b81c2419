#pragma once
// What the player and the band program tell each other. Every message is a
// (message, wParam, lParam) triple, the numbers the band has always understood; on
// X11 it travels as a client message (see X11BandLink.h).
//
// The player sends its state and modes packed into lParam; the band sends its
// requests with the volume position (0..38) or the mute flag in wParam.
//
// Pure functions, any thread.

#include <cstdint>

namespace tavora::band {

// Window messages (player -> band).
inline constexpr unsigned kState = 0x1080;    // wParam: player window; lParam: StateWord
inline constexpr unsigned kClose = 0x1081;    // the player came back or goes: drop the controls
inline constexpr unsigned kStopped = 0x1083;  // playback stopped
inline constexpr unsigned kModes = 0x10F0;    // wParam: player window; lParam: ModesWord
// Requests (band -> player).
inline constexpr unsigned kShow = 0x10E7;
inline constexpr unsigned kPlay = 0x10E8;
inline constexpr unsigned kBack = 0x10E9;
inline constexpr unsigned kNext = 0x10EA;
inline constexpr unsigned kVolume = 0x10EB;  // wParam: volume position 0..38
inline constexpr unsigned kMute = 0x10EC;    // wParam: nonzero = mute

inline constexpr int kVolumePositions = 38;

// The window class the player looks for.
inline constexpr const char* kWindowClass = "TavoraDeskBandClass";

enum class RepeatMode : int { Off = 0, One = 1, All = 2 };

// 0 stopped, 1 muted and stopped, 2 playing, 3 muted and playing.
int PlayState(bool playing, bool muted);
bool PlayStateIsPlaying(int playState);
bool PlayStateIsMuted(int playState);

// (volume position 0..38) << 16 | play state.
uint32_t StateWord(int volumePosition, int playState);
struct BandState {
    int volumePosition = 0;
    int playState = 0;
};
// Out-of-range fields are clamped, so a damaged word never shows nonsense.
BandState DecodeStateWord(uint32_t word);

// (repeat mode) << 16 | shuffle (0/1).
uint32_t ModesWord(RepeatMode repeat, bool shuffle);
struct BandModes {
    RepeatMode repeat = RepeatMode::Off;
    bool shuffle = false;
};
BandModes DecodeModesWord(uint32_t word);

// Whether `message` is one the band sends to the player.
bool IsBandRequest(unsigned message);

}  // namespace tavora::band
