// Decoding-only streams (no output pacing): lengths against ffprobe, sample-exact
// pass-through of the tempo wrapper, Windows Media and CD tracks, and damaged input.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>

#include "AudioTestSupport.h"

namespace tavora::test {
namespace {

constexpr DWORD kDecode = BASS_STREAM_DECODE;

class DecodingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)); }
    void TearDown() override { BASS_Free(); }

    // Reads a decoding channel to its end; returns the frames it gave.
    static uint64_t DecodeAll(DWORD handle, std::vector<float>* keep = nullptr) {
        BASS_CHANNELINFO info {};
        BASS_ChannelGetInfo(handle, &info);
        std::vector<float> buffer(4096 * info.chans);
        uint64_t frames = 0;
        for (int guard = 0; guard < 100000; ++guard) {
            const DWORD bytes = BASS_ChannelGetData(handle, buffer.data(), static_cast<DWORD>(buffer.size() * 4) | BASS_DATA_FLOAT);
            if (bytes == static_cast<DWORD>(-1) || bytes == 0) break;
            frames += bytes / 4 / info.chans;
            if (keep) keep->insert(keep->end(), buffer.begin(), buffer.begin() + bytes / 4);
        }
        return frames;
    }

    // Runs `pattern` with OUT replaced by the path of `name` in the media folder; that
    // path, or nothing when the tool failed.
    std::string Made(const std::string& name, std::string pattern) {
        const std::string out = media.Path(name);
        pattern.replace(pattern.find("OUT"), 3, out);
        return MediaFolder::Run(pattern) ? out : std::string();
    }

    MediaFolder media;
};

struct LengthCase {
    const char* name;
    const char* command;  // %s = output path; the input is a 440 Hz tone made by sox or ffmpeg
    bool probeByDecoding;  // VBR without a header: ffprobe only guesses from the bit rate
};

TEST_F(DecodingTest, LengthsAgreeWithFfprobe) {
    const std::string wav44 = media.FfmpegTone("src44.wav", 440, 3.3, 44100, 2, "-c:a pcm_s16le");
    const std::string wav22m = media.FfmpegTone("src22m.wav", 440, 2.7, 22050, 1, "-c:a pcm_s16le");
    const std::string wav8m = media.FfmpegTone("src8m.wav", 440, 2.1, 8000, 1, "-c:a pcm_s16le");
    const std::string wav48 = media.FfmpegTone("src48.wav", 440, 2.9, 48000, 2, "-c:a pcm_s16le");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ffmpeg-cbr.mp3", "ffmpeg -nostdin -y -i " + wav44 + " -c:a libmp3lame -b:a 128k OUT"},
        {"ffmpeg-noxing.mp3", "ffmpeg -nostdin -y -i " + wav44 + " -c:a libmp3lame -b:a 128k -write_xing 0 OUT"},
        {"lame-vbr.mp3", "lame --quiet -V 4 " + wav48 + " OUT"},
        {"lame-vbr-mono22.mp3", "lame --quiet -V 2 " + wav22m + " OUT"},
        {"lame-cbr8k.mp3", "lame --quiet -b 16 " + wav8m + " OUT"},
        {"ffmpeg.mp2", "ffmpeg -nostdin -y -i " + wav48 + " -c:a mp2 -b:a 192k OUT"},
        {"oggenc48.ogg", "oggenc -Q -q 4 -o OUT " + wav48},
        {"oggenc8m.ogg", "oggenc -Q -q 2 -o OUT " + wav8m},
        {"ffmpeg22.ogg", "ffmpeg -nostdin -y -i " + wav22m + " -c:a libvorbis OUT"},
        {"sox-u8.wav", "sox " + wav8m + " -e unsigned -b 8 OUT"},
        {"sox-24.wav", "sox " + wav48 + " -b 24 OUT"},
        {"sox-float.wav", "sox " + wav44 + " -e float -b 32 OUT"},
        {"sox-s32-22.wav", "sox " + wav22m + " -e signed -b 32 OUT"},
        {"ffmpeg-6ch.wav", "ffmpeg -nostdin -y -i " + wav48 + " -ac 6 -c:a pcm_s16le OUT"},
        {"ffmpeg-f64.wav", "ffmpeg -nostdin -y -i " + wav22m + " -c:a pcm_f64le OUT"},
    };
    for (const auto& [name, pattern] : cases) {
        SCOPED_TRACE(name);
        const std::string out = Made(name, pattern);
        ASSERT_FALSE(out.empty()) << pattern;
        const HSTREAM stream = BASS_StreamCreateFile(FALSE, out.c_str(), 0, 0, kDecode);
        ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
        const QWORD bytes = BASS_StreamGetLength(stream);
        const double seconds = BASS_ChannelBytes2Seconds(stream, bytes);
        EXPECT_NEAR(seconds, DecodedSeconds(out), 0.03);
        // ffprobe's container duration agrees as well, except where a LAME header's
        // encoder delay and padding are in it (up to 70 ms at 22 kHz).
        const bool lameHeader = name.find(".mp3") != std::string::npos && name.find("noxing") == std::string::npos;
        if (!lameHeader) {
            EXPECT_NEAR(seconds, FfprobeSeconds(out), 0.03);
        }
        // The length is exact: decoding gives that many frames.
        BASS_CHANNELINFO info {};
        BASS_ChannelGetInfo(stream, &info);
        EXPECT_EQ(DecodeAll(stream), bytes / (2 * info.chans));
        BASS_StreamFree(stream);
    }
}

