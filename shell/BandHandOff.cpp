#include "BandHandOff.h"

#include "PlaybackRules.h"
#include "PlaybackState.h"
#include "StoredValues.h"
#include "band/BandProtocol.h"
#include "band/X11BandLink.h"

namespace tavora {

namespace {

class X11BandTransport : public BandTransport {
public:
    uint32_t Find() override { return band::FindWindowByClass(band::kWindowClass); }
    bool IsBand(uint32_t window) override { return band::IsWindowOfClass(window, band::kWindowClass); }
    void Send(uint32_t window, unsigned message, uint32_t wParam, uint32_t lParam) override {
        band::SendWindowMessage(window, message, wParam, lParam);
    }
};
}  // namespace

std::unique_ptr<BandTransport> MakeX11BandTransport() { return std::make_unique<X11BandTransport>(); }

uint32_t BandStateWord(const PlaybackState& s) {
    return band::StateWord(BandVolumePosition(s.volume, s.volumeMax), band::PlayState(s.isPlaying != 0, s.mute != 0));
}

uint32_t BandModesWord(const PlaybackState& s) {
    const band::RepeatMode repeat = s.repeatAll   ? band::RepeatMode::All
                                    : s.repeatOne ? band::RepeatMode::One
                                                  : band::RepeatMode::Off;
    return band::ModesWord(repeat, s.shuffle != 0);
}

void BandHandOff::Refresh() {
    if (const uint32_t found = transport_.Find())
        stored::WriteBandWindow(found);
}

uint32_t BandHandOff::handle() const {
    return stored::ReadBandWindow();
}

bool BandHandOff::HandOver(const PlaybackState& state, uint32_t playerWindow) {
    Refresh();
    const uint32_t band = handle();
    if (band == 0 || !transport_.IsBand(band)) return false;
    transport_.Send(band, band::kState, playerWindow, BandStateWord(state));
    transport_.Send(band, band::kModes, playerWindow, BandModesWord(state));
    return true;
}

void BandHandOff::Update(const PlaybackState& state, uint32_t playerWindow) {
    SendToBand(band::kState, playerWindow, BandStateWord(state));
    SendToBand(band::kModes, playerWindow, BandModesWord(state));
}

void BandHandOff::SendClose() { SendToBand(band::kClose, 0, 0); }

void BandHandOff::SendStopped() { SendToBand(band::kStopped, 0, 0); }

void BandHandOff::SendToBand(unsigned message, uint32_t wParam, uint32_t lParam) {
    // A window id may have been reused by another program since: only the band's own
    // window gets band messages.
    const uint32_t band = handle();
    if (band != 0 && transport_.IsBand(band)) transport_.Send(band, message, wParam, lParam);
}

}  // namespace tavora
