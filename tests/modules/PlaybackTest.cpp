// Listens to what the engine sends to its "wav:" output while streams play through the
// same chain the player builds: a decoding stream wrapped in a tempo stream.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "AudioTestSupport.h"
#include "WaitUntil.h"

namespace tavora::test {
namespace {

using std::chrono::milliseconds;

constexpr DWORD kDecode = BASS_STREAM_DECODE;

double PlayedSeconds(DWORD handle) { return BASS_ChannelBytes2Seconds(handle, BASS_ChannelGetPosition(handle)); }

// Until the channel has played `seconds` (the outputs keep pace with the wall clock).
bool WaitUntilPlayed(DWORD handle, double seconds) {
    return WaitUntil([&] { return PlayedSeconds(handle) >= seconds; });
}

HSTREAM OpenWrapped(const std::string& path) {
    const HSTREAM source = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecode);
    if (!source) return 0;
    return BASS_FX_TempoCreate(source, BASS_FX_FREESOURCE);
}

size_t At(const Sound& s, double seconds) { return static_cast<size_t>(seconds * s.rate); }

double Db(double ratio) { return 20 * std::log10(ratio); }

class PlaybackTest : public ::testing::Test {
protected:
    MediaFolder media;
};

TEST_F(PlaybackTest, ToneFilePlaysAtItsPitchForItsLength) {
    // 22.05 kHz mono: the output at 44.1 kHz stereo must neither change pitch nor length.
    const auto path = media.FfmpegTone("tone.wav", 440, 1.0, 22050, 1, "-c:a pcm_s16le");
    ASSERT_FALSE(path.empty());
    WavOutputSession session;
    ASSERT_TRUE(session.ready());
    const HSTREAM stream = OpenWrapped(path);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    ASSERT_TRUE(WavOutputSession::WaitUntilStopped(stream));
    const Sound heard = session.Finish();
    const Range range = AudibleRange(heard.left, heard.rate);
    EXPECT_NEAR(heard.Seconds(range.end - range.begin), 1.0, 0.03);
    EXPECT_NEAR(ToneFrequency(heard.left, range.begin + 2000, range.end - 2000, heard.rate), 440.0, 1.0);
    EXPECT_NEAR(ToneAmplitude(heard.right, range.begin + 2000, range.end - 2000, 440, heard.rate), 0.5, 0.02);
}

TEST_F(PlaybackTest, VolumeFiftyIsAboutSixDecibelsDown) {
    // Long enough that the change lands between the two measured stretches however late
    // this thread sees the position pass half a second.
    const auto path = media.FfmpegTone("tone.mp3", 1000, 2.0, 44100, 2, "-c:a libmp3lame -b:a 192k");
    ASSERT_FALSE(path.empty());
    WavOutputSession session;
    const HSTREAM stream = OpenWrapped(path);
    ASSERT_NE(stream, 0u);
    BASS_ChannelSetAttributes(stream, 0, 100, -101);
    BASS_ChannelPlay(stream, TRUE);
    ASSERT_TRUE(WaitUntilPlayed(stream, 0.5));
    BASS_ChannelSetAttributes(stream, 0, 50, -101);
    ASSERT_TRUE(WavOutputSession::WaitUntilStopped(stream));
    const Sound heard = session.Finish();
    const Range range = AudibleRange(heard.left, heard.rate);
    const double full = Rms(heard.left, range.begin + At(heard, 0.05), range.begin + At(heard, 0.35));
    const double half = Rms(heard.left, range.end - At(heard, 0.4), range.end - At(heard, 0.05));
    EXPECT_NEAR(Db(half / full), -6.02, 0.3);
}

TEST_F(PlaybackTest, SlideToZeroFadesOutOverHalfASecond) {
    const auto path = media.FfmpegTone("tone.ogg", 500, 2.0, 44100, 2, "-c:a libvorbis -q:a 5");
    ASSERT_FALSE(path.empty());
    WavOutputSession session;
    const HSTREAM stream = OpenWrapped(path);
    ASSERT_NE(stream, 0u);
    BASS_ChannelPlay(stream, TRUE);
    ASSERT_TRUE(WaitUntilPlayed(stream, 0.3));
    ASSERT_TRUE(BASS_ChannelSlideAttributes(stream, -1, 0, -101, 500));
    DWORD volume = 99;
    EXPECT_TRUE(WaitUntil([&] {
        BASS_ChannelGetAttributes(stream, nullptr, &volume, nullptr);
        return volume == 0;
    })) << "the slide ends at volume 0, not " << volume;
    BASS_StreamFree(stream);
    const Sound heard = session.Finish();
    const Range range = AudibleRange(heard.left, heard.rate, 0.002);
    const double plateau = Rms(heard.left, range.begin + At(heard, 0.02), range.begin + At(heard, 0.2));
    const size_t window = At(heard, 0.01);
    size_t fadeStart = 0, fadeEnd = 0;
    for (size_t i = range.begin + At(heard, 0.2); i + window < heard.left.size(); i += window / 2) {
        const double level = Rms(heard.left, i, i + window);
        if (!fadeStart && level < 0.97 * plateau) fadeStart = i;
        if (fadeStart && level < 0.02 * plateau) {
            fadeEnd = i;
            break;
        }
    }
    ASSERT_GT(fadeStart, 0u);
    ASSERT_GT(fadeEnd, fadeStart);
    EXPECT_NEAR(heard.Seconds(fadeEnd - fadeStart), 0.5, 0.04);
    // Halfway through the fade the level is about half.
    const size_t middle = (fadeStart + fadeEnd) / 2;
    EXPECT_NEAR(Rms(heard.left, middle - window / 2, middle + window / 2) / plateau, 0.5, 0.1);
}

TEST_F(PlaybackTest, TwelveDecibelsOnTheThousandHertzBandLeavesSixtyHertzAlone) {
    const auto path = media.FfmpegSource("two.wav", "sine=f=60:d=1.2,volume=1.6[a];sine=f=1000:d=1.2,volume=1.6[b];[a][b]amix=inputs=2",
                                         44100, 2, "-c:a pcm_s16le");
    ASSERT_FALSE(path.empty());
    WavOutputSession session;
    const HSTREAM stream = OpenWrapped(path);
    ASSERT_NE(stream, 0u);
    // The equaliser as the player installs it: ten bands, then the stored gains.
    const float centers[10] = {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000};
    DWORD rate = 0;
    BASS_ChannelGetAttributes(stream, &rate, nullptr, nullptr);
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(BASS_FX_DSP_Set(stream, BASS_FX_DSPFX_PEAKEQ, 0));
    for (int i = 0; i < 10; ++i) {
        BASS_FX_PEAKEQ_BAND band {i, rate, 1.0f, 0.0f, centers[i], 0.0f};
        ASSERT_TRUE(BASS_FX_DSP_SetParameters(stream, BASS_FX_DSPFX_PEAKEQ, &band));
    }
    BASS_FX_PEAKEQ_BAND band {};
    band.band = 4;
    ASSERT_TRUE(BASS_FX_DSP_GetParameters(stream, BASS_FX_DSPFX_PEAKEQ, &band));
    EXPECT_EQ(band.center, 1000.0f);
    band.gain = 12.0f;
    ASSERT_TRUE(BASS_FX_DSP_SetParameters(stream, BASS_FX_DSPFX_PEAKEQ, &band));
    BASS_FX_PEAKEQ_BAND readBack {};
    readBack.band = 4;
    BASS_FX_DSP_GetParameters(stream, BASS_FX_DSPFX_PEAKEQ, &readBack);
    EXPECT_EQ(readBack.gain, 12.0f);
    EXPECT_EQ(readBack.bandwidth, 1.0f);
    BASS_ChannelPlay(stream, TRUE);
    ASSERT_TRUE(WavOutputSession::WaitUntilStopped(stream));
    const Sound heard = session.Finish();

    // The same file without the equaliser, straight from a decoding stream.
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    const HSTREAM plain = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecode | BASS_SAMPLE_FLOAT);
    std::vector<float> interleaved(44100 * 2 * 2);
    const DWORD bytes = BASS_ChannelGetData(plain, interleaved.data(), static_cast<DWORD>(interleaved.size() * 4));
    BASS_Free();
    std::vector<float> reference;
    for (size_t i = 0; i < bytes / 8; ++i) reference.push_back(interleaved[2 * i]);