TEST_F(DecodingTest, WaveFilesOfEveryCodingOpenWithTheirLengthAndSound) {
    // The WAV reader takes PCM and float; the other codings of WAVE files (as a sound
    // recorder or a telephone system writes them) go to the FFmpeg decoder.
    const std::string wav44 = media.FfmpegTone("src44.wav", 440, 2.0, 44100, 2, "-c:a pcm_s16le");
    const std::string wav8m = media.FfmpegTone("src8m.wav", 440, 2.0, 8000, 1, "-c:a pcm_s16le");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"sox-alaw.wav", "sox " + wav44 + " -e a-law OUT"},
        {"sox-ulaw.wav", "sox " + wav8m + " -e u-law OUT"},
        {"sox-ms-adpcm.wav", "sox " + wav44 + " -e ms-adpcm OUT"},
        {"sox-ima-adpcm.wav", "sox " + wav8m + " -e ima-adpcm OUT"},
        {"sox-gsm.wav", "sox " + wav8m + " -e gsm-full-rate OUT"},
        {"ffmpeg-alaw.wav", "ffmpeg -nostdin -v error -y -i " + wav8m + " -c:a pcm_alaw OUT"},
        {"ffmpeg-mulaw.wav", "ffmpeg -nostdin -v error -y -i " + wav44 + " -c:a pcm_mulaw OUT"},
        {"ffmpeg-ima-adpcm.wav", "ffmpeg -nostdin -v error -y -i " + wav44 + " -c:a adpcm_ima_wav OUT"},
        {"ffmpeg-ms-adpcm.wav", "ffmpeg -nostdin -v error -y -i " + wav8m + " -c:a adpcm_ms OUT"},
        {"sox-float.wav", "sox " + wav44 + " -e floating-point -b 32 OUT"},
        {"ffmpeg-f32.wav", "ffmpeg -nostdin -v error -y -i " + wav8m + " -c:a pcm_f32le OUT"},
    };
    for (const auto& [name, pattern] : cases) {
        SCOPED_TRACE(name);
        const std::string out = Made(name, pattern);
        ASSERT_FALSE(out.empty()) << pattern;
        const HSTREAM stream = BASS_StreamCreateFile(FALSE, out.c_str(), 0, 0, kDecode);
        ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
        BASS_CHANNELINFO info {};
        BASS_ChannelGetInfo(stream, &info);
        EXPECT_EQ(info.ctype, static_cast<DWORD>(BASS_CTYPE_STREAM_WAV));
        // Two seconds, give or take an ADPCM block.
        const double seconds = BASS_ChannelBytes2Seconds(stream, BASS_StreamGetLength(stream));
        EXPECT_NEAR(seconds, 2.0, 0.06);
        std::vector<float> samples;
        const uint64_t frames = DecodeAll(stream, &samples);
        EXPECT_NEAR(static_cast<double>(frames) / info.freq, 2.0, 0.06);
        BASS_StreamFree(stream);
        // The tone, at its level (a sine of 0.5: RMS 0.35; the codings lose a little).
        std::vector<float> left;
        for (size_t i = 0; i < samples.size(); i += info.chans) left.push_back(samples[i]);
        ASSERT_GT(left.size(), static_cast<size_t>(info.freq));
        const size_t a = left.size() / 4, b = left.size() * 3 / 4;
        EXPECT_NEAR(ToneFrequency(left, a, b, static_cast<int>(info.freq)), 440.0, 3.0);
        EXPECT_NEAR(Rms(left, a, b), 0.5 / std::sqrt(2.0), 0.03);
    }
}

