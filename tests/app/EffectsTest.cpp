// The sound effects on real streams of the engine modules (null output): which
// effects a new stream gets, the equaliser switched off and on while playing, band
// gains reaching the engine, reverse play, the DSP dialog's buttons, the taskbar
// band's volume and mute, and the DSP arithmetic.
#include "AudioLibrary.h"
#include "Commands.h"
#include "EffectRules.h"
#include "PlaybackTestSupport.h"
#include "StreamPlayback.h"

using namespace tavora;

namespace {

// The gain of band `band` on the playing stream, or nothing when no bands are on it.
std::optional<float> EngineBandGain(CTavoraPlayerDlg& dlg, int band) {
    const BassFunctions& b = dlg.audio().Bass();
    BASS_FX_PEAKEQ_BAND params{};
    params.band = band;
    if (!b.BASS_FX_DSP_GetParameters(dlg.state().channelHandle, BASS_FX_DSPFX_PEAKEQ, &params)) return std::nullopt;
    return params.gain;
}

}  // namespace

TEST(EffectRulesTest, SpeedMovesTempoAndPitchTogether) {
    DspValues v;
    v.speed = 10;
    EXPECT_EQ(DspTempo(v), 10);
    EXPECT_EQ(DspPitch(v), 10);
    v.tempo = -5;
    v.pitch = 3;
    EXPECT_EQ(DspTempo(v), 5);
    EXPECT_EQ(DspPitch(v), 13);
    EXPECT_EQ(DspValueLabel(-15), "-15%");
    EXPECT_EQ(DspValueLabel(0), "0%");
    EXPECT_EQ(ClampDspValue(40), 15);
    EXPECT_EQ(ClampDspValue(-16), -15);
}

TEST_F(PlaybackControllerTest, NewStreamGetsTheStoredGainsAndSwitchingOffAndOnRemovesAndRestoresThem) {
    StreamPlayback& p = dlg()->playback();
    p.SetBandGain(7, 4);
    p.SetBandGain(8, 5);
    state().equalizerOn = 1;
    Add(Tone("a.wav", 5));
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);
    EXPECT_EQ(EngineBandGain(*dlg(), 7), 4.0f);
    EXPECT_EQ(EngineBandGain(*dlg(), 8), 5.0f);
    EXPECT_EQ(EngineBandGain(*dlg(), 0), 0.0f);
    p.SetEqualizerOn(false);
    EXPECT_FALSE(EngineBandGain(*dlg(), 7));
    // Gains changed while off are kept and go on with the bands.
    p.SetBandGain(0, -6);
    EXPECT_FALSE(EngineBandGain(*dlg(), 0));
    p.SetEqualizerOn(true);
    EXPECT_EQ(EngineBandGain(*dlg(), 0), -6.0f);
    EXPECT_EQ(EngineBandGain(*dlg(), 8), 5.0f);
    // A gain set while the bands are on applies at once.
    p.SetBandGain(9, 3);
    EXPECT_EQ(EngineBandGain(*dlg(), 9), 3.0f);
}

TEST_F(PlaybackControllerTest, EqualizerOffMeansNoBandsOnTheNextStream) {
    state().equalizerOn = 0;
    Add(Tone("a.wav", 3));
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);
    EXPECT_FALSE(EngineBandGain(*dlg(), 0));
}

TEST_F(PlaybackControllerTest, WhileTheDspDialogIsOpenANewStreamGetsTempoInsteadOfTheBands) {
    StreamPlayback& p = dlg()->playback();
    state().equalizerOn = 1;
    p.SetDspOpen(true);
    p.SetDspValues(0, 0, 10);
    Add(Tone("a.wav", 3));
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);
    EXPECT_FALSE(EngineBandGain(*dlg(), 0));
    EXPECT_EQ(p.effects().dsp().speed, 10);
    // "확인" closes it: the next stream has the bands again.
    p.CloseDsp();
    EXPECT_FALSE(p.effects().dsp().open);
    EXPECT_EQ(p.effects().dsp().speed, 0);
    dlg()->SendCommand(cmd::Play);  // pause
    dlg()->SendCommand(cmd::Stop);
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);
    EXPECT_EQ(EngineBandGain(*dlg(), 0), 0.0f);
}

TEST_F(PlaybackControllerTest, ReverseRestartsTheEntryAndConfirmPlaysItNormallyAgain) {
    StreamPlayback& p = dlg()->playback();
    Add(Tone("a.wav", 4));
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);
    const uint32_t normal = state().channelHandle;
    p.SetDspOpen(true);
    p.ToggleReverse();
    EXPECT_TRUE(state().reverseMode);
    EXPECT_TRUE(state().isPlaying);
    EXPECT_NE(state().channelHandle, normal);
    const uint32_t reversed = state().channelHandle;
    p.CloseDsp();
    EXPECT_FALSE(state().reverseMode);
    EXPECT_TRUE(state().isPlaying);
    EXPECT_NE(state().channelHandle, reversed);
    EXPECT_LT(p.PositionSeconds(), 1.0);
    EXPECT_TRUE(messages_.empty()) << messages_.front();
}

TEST_F(PlaybackControllerTest, ReverseOfAFileThatWentAwayShowsTheLoadMessageAndStops) {
    const std::string path = Tone("gone.wav", 3);
    Add(path);
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);
    std::filesystem::remove(path);
    dlg()->playback().ToggleReverse();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].rfind("Selected file couldnt be loaded!\n( error code: ", 0), 0u) << messages_[0];
    EXPECT_FALSE(state().isPlaying);
    EXPECT_EQ(state().channelHandle, 0u);
}

TEST_F(PlaybackControllerTest, BandVolumeAndMuteSetTheProgramVolume) {
    StreamPlayback& p = dlg()->playback();
    state().volumeMax = 50;
    p.SetBandVolume(38);
    EXPECT_EQ(state().volume, 50);
    p.SetBandVolume(19);
    EXPECT_EQ(state().volume, 25);
    p.SetBandVolume(0);
    EXPECT_EQ(state().volume, 0);
    p.SetBandMute(true);
    EXPECT_TRUE(state().mute);
    p.SetBandMute(false);
    EXPECT_FALSE(state().mute);
}