    const Range range = AudibleRange(heard.left, heard.rate);
    const size_t a = range.begin + At(heard, 0.2), b = range.begin + At(heard, 1.0);
    const size_t ra = At(heard, 0.2), rb = At(heard, 1.0);
    EXPECT_NEAR(Db(ToneAmplitude(heard.left, a, b, 1000, 44100) / ToneAmplitude(reference, ra, rb, 1000, 44100)), 12.0, 0.5);
    EXPECT_NEAR(Db(ToneAmplitude(heard.left, a, b, 60, 44100) / ToneAmplitude(reference, ra, rb, 60, 44100)), 0.0, 1.0);
}

TEST_F(PlaybackTest, TempoPlusTenShortensPlaybackKeepingPitch) {
    const auto path = media.FfmpegTone("tone.wav", 440, 2.0, 44100, 2, "-c:a pcm_s16le");
    WavOutputSession session;
    const HSTREAM stream = OpenWrapped(path);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_FX_TempoSet(stream, 10, 0, 0));
    BASS_ChannelPlay(stream, TRUE);
    ASSERT_TRUE(WavOutputSession::WaitUntilStopped(stream));
    const Sound heard = session.Finish();
    const Range range = AudibleRange(heard.left, heard.rate);
    EXPECT_NEAR(heard.Seconds(range.end - range.begin), 2.0 / 1.1, 0.03);
    EXPECT_NEAR(ToneFrequency(heard.left, range.begin + 4000, range.end - 4000, heard.rate), 440.0, 3.0);
}