TEST_F(DecodingTest, VbrWithoutHeaderGetsItsTrueLength) {
    // lame -t writes no Xing/LAME frame; the length then comes from a scan of every frame.
    const std::string wav = media.FfmpegTone("src.wav", 440, 4.0, 44100, 2, "-c:a pcm_s16le");
    const std::string out = media.Path("vbr-noheader.mp3");
    ASSERT_TRUE(MediaFolder::Run("lame --quiet -t -V 5 " + wav + " " + out));
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, out.c_str(), 0, 0, kDecode);
    ASSERT_NE(stream, 0u);
    const double seconds = BASS_ChannelBytes2Seconds(stream, BASS_StreamGetLength(stream));
    // Without a header the encoder's delay and padding stay in: up to two frames more.
    EXPECT_GE(seconds, 4.0 - 0.001);
    EXPECT_LE(seconds, 4.0 + 2 * 1152.0 / 44100 + 0.001);
}

TEST_F(DecodingTest, TempoStreamAtZeroPassesSamplesThroughUntouched) {
    const std::string path = media.FfmpegSource("noise.ogg", "anoisesrc=d=1.5:a=0.3", 44100, 2, "-c:a libvorbis");
    const HSTREAM direct = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecode);
    const HSTREAM source = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecode);
    const HSTREAM tempo = BASS_FX_TempoCreate(source, kDecode | BASS_FX_FREESOURCE);
    ASSERT_NE(tempo, 0u);
    ASSERT_TRUE(BASS_FX_TempoSet(tempo, 0, 0, 0));
    std::vector<float> a, b;
    DecodeAll(direct, &a);
    DecodeAll(tempo, &b);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_TRUE(a == b);
    EXPECT_EQ(BASS_StreamGetLength(tempo), BASS_StreamGetLength(direct));
    // Freeing the wrapper frees its source.
    EXPECT_TRUE(BASS_StreamFree(tempo));
    EXPECT_FALSE(BASS_StreamFree(source));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

// Reads up to frames frames of a stereo decoding channel.
std::vector<float> ReadFrames(DWORD handle, size_t frames) {
    std::vector<float> out(frames * 2);
    size_t done = 0;
    while (done < frames) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(frames - done, 4096) * 8);
        const DWORD bytes = BASS_ChannelGetData(handle, out.data() + done * 2, want | BASS_DATA_FLOAT);
        if (bytes == static_cast<DWORD>(-1) || bytes == 0) break;
        done += bytes / 8;
    }
    out.resize(done * 2);
    return out;
}

std::vector<float> LeftOf(const std::vector<float>& stereo) {
    std::vector<float> left(stereo.size() / 2);
    for (size_t i = 0; i < left.size(); ++i) left[i] = stereo[2 * i];
    return left;
}

