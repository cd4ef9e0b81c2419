// Listening to the effects: the controller plays sounds made by sox through the
// engine's "wav:" output, and the recording is measured. Treble against bass under a
// preset, the equaliser switched off and on while playing, tempo, pitch and reverse,
// the cross-fade and the pause fade.
#include "AudioTestSupport.h"
#include "Commands.h"
#include "Messages.h"
#include "PlaybackTestSupport.h"
#include "StreamPlayback.h"

#include <atomic>
#include <cmath>
#include <thread>

using namespace tavora;

namespace {

class EffectsListeningTest : public PlaybackControllerTest {
protected:
    std::string Output() override { return "wav:" + Recording(); }
    std::string Recording() { return (reg_.dir() / "heard.wav").string(); }

    std::string Sox(const std::string& name, const std::string& synth) {
        const std::string path = (reg_.dir() / name).string();
        const std::string cmd = "sox -q -n -r 44100 -c 2 -b 16 '" + path + "' " + synth;
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return path;
    }
    // Plays the list's first row until the engine's position reaches `seconds`.
    void PlayUntil(double seconds) {
        dlg()->SendCommand(cmd::Play);
        ASSERT_TRUE(state().isPlaying);
        ASSERT_TRUE(WaitUntilWithEvents([&] { return dlg()->playback().PositionSeconds() >= seconds; }));
    }
    // The start of the first quiet 10 ms from sample `from` on (where a fade has ended),
    // or the end of the recording.
    static size_t QuietFrom(const test::Sound& s, size_t from) {
        const size_t step = 10 * (static_cast<size_t>(s.rate) / 1000);
        while (from + step < s.mono.size() && test::Rms(s.mono, from, from + step) > 0.005) from += step;
        return from;
    }
    void WaitPosition(double seconds) {
        ASSERT_TRUE(WaitUntilWithEvents([&] { return dlg()->playback().PositionSeconds() >= seconds; }));
    }
    // Ends the player (the recording is complete then) and reads what was heard.
    test::Sound Heard() {
        player_.reset();
        return test::ReadWavFile(Recording());
    }
    // A 440 Hz tone of `seconds` played to its end with the DSP dialog open at these
    // trackbars: how long it sounded and its frequency in the middle.
    struct ToneHeard {
        double seconds = 0, hz = 0;
    };
    ToneHeard PlayToneWithDsp(double seconds, int tempo, int pitch) {
        state().equalizerOn = 0;
        dlg()->playback().SetDspOpen(true);
        dlg()->playback().SetDspValues(tempo, pitch, 0);
        Add(Sox("tone.wav", "synth " + std::to_string(seconds) + " sine 440 vol 0.3"));
        dlg()->SendCommand(cmd::Play);
        EXPECT_TRUE(state().isPlaying);
        // The track's end comes by itself: nothing plays afterwards.
        EXPECT_TRUE(WaitUntilWithEvents([&] { return !state().isPlaying; }, std::chrono::seconds(30)));
        const test::Sound s = Heard();
        const test::Range heard = test::AudibleRange(s.mono, s.rate);
        if (heard.end - heard.begin < static_cast<size_t>(s.rate)) return {};
        const size_t mid = heard.begin + (heard.end - heard.begin) / 2;
        return {s.Seconds(heard.end - heard.begin), test::ToneFrequency(s.mono, mid - s.rate / 4, mid + s.rate / 4, s.rate)};
    }
    static double Db(double ratio) { return 20 * std::log10(ratio); }
    // 14 kHz against 60 Hz in decibels over [from, to) seconds after the sound began.
    static double TrebleOverBass(const test::Sound& s, double from, double to) {
        const test::Range heard = test::AudibleRange(s.mono, s.rate);
        const size_t a = heard.begin + static_cast<size_t>(from * s.rate);
        const size_t b = heard.begin + static_cast<size_t>(to * s.rate);
        return Db(test::ToneAmplitude(s.mono, a, b, 14000, s.rate) / test::ToneAmplitude(s.mono, a, b, 60, s.rate));
    }
};

constexpr const char* kBassAndTreble = "synth 9 sine 60 sine 14000 remix 1,2 1,2 vol 0.2";

TEST_F(EffectsListeningTest, TrebleBoostRaisesTrebleAgainstBassAndSwitchingOffAndOnTakesItAwayAndBack) {
    // "고음 강조": 60 Hz -5 dB, 12 kHz to 16 kHz +7 dB.
    const int gains[10] = {-5, -5, -5, -3, 0, 3, 7, 7, 7, 7};
    StreamPlayback& p = dlg()->playback();
    for (int band = 0; band < 10; ++band) p.SetBandGain(band, gains[band]);
    state().equalizerOn = 1;
    Add(Sox("mix.wav", kBassAndTreble));
    PlayUntil(2.0);
    p.SetEqualizerOn(false);
    WaitPosition(4.0);
    p.SetEqualizerOn(true);
    WaitPosition(6.0);
    // The 14 kHz band alone at +7 dB, changed while playing.
    for (int band = 0; band < 10; ++band) p.SetBandGain(band, band == 8 ? 7 : 0);
    WaitPosition(8.0);
    const test::Sound s = Heard();
    const double boosted = TrebleOverBass(s, 0.5, 1.5);
    const double flat = TrebleOverBass(s, 2.5, 3.5);
    const double again = TrebleOverBass(s, 4.5, 5.5);
    const double oneBand = TrebleOverBass(s, 6.5, 7.5);
    std::printf("treble over bass: %.1f dB boosted, %.1f flat, %.1f again, %.1f with 14 kHz alone +7\n", boosted,
                flat, again, oneBand);
    EXPECT_NEAR(flat, 0.0, 1.0);
    EXPECT_NEAR(oneBand - flat, 7.0, 1.0);
    // The preset's own difference is 12 dB; its three treble bands lie within a
    // quarter octave of each other and, an octave wide each, add up at 14 kHz.
    EXPECT_GT(boosted - flat, 12.0);
    EXPECT_LT(boosted - flat, 28.0);
    EXPECT_NEAR(again, boosted, 1.0);
}

TEST_F(EffectsListeningTest, TempoTenPercentUpPlaysFasterAtTheSamePitch) {
    const ToneHeard t = PlayToneWithDsp(4.0, 10, 0);
    std::printf("4 s at tempo +10 %%: %.2f s, %.0f Hz\n", t.seconds, t.hz);
    EXPECT_NEAR(t.seconds, 4.0 / 1.1, 0.15);
    EXPECT_NEAR(t.hz, 440.0, 8.0);
}

TEST_F(EffectsListeningTest, PitchTwelveUpPlaysTheToneAnOctaveHigherAtTheSameLength) {
    const ToneHeard t = PlayToneWithDsp(2.0, 0, 12);
    std::printf("2 s of 440 Hz at pitch +12: %.2f s, %.0f Hz\n", t.seconds, t.hz);
    EXPECT_NEAR(t.seconds, 2.0, 0.15);
    EXPECT_NEAR(t.hz, 880.0, 15.0);
}

TEST_F(EffectsListeningTest, ReversePlaysARisingSweepFalling) {
    state().equalizerOn = 0;
    state().reverseMode = 1;
    Add(Sox("sweep.wav", "synth 3 sine 300-1200 vol 0.3"));
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);
    ASSERT_TRUE(WaitUntilWithEvents([&] { return !state().isPlaying; }, std::chrono::seconds(30)));
    const test::Sound s = Heard();
    const test::Range heard = test::AudibleRange(s.mono, s.rate);
    ASSERT_GT(heard.end - heard.begin, static_cast<size_t>(2 * s.rate));
    const size_t q = static_cast<size_t>(s.rate) / 4;
    const double early = test::ToneFrequency(s.mono, heard.begin + q, heard.begin + 2 * q, s.rate);
    const double late = test::ToneFrequency(s.mono, heard.end - 2 * q, heard.end - q, s.rate);
    std::printf("reversed sweep: %.0f Hz early, %.0f Hz late\n", early, late);
    EXPECT_GT(early, 900.0);
    EXPECT_LT(late, 450.0);
}