TEST_F(PlaybackTest, ReverseStreamPlaysTheFileBackwards) {
    const auto path = media.FfmpegSource("updown.wav", "sine=f=440:d=0.8,volume=4[a];sine=f=880:d=0.8,volume=4[b];[a][b]concat=n=2:v=0:a=1",
                                         44100, 1, "-c:a pcm_s16le");
    ASSERT_FALSE(path.empty());
    WavOutputSession session;
    // As the player builds it: decoding stream, reversed decoding stream, tempo stream, reverb.
    const HSTREAM source = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecode);
    const HSTREAM reversed = BASS_FX_ReverseCreate(source, 2.0f, kDecode | BASS_FX_FREESOURCE);
    ASSERT_NE(reversed, 0u);
    const HSTREAM stream = BASS_FX_TempoCreate(reversed, BASS_FX_FREESOURCE);
    ASSERT_NE(stream, 0u);
    const QWORD length = BASS_StreamGetLength(stream);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), length);  // backwards play starts at the end
    BASS_ChannelPlay(stream, FALSE);
    EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelGetPosition(stream) < length; }));
    ASSERT_TRUE(WavOutputSession::WaitUntilStopped(stream));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u);
    const Sound heard = session.Finish();
    const Range range = AudibleRange(heard.left, heard.rate);
    EXPECT_NEAR(heard.Seconds(range.end - range.begin), 1.6, 0.03);
    EXPECT_NEAR(ToneFrequency(heard.left, range.begin + 2000, range.begin + At(heard, 0.7), heard.rate), 880, 2);
    EXPECT_NEAR(ToneFrequency(heard.left, range.end - At(heard, 0.7), range.end - 2000, heard.rate), 440, 2);
}

