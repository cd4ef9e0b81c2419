#pragma once
// The arithmetic of the sound effects, kept apart from the engine so the rules are
// tested on their own: the DSP effect dialog's trackbars and what the tempo wrapper
// gets from them.

#include <string>

namespace tavora {

// The three trackbars of the DSP effect dialog, each -15..+15, and whether the dialog
// is open (tempo and pitch act only while it is).
struct DspValues {
    static constexpr int kMin = -15;
    static constexpr int kMax = 15;
    bool open = false;
    int tempo = 0;
    int pitch = 0;
    int speed = 0;
};

int ClampDspValue(int value);
// Speed moves tempo and pitch together: tempo in percent, pitch in semitones.
int DspTempo(const DspValues& v);
int DspPitch(const DspValues& v);
// A trackbar's value label, "%d%%".
std::string DspValueLabel(int value);

}  // namespace tavora
