#pragma once
// Messages the controller handles besides commands, and the timer identifiers.
//
// The numbers are the ones the player has always used with its peers (the second
// instance, the taskbar band), so they stay fixed.

namespace tavora::msg {

enum Message : unsigned {
    Destroy = 0x0002,
    Close = 0x0010,
    Command = 0x0111,  // wParam: command identifier
    Timer = 0x0113,    // wParam: timer identifier
    MixerControlChange = 0x03D1,
    BandState = 0x1080,
    BandClose = 0x1081,
    BandStopped = 0x1083,
    BandShow = 0x10E7,
    BandPlay = 0x10E8,
    BandBack = 0x10E9,
    BandNext = 0x10EA,
    BandVolume = 0x10EB,
    BandMute = 0x10EC,
    BandModes = 0x10F0,
    OutFileLoad = 0x8235,     // wParam: argument number
    OutFileArrived = 0x8236,  // wParam: argument number (second instance -> playlist window)
    TrayNotify = 0x8237,
};

}  // namespace tavora::msg

namespace tavora::timer {

// Controller timers.
inline constexpr int kPosition = 3;        // position display and end of track, 90 ms
inline constexpr int kMasterVolume = 4;    // system master volume read-back, 90 ms
inline constexpr int kStreamHeaders = 5;   // internet-stream headers and title, 1000 ms
inline constexpr int kPositionPeriodMs = 90;
inline constexpr int kMasterVolumePeriodMs = 90;
inline constexpr int kStreamHeadersPeriodMs = 1000;

}  // namespace tavora::timer