TEST_F(DecodingTest, TempoSwitchedOnAndOffMidStreamChangesSpeedThenPassesThroughAgain) {
    const std::string path = media.FfmpegTone("tone.wav", 440, 6, 44100, 2, "-c:a pcm_s16le");
    const HSTREAM direct = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecode);
    std::vector<float> all;
    ASSERT_EQ(DecodeAll(direct, &all), 6u * 44100);
    const HSTREAM tempo = BASS_FX_TempoCreate(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecode),
                                              kDecode | BASS_FX_FREESOURCE);
    ASSERT_NE(tempo, 0u);
    // The first second passes through untouched.
    const std::vector<float> first = ReadFrames(tempo, 44100);
    ASSERT_EQ(first.size(), 2u * 44100);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), all.begin()));
    // Twice as fast from here: a second of sound covers about two of the file, at the
    // same pitch.
    ASSERT_TRUE(BASS_FX_TempoSet(tempo, 100, 0, 0));
    const std::vector<float> fast = ReadFrames(tempo, 44100);
    ASSERT_EQ(fast.size(), 2u * 44100);
    const std::vector<float> fastLeft = LeftOf(fast);
    EXPECT_NEAR(ToneFrequency(fastLeft, 11025, fastLeft.size(), 44100), 440, 5);
    const double heard = BASS_ChannelBytes2Seconds(tempo, BASS_ChannelGetPosition(tempo));
    EXPECT_NEAR(heard, 3.0, 0.15);
    // Back to 0: the samples are the file's own again, from where the listener is.
    ASSERT_TRUE(BASS_FX_TempoSet(tempo, 0, 0, 0));
    const size_t at = BASS_ChannelGetPosition(tempo) / 4;
    const std::vector<float> again = ReadFrames(tempo, 4096);
    ASSERT_EQ(again.size(), 2u * 4096);
    ASSERT_LE(2 * at + again.size(), all.size());
    EXPECT_TRUE(std::equal(again.begin(), again.end(), all.begin() + static_cast<long>(2 * at)));
    // The rest plays to the file's end at normal speed.
    EXPECT_EQ(DecodeAll(tempo), 6u * 44100 - at - 4096);
    BASS_StreamFree(tempo);
    BASS_StreamFree(direct);
}

TEST_F(DecodingTest, FlatEqualiserLeavesSamplesUntouchedAndAGainSetMidStreamApplies) {
    const std::string path = media.FfmpegTone("k.wav", 1000, 3, 44100, 2, "-c:a pcm_s16le", 0.1);
    const HSTREAM direct = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecode);
    std::vector<float> all;
    DecodeAll(direct, &all);
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecode);
    const float centers[10] = {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000};
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(BASS_FX_DSP_Set(stream, BASS_FX_DSPFX_PEAKEQ, 0));
        BASS_FX_PEAKEQ_BAND band {i, 44100, 1.0f, 0.0f, centers[i], 0.0f};
        ASSERT_TRUE(BASS_FX_DSP_SetParameters(stream, BASS_FX_DSPFX_PEAKEQ, &band));
    }
    const std::vector<float> flat = ReadFrames(stream, 44100);
    ASSERT_EQ(flat.size(), 2u * 44100);
    EXPECT_TRUE(std::equal(flat.begin(), flat.end(), all.begin()));
    BASS_FX_PEAKEQ_BAND boost {4, 44100, 1.0f, 0.0f, 1000.0f, 12.0f};
    ASSERT_TRUE(BASS_FX_DSP_SetParameters(stream, BASS_FX_DSPFX_PEAKEQ, &boost));
    const std::vector<float> loud = LeftOf(ReadFrames(stream, 44100));
    ASSERT_EQ(loud.size(), 44100u);
    EXPECT_NEAR(20 * std::log10(ToneAmplitude(loud, 4410, loud.size(), 1000, 44100) / 0.1), 12.0, 0.3);
    boost.gain = 0;
    ASSERT_TRUE(BASS_FX_DSP_SetParameters(stream, BASS_FX_DSPFX_PEAKEQ, &boost));
    const std::vector<float> rest = ReadFrames(stream, 44100);
    ASSERT_EQ(rest.size(), 2u * 44100);
    EXPECT_TRUE(std::equal(rest.begin(), rest.end(), all.begin() + 4 * 44100));
    BASS_StreamFree(stream);
    BASS_StreamFree(direct);
}

