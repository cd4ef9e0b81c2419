#include "EffectRules.h"

#include <algorithm>
#include <cstdio>


namespace tavora {

int ClampDspValue(int value) { return std::clamp(value, DspValues::kMin, DspValues::kMax); }

int DspTempo(const DspValues& v) { return v.tempo + v.speed; }

int DspPitch(const DspValues& v) { return v.pitch + v.speed; }

std::string DspValueLabel(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", value);
    return text;
}

}  // namespace tavora
