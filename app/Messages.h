#pragma once
// Messages the controller handles besides commands, and the timer identifiers.
//
// The numbers are the ones the player has always used with its peers (the second
// instance, the taskbar band), so they stay fixed. The timers the playback runs on
// the controller are in PlaybackTimers.h.

#include "PlaybackTimers.h"

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