TEST_F(PlaybackTest, SeekLandsOnTheTargetTime) {
    // A quiet tone for 2 s, then a loud one: after a seek to 1.5 s the loud part must
    // follow 0.5 s after the sound starts.
    const auto path = media.FfmpegSource(
        "marker.mp3", "sine=f=300:d=2,volume=0.8[a];sine=f=1000:d=0.5,volume=4[b];[a][b]concat=n=2:v=0:a=1", 44100, 2,
        "-c:a libmp3lame -q:a 2");
    ASSERT_FALSE(path.empty());
    WavOutputSession session;
    const HSTREAM stream = OpenWrapped(path);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 1.5f)));
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream)), 1.5, 0.001);
    BASS_ChannelPlay(stream, FALSE);
    ASSERT_TRUE(WavOutputSession::WaitUntilStopped(stream));
    const Sound heard = session.Finish();
    const Range range = AudibleRange(heard.left, heard.rate, 0.02);
    const Range loud = AudibleRange(heard.left, heard.rate, 0.15);
    EXPECT_NEAR(heard.Seconds(loud.begin - range.begin), 0.5, 0.02);
}

TEST_F(PlaybackTest, StopThenPlayContinuesWhereItStopped) {
    // A rising sweep: any skipped or repeated stretch changes the total length or
    // breaks the pitch at the join.
    const auto path = media.FfmpegSource("sweep.ogg", "aevalsrc=0.5*sin(2*PI*(300*t+150*t*t)):d=1.5", 44100, 2,
                                         "-c:a libvorbis -q:a 6");
    ASSERT_FALSE(path.empty());
    WavOutputSession session;
    const HSTREAM stream = OpenWrapped(path);
    ASSERT_NE(stream, 0u);
    BASS_ChannelPlay(stream, TRUE);
    ASSERT_TRUE(WaitUntilPlayed(stream, 0.6));
    ASSERT_TRUE(BASS_ChannelStop(stream));
    const QWORD stoppedAt = BASS_ChannelGetPosition(stream);
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    // A stopped channel must not move while the output plays 0.3 s of another (silent) one.
    const auto silence = media.FfmpegSource("silence.wav", "anullsrc=r=44100:cl=stereo:d=2", 44100, 2, "");
    const HSTREAM witness = BASS_StreamCreateFile(FALSE, silence.c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_ChannelPlay(witness, FALSE));
    ASSERT_TRUE(WaitUntilPlayed(witness, 0.3));
    BASS_StreamFree(witness);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), stoppedAt);
    BASS_ChannelPlay(stream, FALSE);
    ASSERT_TRUE(WavOutputSession::WaitUntilStopped(stream));
    const double stoppedSeconds = BASS_ChannelBytes2Seconds(stream, stoppedAt);
    const Sound heard = session.Finish();
    const Range all = AudibleRange(heard.left, heard.rate, 0.02);
    // Find the gap.
    const size_t window = At(heard, 0.005);
    size_t gapBegin = 0, gapEnd = 0;
    for (size_t i = all.begin; i + window < all.end; i += window) {
        const bool silent = Rms(heard.left, i, i + window) < 0.01;
        if (silent && !gapBegin) gapBegin = i;
        if (!silent && gapBegin) {
            gapEnd = i;
            break;
        }
    }
    ASSERT_GT(gapEnd, gapBegin);
    const double played = heard.Seconds((all.end - all.begin) - (gapEnd - gapBegin));
    EXPECT_NEAR(played, 1.5, 0.03);
    const double heardBeforeStop = heard.Seconds(gapBegin - all.begin);
    EXPECT_NEAR(stoppedSeconds, heardBeforeStop, 0.03);
}

TEST_F(PlaybackTest, SpectrumShowsThePlayingTone) {
    const auto path = media.FfmpegTone("tone.wav", 2000, 3.0, 44100, 2, "-c:a pcm_s16le");
    WavOutputSession session;
    const HSTREAM stream = OpenWrapped(path);
    BASS_ChannelPlay(stream, TRUE);
    ASSERT_TRUE(WaitUntilPlayed(stream, 0.4));
    float bins[256] = {};
    ASSERT_EQ(BASS_ChannelGetData(stream, bins, BASS_DATA_FFT512), 256 * sizeof(float));
    const int peak = static_cast<int>(std::max_element(bins, bins + 256) - bins);
    EXPECT_NEAR(peak, 2000.0 * 512 / 44100, 1.0);
    EXPECT_NEAR(bins[peak], 0.5, 0.15);
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
}