TEST_F(EffectsListeningTest, CrossFadeFadesTheOldTrackOutAndStartsTheNextAtFullVolume) {
    state().equalizerOn = 0;
    state().crossFade = 1;
    Add(Sox("low.wav", "synth 4 sine 440 vol 0.3"));
    Add(Sox("high.wav", "synth 4 sine 880 vol 0.3"));
    PlayUntil(1.0);
    dlg()->SendCommand(cmd::Next);
    ASSERT_TRUE(state().isPlaying);
    WaitPosition(0.5);
    const test::Sound s = Heard();
    const test::Range heard = test::AudibleRange(s.mono, s.rate, 0.005);
    const size_t ms = static_cast<size_t>(s.rate) / 1000;
    // The first track: steady, then falling over the fade to silence.
    const double steady = test::Rms(s.mono, heard.begin + 200 * ms, heard.begin + 600 * ms);
    const size_t fadeEnd = QuietFrom(s, heard.begin + 600 * ms);
    size_t next = fadeEnd;
    while (next + 5 * ms < s.mono.size() && test::Rms(s.mono, next, next + 5 * ms) <= 0.005) next += 5 * ms;
    ASSERT_LT(next + 300 * ms, s.mono.size());
    const double fading = test::Rms(s.mono, fadeEnd - 150 * ms, fadeEnd - 100 * ms);
    std::printf("steady %.3f, near the fade's end %.3f, silence %.2f s, next starts at %.3f (steady %.3f)\n", steady,
                fading, s.Seconds(next - fadeEnd), test::Rms(s.mono, next + 5 * ms, next + 30 * ms),
                test::Rms(s.mono, next + 100 * ms, next + 300 * ms));
    EXPECT_LT(fading, steady * 0.5);
    EXPECT_NEAR(test::ToneFrequency(s.mono, next + 100 * ms, next + 300 * ms, s.rate), 880.0, 10.0);
    // No fade-in: the next track's first moments are as loud as the rest of it.
    EXPECT_GT(test::Rms(s.mono, next + 5 * ms, next + 30 * ms), 0.9 * test::Rms(s.mono, next + 100 * ms, next + 300 * ms));
}

