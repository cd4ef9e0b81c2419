#pragma once
// Sound effects that only remember what the windows asked of them.
#include <array>
#include <map>
#include <string>
#include <vector>

#include "EffectsControl.h"

namespace tavora::test {

class RecordingEffects : public EffectsControl {
public:
    std::map<int, int> bandGains;
    bool on = true;
    int toggles = 0;
    bool dspOpen = false;
    bool reverse = false;
    std::vector<std::string> calls;  // the DSP calls in order
    std::vector<std::array<int, 3>> dspValues;

    void SetBandGain(int band, int gainDb) override { bandGains[band] = gainDb; }
    void SetEqualizerOn(bool value) override {
        on = value;
        ++toggles;
    }
    bool EqualizerOn() const override { return on; }
    void SetDspOpen(bool open) override {
        dspOpen = open;
        calls.push_back(open ? "open" : "shut");
    }
    void SetDspValues(int tempo, int pitch, int speed) override {
        dspValues.push_back({tempo, pitch, speed});
        calls.push_back("values");
    }
    bool ReverseMode() const override { return reverse; }
    void ToggleReverse() override {
        reverse = !reverse;
        calls.push_back("reverse");
    }
    void ResetDsp() override {
        reverse = false;
        calls.push_back("reset");
    }
    void CloseDsp() override {
        reverse = false;
        dspOpen = false;
        calls.push_back("close");
    }
};

}  // namespace tavora::test
