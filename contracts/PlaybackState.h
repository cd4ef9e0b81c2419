#pragma once
// The process-wide playback state. The controller owns and changes it on the UI
// thread; the skinned windows read it when they paint (also on the UI thread).

#include <cstdint>
#include <string>

namespace tavora {

struct ChannelInfo {
    uint32_t freq = 0;
    uint32_t chans = 0;
    uint32_t flags = 0;
};

struct PlaybackState {
    uint32_t channelHandle = 0;  // the stream playing or last played; 0 when none
    int isPlaying = 0;
    int isPaused = 0;
    int isUrlStream = 0;
    int isSeeking = 0;  // the position slider is being dragged: no end-of-track test
    int reverseMode = 0;
    unsigned lengthSeconds = 0;  // 0 for internet streams
    int positionUnits = 0;       // position scaled to the position slider
    int positionMax = 0;         // the position slider's length (from the skin)
    int volume = 0;              // volume-slider units, 0..volumeMax
    int volumeMax = 0;           // the volume slider's length (from the skin)
    ChannelInfo channelInfo;
    std::string titleText;    // the controller's window title, also shown by the main window
    std::string bitrateText;  // "icy-br" of an internet stream

    // Settings mirrored in memory.
    int mute = 0;
    int repeatOff = 1, repeatOne = 0, repeatAll = 0;
    int shuffle = 0;
    int equalizerOn = 1;     // the equaliser effect
    int equalizerShown = 0;  // the equaliser window
    int listShown = 1;       // the playlist window
    int alwaysTop = 0;
    int beginPlay = 0;
    int showTray = 0;
    int showTaskbar = 0;
    int startOpen = 1;
    int openFile = 1, openFolder = 0, openUrl = 0;
    int miniPlayer = 1;
    int miniPlayerInfo = 0;
    int crossFade = 1;
    int normalize = 0;
};

}  // namespace tavora
