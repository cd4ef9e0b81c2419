#pragma once
// Where the mixed sound goes: the default PulseAudio sink, nothing (paced in real
// time), or a WAV file (paced in real time). TAVORA_AUDIO_OUTPUT chooses:
// "pulse" (default), "null", "wav:PATH".
//
// A lost sound server (it quit, crashed or refused a write) never makes playback race:
// the output then keeps time as the silent one does, reports the loss once on stderr
// and through Error(), and tries to reconnect about once a second.
//
// Threading: Write is called from the engine's playback thread only; Error from any.

#include <cstddef>
#include <memory>
#include <string>

namespace tavora::audio {

class Output {
public:
    virtual ~Output() = default;
    // Interleaved stereo floats at the output rate; blocks until the device (or the
    // real-time pace) takes them.
    virtual void Write(const float* stereo, size_t frames) = 0;
    // BASS_OK, or the BASS_ERROR_ code of why no sound is heard just now.
    virtual int Error() const { return 0; }
};

// nullptr when the output cannot be started; error then holds a BASS_ERROR_ code.
// noSound selects the silent output regardless of the environment (device 0).
std::unique_ptr<Output> CreateOutput(int rate, bool noSound, int& error);

}  // namespace tavora::audio