TEST_F(DecodingTest, RefusedWrappersLeaveTheSourceToTheCaller) {
    const std::string path = media.FfmpegTone("tone.wav", 440, 0.5, 44100, 2, "-c:a pcm_s16le");
    const HSTREAM playable = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);  // not decode-only
    ASSERT_NE(playable, 0u);
    EXPECT_EQ(BASS_FX_TempoCreate(playable, kDecode | BASS_FX_FREESOURCE), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DECODE);
    EXPECT_EQ(BASS_FX_ReverseCreate(playable, 2.0f, kDecode | BASS_FX_FREESOURCE), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DECODE);
    EXPECT_EQ(BASS_FX_TempoCreate(0x7FFFFFF0u, kDecode | BASS_FX_FREESOURCE), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(BASS_FX_TempoSet(0, 10, 0, 0));  // no half-made wrapper answers
    // The source is still the caller's: it plays, and the caller frees it.
    BASS_CHANNELINFO info {};
    EXPECT_TRUE(BASS_ChannelGetInfo(playable, &info));
    EXPECT_TRUE(BASS_StreamFree(playable));
}

TEST_F(DecodingTest, EqualiserBandsAreAddedOneBySetAndRemovedTogether) {
    const std::string path = media.FfmpegTone("t.wav", 440, 0.5, 22050, 2, "-c:a pcm_s16le");
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecode);
    BASS_FX_PEAKEQ_BAND band {};
    EXPECT_FALSE(BASS_FX_DSP_GetParameters(stream, BASS_FX_DSPFX_PEAKEQ, &band));  // none yet
    EXPECT_FALSE(BASS_FX_DSP_Set(stream, 7, 0));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLTYPE);
    EXPECT_FALSE(BASS_FX_DSP_Set(12345, BASS_FX_DSPFX_PEAKEQ, 0));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    for (int round = 0; round < 2; ++round) {  // off and on again, as the equaliser button does
        for (int i = 0; i < 10; ++i) ASSERT_TRUE(BASS_FX_DSP_Set(stream, BASS_FX_DSPFX_PEAKEQ, 0));
        band = {9, 22050, 1.0f, 0.0f, 16000.0f, 7.0f};  // above this file's Nyquist: kept, but inaudible
        ASSERT_TRUE(BASS_FX_DSP_SetParameters(stream, BASS_FX_DSPFX_PEAKEQ, &band));
        BASS_FX_PEAKEQ_BAND back {};
        back.band = 9;
        ASSERT_TRUE(BASS_FX_DSP_GetParameters(stream, BASS_FX_DSPFX_PEAKEQ, &back));
        EXPECT_EQ(back.freq, 22050u);
        EXPECT_EQ(back.center, 16000.0f);
        EXPECT_EQ(back.gain, 7.0f);
        back.band = 10;
        EXPECT_FALSE(BASS_FX_DSP_GetParameters(stream, BASS_FX_DSPFX_PEAKEQ, &back));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
        EXPECT_TRUE(BASS_FX_DSP_Remove(stream, BASS_FX_DSPFX_PEAKEQ));
        back.band = 0;
        EXPECT_FALSE(BASS_FX_DSP_GetParameters(stream, BASS_FX_DSPFX_PEAKEQ, &back));
    }
}

