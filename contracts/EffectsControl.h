#pragma once
// What the equaliser window and the DSP effect dialog ask of the sound effects: band
// gains and the equaliser's on/off, the dialog's trackbars, reverse play and its two
// buttons. The controller's playback is the one real implementation; window tests
// give a recording one.
//
// Threading: UI thread only.

namespace tavora {

class EffectsControl {
public:
    virtual ~EffectsControl() = default;

    // Stores the gain of band 0..9 (60 Hz .. 16 kHz) and, while the bands are on the
    // stream, applies it at once.
    virtual void SetBandGain(int band, int gainDb) = 0;
    // On: the ten bands go on the stream with the stored gains; off: they come off.
    virtual void SetEqualizerOn(bool on) = 0;
    virtual bool EqualizerOn() const = 0;

    // The DSP effect dialog was opened or closed (tempo and pitch act only while open).
    virtual void SetDspOpen(bool open) = 0;
    // A trackbar moved: tempo = Tempo + Speed, pitch = Pitch + Speed on the stream.
    virtual void SetDspValues(int tempo, int pitch, int speed) = 0;
    virtual bool ReverseMode() const = 0;
    // "Reverse (역재생)": off plays the selected entry normally again, on restarts it
    // reversed (each only while something plays).
    virtual void ToggleReverse() = 0;
    // "기본값": trackbars to 0 and reverse off.
    virtual void ResetDsp() = 0;
    // "확인": tempo and pitch back to normal, reverse off, the dialog closes.
    virtual void CloseDsp() = 0;
};

}  // namespace tavora
