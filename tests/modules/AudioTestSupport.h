#pragma once
// Helpers of the audio module tests: making media files with the usual command-line
// encoders, listening to what the engine's "wav:" output wrote, and simple measures of
// that sound (level, pitch, where it starts and ends).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "tavora/bass_api.h"

namespace tavora::test {

// A fresh folder below the system's temporary folder, removed at destruction.
class MediaFolder {
public:
    std::string Path(const std::string& name) const { return (folder_.path() / name).string(); }

    // Runs a shell command (encoders); true on exit status 0.
    static bool Run(const std::string& command);
    // A sine tone through ffmpeg's lavfi source, encoded by ffmpeg with the given
    // codec options (e.g. "-c:a pcm_s16le"); returns the path.
    std::string FfmpegTone(const std::string& name, double frequency, double seconds, int rate, int channels,
                           const std::string& codecOptions, double amplitude = 0.5);
    // ffmpeg's -af/-filter_complex source given whole (e.g. "sine=f=440:d=1,volume=0.3").
    std::string FfmpegSource(const std::string& name, const std::string& lavfi, int rate, int channels,
                             const std::string& codecOptions);

private:
    TempFolder folder_{"media"};
};

// The audio length ffmpeg decodes from the file, in seconds (-1 when it cannot tell).
double DecodedSeconds(const std::string& path);
// The duration ffprobe reports for the container. For MP3 files with a LAME header it
// still counts the encoder's delay and padding, which decoders drop.
double FfprobeSeconds(const std::string& path);

struct Sound {
    int rate = 0;
    std::vector<float> left, right, mono;
    double Seconds(size_t index) const { return static_cast<double>(index) / rate; }
};

// Reads a 16-bit PCM WAV file (the engine's "wav:" output).
Sound ReadWavFile(const std::string& path);

// Amplitude of the frequency component (Goertzel), for a sine of amplitude A about A.
double ToneAmplitude(const std::vector<float>& x, size_t begin, size_t end, double frequency, int rate);
// Frequency of a clean tone from its zero crossings.
double ToneFrequency(const std::vector<float>& x, size_t begin, size_t end, int rate);
double Rms(const std::vector<float>& x, size_t begin, size_t end);
// First and last sample whose 5 ms RMS exceeds threshold; begin == end when none.
struct Range {
    size_t begin = 0, end = 0;
};
Range AudibleRange(const std::vector<float>& x, int rate, double threshold = 0.01);

// Plays through the engine's "wav:" output: BASS_Init on construction, BASS_Free and
// reading back the file in Finish().
class WavOutputSession {
public:
    WavOutputSession();
    ~WavOutputSession();
    bool ready() const { return ready_; }
    Sound Finish();
    // Polls until the channel stops playing; false after the tests' state time-out.
    static bool WaitUntilStopped(DWORD handle);

private:
    MediaFolder folder_;
    std::string path_;
    bool ready_ = false;
    bool finished_ = false;
};

}  // namespace tavora::test