TEST_F(DecodingTest, PositionsAndConversionsUseTheStreamsOwnFormat) {
    const std::string path = media.FfmpegTone("t.wav", 440, 2.0, 22050, 1, "-c:a pcm_s16le");
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecode);
    BASS_CHANNELINFO info {};
    ASSERT_TRUE(BASS_ChannelGetInfo(stream, &info));
    EXPECT_EQ(info.freq, 22050u);
    EXPECT_EQ(info.chans, 1u);
    EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_WAV);
    EXPECT_TRUE(info.flags & BASS_STREAM_DECODE);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 1.0f), 44100u);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(stream, 22050), 0.5f);
    EXPECT_TRUE(BASS_ChannelSetPosition(stream, BASS_POS_SECONDS_FORM(1)));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 44100u);
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 5.0f)));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_FALSE(BASS_ChannelPlay(stream, TRUE));  // decoding channels are never played
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DECODE);
    const DWORD size = BASS_StreamGetFilePosition(stream, BASS_FILEPOS_END);
    EXPECT_EQ(size, static_cast<DWORD>(std::filesystem::file_size(path)));
    EXPECT_EQ(BASS_StreamGetFilePosition(stream, BASS_FILEPOS_DOWNLOAD), size);
    EXPECT_EQ(BASS_StreamGetTags(stream, BASS_TAG_ICY), nullptr);
}

TEST_F(DecodingTest, WindowsMediaFilesOpenOnlyThroughTheWmaModule) {
    const std::string path = media.FfmpegTone("tone.wma", 440, 2.0, 44100, 2, "-c:a wmav2 -b:a 128k");
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecode), 0u);
    const HSTREAM stream = BASS_WMA_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecode);
    ASSERT_NE(stream, 0u);
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(stream, BASS_StreamGetLength(stream)), DecodedSeconds(path), 0.05);
    std::vector<float> samples;
    const uint64_t frames = DecodeAll(stream, &samples);
    EXPECT_NEAR(frames / 44100.0, 2.0, 0.1);
    std::vector<float> left;
    for (size_t i = 0; i < samples.size(); i += 2) left.push_back(samples[i]);
    EXPECT_NEAR(ToneFrequency(left, 8000, left.size() - 8000, 44100), 440, 1);
    // An MP3 is not Windows Media.
    const std::string mp3 = media.FfmpegTone("tone.mp3", 440, 1.0, 44100, 2, "-c:a libmp3lame");
    EXPECT_EQ(BASS_WMA_StreamCreateFile(FALSE, mp3.c_str(), 0, 0, kDecode), 0u);
}

TEST_F(DecodingTest, CdTrackPlaysFromADiscImage) {
    // Two audio tracks in a .bin/.cue image; the ".cda" record names track 2.
    const std::string bin = media.Path("disc.bin");
    ASSERT_TRUE(MediaFolder::Run("ffmpeg -nostdin -y -f lavfi -i 'sine=f=440:d=2[a];sine=f=660:d=3[b];[a][b]concat=n=2:v=0:a=1' "
                                 "-ar 44100 -ac 2 -f s16le -c:a pcm_s16le " + bin));
    const std::string cue = media.Path("disc.cue");
    std::ofstream(cue) << "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                          "  TRACK 02 AUDIO\n    INDEX 01 00:02:00\n";
    const std::string cda = media.Path("Track02.cda");
    {
        uint8_t record[44] = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'C', 'D', 'D', 'A', 'f', 'm', 't', ' ', 24, 0, 0, 0, 1, 0, 2, 0};
        std::ofstream(cda, std::ios::binary).write(reinterpret_cast<const char*>(record), sizeof record);
    }
    setenv("TAVORA_CD_DEVICE", cue.c_str(), 1);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, cda.c_str(), 0, 0, kDecode), 0u);  // not a sound file
    const HSTREAM stream = BASS_CD_StreamCreateFile(cda.c_str(), kDecode | BASS_CD_OPEN);
    unsetenv("TAVORA_CD_DEVICE");
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(stream, BASS_StreamGetLength(stream)), 3.0, 1.0 / 75);
    std::vector<float> samples;
    DecodeAll(stream, &samples);
    std::vector<float> left;
    for (size_t i = 0; i < samples.size(); i += 2) left.push_back(samples[i]);
    EXPECT_NEAR(ToneFrequency(left, 4000, left.size() - 4000, 44100), 660, 1);
}

