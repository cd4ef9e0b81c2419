#pragma once
// The player's side of the band: the band program's window is found by its class at
// start and at every minimise and remembered as "handle" in the settings store; at
// minimise the player hands its state over to it, and tells it when playback stops
// and when the player comes back or goes.
//
// A remembered handle may be stale: the band went away, or its window id now belongs
// to another program. Nothing is sent to a window that is not the band's.
//
// Threading: UI thread only.

#include <cstdint>
#include <memory>

namespace tavora {

struct PlaybackState;

// How band windows are found and reached (X11 in the program, a fake in tests).
class BandTransport {
public:
    virtual ~BandTransport() = default;
    virtual uint32_t Find() = 0;                    // 0: no band
    virtual bool IsBand(uint32_t window) = 0;       // alive and of the band's class
    virtual void Send(uint32_t window, unsigned message, uint32_t wParam, uint32_t lParam) = 0;
};

std::unique_ptr<BandTransport> MakeX11BandTransport();

// The words of the hand-over for a playback state.
uint32_t BandStateWord(const PlaybackState& state);
uint32_t BandModesWord(const PlaybackState& state);

class BandHandOff {
public:
    explicit BandHandOff(BandTransport& transport) : transport_(transport) {}

    // Looks for the band; a band found is remembered as "handle".
    void Refresh();
    // The remembered handle (0 when none).
    uint32_t handle() const;

    // Refreshes, then sends the state and modes to the remembered band if it is one;
    // true when the band took over.
    bool HandOver(const PlaybackState& state, uint32_t playerWindow);
    // Sends the state and modes again to a band that holds the controls.
    void Update(const PlaybackState& state, uint32_t playerWindow);
    // The player came back or goes: the band drops its controls.
    void SendClose();
    void SendStopped();

private:
    void SendToBand(unsigned message, uint32_t wParam, uint32_t lParam);

    BandTransport& transport_;
};

}  // namespace tavora