TEST_F(EffectsListeningTest, NormalizeOnAndOffSoundTheSame) {
    // Two quiet tones one after the other, the second started with Normalize on:
    // anything that normalised it would make it louder.
    state().equalizerOn = 0;
    state().normalize = 0;
    Add(Sox("first.wav", "synth 1.5 sine 440 vol 0.05"));
    Add(Sox("second.wav", "synth 1.5 sine 660 vol 0.05"));
    dlg()->SendCommand(cmd::Play);
    ASSERT_TRUE(state().isPlaying);
    state().normalize = 1;
    ASSERT_TRUE(WaitUntilWithEvents([&] { return dlg()->playlist().CurrentIndex() == 1; }, std::chrono::seconds(30)));
    ASSERT_TRUE(WaitUntilWithEvents([&] { return !state().isPlaying; }, std::chrono::seconds(30)));
    const test::Sound s = Heard();
    const test::Range heard = test::AudibleRange(s.mono, s.rate);
    const size_t q = static_cast<size_t>(s.rate) / 4;
    ASSERT_GT(heard.end - heard.begin, 10 * q);
    const double off = test::ToneAmplitude(s.mono, heard.begin + q, heard.begin + 4 * q, 440, s.rate);
    const double on = test::ToneAmplitude(s.mono, heard.end - 4 * q, heard.end - q, 660, s.rate);
    std::printf("normalize off %.4f, on %.4f\n", off, on);
    EXPECT_NEAR(on, off, off * 0.03);
}