TEST_F(DecodingTest, DamagedAndMislabelledFilesAreRefusedOrPlayedAsFarAsTheyGo) {
    const std::string mp3 = media.FfmpegTone("good.mp3", 440, 2.0, 44100, 2, "-c:a libmp3lame");
    const std::string wav = media.FfmpegTone("good.wav", 440, 2.0, 44100, 2, "-c:a pcm_s16le");
    // Noise through oggenc: pages of a few kilobytes, so half the file holds half the
    // sound (a pure tone packs seconds into one page).
    const std::string noiseWav = media.FfmpegSource("noise.wav", "anoisesrc=d=2:a=0.3", 44100, 2, "-c:a pcm_s16le");
    const std::string ogg = media.Path("good.ogg");
    ASSERT_TRUE(MediaFolder::Run("oggenc -Q -o " + ogg + " " + noiseWav));
    auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    auto write = [&](const std::string& name, const std::vector<char>& data) {
        const std::string path = media.Path(name);
        std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
        return path;
    };
    // An Ogg file called .mp3 plays as Ogg.
    const std::string renamed = write("really-ogg.mp3", bytes(ogg));
    HSTREAM stream = BASS_StreamCreateFile(FALSE, renamed.c_str(), 0, 0, kDecode);
    ASSERT_NE(stream, 0u);
    BASS_CHANNELINFO info {};
    BASS_ChannelGetInfo(stream, &info);
    EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_OGG);
    BASS_StreamFree(stream);

    // Truncated files play what is there.
    for (const auto& path : {mp3, ogg, wav}) {
        SCOPED_TRACE(path);
        auto data = bytes(path);
        data.resize(data.size() / 2);
        const std::string cut = write("cut-" + std::filesystem::path(path).filename().string(), data);
        stream = BASS_StreamCreateFile(FALSE, cut.c_str(), 0, 0, kDecode);
        ASSERT_NE(stream, 0u);
        const uint64_t frames = DecodeAll(stream);
        EXPECT_GT(frames, 44100u * 0.3);  // the part cut off mid-page is lost
        EXPECT_LT(frames, 44100u * 1.3);
        BASS_StreamFree(stream);
    }

    // Random bytes, empty files, folders and missing files are refused or give at most noise.
    std::mt19937 rng(11);
    std::vector<char> noise(64 * 1024);
    for (char& c : noise) c = static_cast<char>(rng());
    const std::string random = write("random.mp3", noise);
    stream = BASS_StreamCreateFile(FALSE, random.c_str(), 0, 0, kDecode);
    if (stream) {
        DecodeAll(stream);
        BASS_StreamFree(stream);
    } else {
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    }
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, write("empty.ogg", {}).c_str(), 0, 0, kDecode), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, media.Path("").c_str(), 0, 0, kDecode), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, media.Path("missing.mp3").c_str(), 0, 0, kDecode), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    // A WAV header claiming far more data than the file holds.
    auto lying = bytes(wav);
    const std::string text(lying.begin(), lying.end());
    const size_t data = text.find("data");
    ASSERT_NE(data, std::string::npos);
    lying[data + 4] = lying[data + 5] = lying[data + 6] = static_cast<char>(0xFF);
    lying[data + 7] = 0x7F;
    stream = BASS_StreamCreateFile(FALSE, write("lying.wav", lying).c_str(), 0, 0, kDecode);
    ASSERT_NE(stream, 0u);
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(stream, BASS_StreamGetLength(stream)), 2.0, 0.01);
}

TEST_F(DecodingTest, AddressOpenRefusesLocalPaths) {
    const std::string wav = media.FfmpegTone("good.wav", 440, 0.5, 44100, 2, "-c:a pcm_s16le");
    EXPECT_EQ(BASS_StreamCreateURL(wav.c_str(), 0, kDecode, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_StreamCreateURL("http://127.0.0.1:1/nothing.mp3", 0, kDecode, nullptr, nullptr), 0u);
    EXPECT_NE(BASS_ErrorGetCode(), BASS_OK);
}

}  // namespace
}  // namespace tavora::test