TEST_F(PlaybackTest, ReverbAddsATailAfterTheSoundEnds) {
    const auto padded = media.FfmpegSource("blip-pad.wav", "sine=f=800:d=0.3,volume=4,apad=pad_dur=0.5", 44100, 2, "-c:a pcm_s16le");
    WavOutputSession session;
    const HSTREAM stream = OpenWrapped(padded);
    ASSERT_NE(BASS_ChannelSetFX(stream, BASS_FX_REVERB, 0), 0u);
    BASS_ChannelPlay(stream, TRUE);
    ASSERT_TRUE(WavOutputSession::WaitUntilStopped(stream));
    const Sound heard = session.Finish();
    const Range loud = AudibleRange(heard.left, heard.rate, 0.1);
    const Range any = AudibleRange(heard.left, heard.rate, 0.001);
    EXPECT_GT(heard.Seconds(any.end - loud.end), 0.1);  // the dry tone stops dead; the room rings on
}

}  // namespace
}  // namespace tavora::test

namespace tavora::test {
namespace {

TEST(ChannelLifetimeTest, FreeingInAnyOrderWhilePlayingIsSafe) {
    MediaFolder media;
    const auto path = media.FfmpegTone("tone.ogg", 330, 1.0, 44100, 2, "-c:a libvorbis");
    setenv("TAVORA_AUDIO_OUTPUT", "null", 1);
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    for (int round = 0; round < 3; ++round) {
        const HSTREAM source = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
        const HSTREAM reversed = BASS_FX_ReverseCreate(source, 0.5f, BASS_STREAM_DECODE | BASS_FX_FREESOURCE);
        const HSTREAM tempo = BASS_FX_TempoCreate(reversed, BASS_FX_FREESOURCE | BASS_SAMPLE_LOOP);
        const HSTREAM plain = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_SAMPLE_LOOP);
        ASSERT_NE(tempo, 0u);
        BASS_FX_TempoSet(tempo, 8, 0, 2);
        BASS_FX_DSP_Set(tempo, BASS_FX_DSPFX_PEAKEQ, 0);
        BASS_ChannelSetFX(plain, BASS_FX_REVERB, 0);
        BASS_ChannelPlay(tempo, TRUE);
        BASS_ChannelPlay(plain, TRUE);
        // Lets the mixer run over both before they are freed (any stretch will do: the
        // test is that freeing is safe, whatever the mixer is doing).
        ASSERT_TRUE(WaitUntilPlayed(plain, 0.06));
        switch (round) {
        case 0:  // the innermost source first: the wrappers run dry and stop
            EXPECT_TRUE(BASS_StreamFree(source));
            // Lets the mixer pull from the wrappers of the freed source for a while (the
            // plain song moves on by 40 ms, or loops).
            {
                const double at = PlayedSeconds(plain);
                ASSERT_TRUE(WaitUntil([&] {
                    const double now = PlayedSeconds(plain);
                    return now >= at + 0.04 || now < at;
                }));
            }
            EXPECT_TRUE(BASS_StreamFree(tempo));
            EXPECT_FALSE(BASS_StreamFree(reversed));  // went with the tempo stream
            break;
        case 1:
            EXPECT_TRUE(BASS_StreamFree(tempo));
            EXPECT_FALSE(BASS_StreamFree(source));
            break;
        default:
            break;  // left for BASS_Free
        }
        if (round < 2) {
            EXPECT_TRUE(BASS_StreamFree(plain));
        }
    }
    EXPECT_TRUE(BASS_Free());
    unsetenv("TAVORA_AUDIO_OUTPUT");
}

}  // namespace
}  // namespace tavora::test