TEST_F(EffectsListeningTest, PauseFadesOutAndAFloodOfPlayRequestsEndsAsTheLastOneSays) {
    state().equalizerOn = 0;
    Add(Sox("tone.wav", "synth 30 sine 440 vol 0.3"));
    PlayUntil(1.0);
    StreamPlayback& p = dlg()->playback();
    // Pause: it counts at once, and the channel stops once its fade is over.
    dlg()->SendCommand(cmd::Play);
    EXPECT_TRUE(state().isPaused);
    ASSERT_TRUE(WaitUntilWithEvents([&] { return !p.session().IsPlayingNow(); }));
    // A flood of requests, as any program on the desktop can send through the band's
    // messages: 2001 of them resume. Each may cost only its own work, not a fade's, so
    // that what comes after them is answered: watched from another thread, as the UI
    // thread is busy with them.
    std::atomic<bool> through{false};
    bool answered = false;
    std::thread watch([&] { answered = test::WaitUntil([&] { return through.load(); }); });
    for (int i = 0; i < 2001; ++i) dlg()->Post(cmd::Play);
    QMetaObject::invokeMethod(dlg(), [&] { through = true; }, Qt::QueuedConnection);
    const bool done = WaitUntilWithEvents([&] { return through.load(); });
    watch.join();
    ASSERT_TRUE(done);
    EXPECT_TRUE(answered) << "the requests held the player up past the tests' limit";
    EXPECT_TRUE(state().isPlaying);
    EXPECT_FALSE(state().isPaused);
    // No fade of the flood is left to stop the resumed channel.
    const double resumedAt = p.PositionSeconds();
    WaitPosition(resumedAt + 1.0);
    EXPECT_TRUE(p.session().IsPlayingNow());
    const test::Sound s = Heard();
    const size_t ms = static_cast<size_t>(s.rate) / 1000;
    const test::Range heard = test::AudibleRange(s.mono, s.rate, 0.005);
    const double steady = test::Rms(s.mono, heard.begin + 300 * ms, heard.begin + 800 * ms);
    // The pause: from the steady level down to silence over the quarter second of its
    // 24 volume steps, never a cut.
    const size_t quiet = QuietFrom(s, heard.begin + 800 * ms);
    const double before = test::Rms(s.mono, quiet - 60 * ms, quiet - 10 * ms);
    std::printf("steady %.3f, 10..60 ms before the pause's silence %.3f\n", steady, before);
    EXPECT_GT(before, steady * 0.02);
    EXPECT_LT(before, steady * 0.5);
    // The resumed tone at the level it had before the pause.
    EXPECT_NEAR(test::Rms(s.mono, heard.end - 700 * ms, heard.end - 200 * ms), steady, steady * 0.05);
}

// Any program can send track changes: with cross-fade on, a run of them, each coming
// once the stream before has started, costs one fade (a stream heard for less than a
// fade's length is cut), so the player keeps up. The first change still fades.
TEST_F(EffectsListeningTest, ARunOfTrackChangesWithCrossFadeCostsOneFade) {
    state().equalizerOn = 0;
    state().crossFade = 1;
    state().repeatOff = 0;
    state().repeatAll = 1;  // every Next changes the track
    Add(Sox("low.wav", "synth 30 sine 440 vol 0.3"));
    Add(Sox("high.wav", "synth 30 sine 880 vol 0.3"));
    PlayUntil(1.0);
    StreamPlayback& p = dlg()->playback();
    std::atomic<bool> through{false};
    bool answered = false;
    std::thread watch([&] { answered = test::WaitUntil([&] { return through.load(); }); });
    bool started = true;
    for (int i = 0; i < 100 && started; ++i) {
        dlg()->SendCommand(cmd::Next);
        started = WaitUntilWithEvents([&] { return p.session().IsPlayingNow(); });
    }
    through = true;
    watch.join();
    ASSERT_TRUE(started);
    EXPECT_TRUE(answered) << "the track changes held the player up past the tests' limit";
    WaitPosition(p.PositionSeconds() + 0.5);
    const test::Sound s = Heard();
    const test::Range heard = test::AudibleRange(s.mono, s.rate, 0.005);
    const size_t ms = static_cast<size_t>(s.rate) / 1000;
    const double steady = test::Rms(s.mono, heard.begin + 200 * ms, heard.begin + 600 * ms);
    const size_t fadeEnd = QuietFrom(s, heard.begin + 600 * ms);
    EXPECT_LT(test::Rms(s.mono, fadeEnd - 150 * ms, fadeEnd - 100 * ms), steady * 0.5);
}

}  // namespace
