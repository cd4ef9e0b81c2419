#include "AudioTestSupport.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "WaitUntil.h"

namespace tavora::test {

bool MediaFolder::Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string MediaFolder::FfmpegSource(const std::string& name, const std::string& lavfi, int rate, int channels,
                                      const std::string& codecOptions) {
    const std::string out = Path(name);
    const std::string command = "ffmpeg -nostdin -y -f lavfi -i '" + lavfi + "' -ar " + std::to_string(rate) +
                                " -ac " + std::to_string(channels) + " " + codecOptions + " '" + out + "'";
    return Run(command) ? out : std::string();
}

std::string MediaFolder::FfmpegTone(const std::string& name, double frequency, double seconds, int rate, int channels,
                                    const std::string& codecOptions, double amplitude) {
    char lavfi[200];
    // ffmpeg's sine source has an amplitude of 1/8, and its mono-to-stereo mix lowers
    // each side by 3 dB.
    const double gain = amplitude * 8 * (channels == 2 ? M_SQRT2 : 1.0);
    std::snprintf(lavfi, sizeof lavfi, "sine=f=%g:d=%g:r=%d,volume=%g", frequency, seconds, rate, gain);
    return FfmpegSource(name, lavfi, rate, channels, codecOptions);
}

namespace {
std::string FirstLine(const std::string& command) {
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return std::string();
    char line[64] = {};
    const bool ok = std::fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    return ok ? std::string(line) : std::string();
}
}  // namespace

double FfprobeSeconds(const std::string& path) {
    const std::string text = FirstLine("ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 '" + path + "'");
    return text.empty() ? -1 : std::atof(text.c_str());
}

double DecodedSeconds(const std::string& path) {
    const std::string rateCommand =
        "ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate -of default=nw=1:nk=1 '" + path + "'";
    const double rate = std::atof(FirstLine(rateCommand).c_str());
    if (rate <= 0) return -1;
    const double bytes = std::atof(FirstLine("ffmpeg -nostdin -v error -i '" + path + "' -ac 1 -f s16le - | wc -c").c_str());
    return bytes / 2 / rate;
}

Sound ReadWavFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Sound sound;
    if (data.size() < 44) return sound;
    auto le32 = [&](size_t at) { return data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) | (data[at + 3] << 24); };
    sound.rate = le32(24);
    const size_t frames = (data.size() - 44) / 4;
    for (size_t i = 0; i < frames; ++i) {
        const auto* p = data.data() + 44 + i * 4;
        const float l = static_cast<int16_t>(p[0] | (p[1] << 8)) / 32768.0f;
        const float r = static_cast<int16_t>(p[2] | (p[3] << 8)) / 32768.0f;
        sound.left.push_back(l);
        sound.right.push_back(r);
        sound.mono.push_back(0.5f * (l + r));
    }
    return sound;
}

double ToneAmplitude(const std::vector<float>& x, size_t begin, size_t end, double frequency, int rate) {
    end = std::min(end, x.size());
    if (end <= begin) return 0;
    const double w = 2 * M_PI * frequency / rate;
    double re = 0, im = 0, windowSum = 0;
    const size_t n = end - begin;
    for (size_t i = 0; i < n; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * static_cast<double>(i) / static_cast<double>(n - 1));
        re += x[begin + i] * hann * std::cos(w * static_cast<double>(i));
        im -= x[begin + i] * hann * std::sin(w * static_cast<double>(i));
        windowSum += hann;
    }
    return 2 * std::sqrt(re * re + im * im) / windowSum;
}

double ToneFrequency(const std::vector<float>& x, size_t begin, size_t end, int rate) {
    end = std::min(end, x.size());
    double first = -1, last = -1;
    int crossings = 0;
    for (size_t i = begin + 1; i < end; ++i) {
        if (x[i - 1] < 0 && x[i] >= 0) {
            const double t = static_cast<double>(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
            if (first < 0) first = t;
            last = t;
            ++crossings;
        }
    }
    return crossings > 1 ? (crossings - 1) * rate / (last - first) : 0;
}

double Rms(const std::vector<float>& x, size_t begin, size_t end) {
    end = std::min(end, x.size());
    if (end <= begin) return 0;
    double sum = 0;
    for (size_t i = begin; i < end; ++i) sum += static_cast<double>(x[i]) * x[i];
    return std::sqrt(sum / static_cast<double>(end - begin));
}

Range AudibleRange(const std::vector<float>& x, int rate, double threshold) {
    const size_t window = static_cast<size_t>(rate / 200);
    Range range;
    bool found = false;
    for (size_t i = 0; i + window <= x.size(); i += window / 4) {
        if (Rms(x, i, i + window) > threshold) {
            if (!found) {
                // Refine to the first sample above the threshold in this window.
                size_t at = i;
                while (at < i + window && std::fabs(x[at]) < threshold) ++at;
                range.begin = at;
                found = true;
            }
            size_t at = i + window;
            while (at > i && std::fabs(x[at - 1]) < threshold) --at;
            range.end = std::max(range.end, at);
        }
    }
    return range;
}

WavOutputSession::WavOutputSession() {
    path_ = folder_.Path("heard.wav");
    setenv("TAVORA_AUDIO_OUTPUT", ("wav:" + path_).c_str(), 1);
    ready_ = BASS_Init(1, 44100, 0, nullptr, nullptr) != 0;
}

WavOutputSession::~WavOutputSession() {
    if (!finished_ && ready_) BASS_Free();
    unsetenv("TAVORA_AUDIO_OUTPUT");
}

Sound WavOutputSession::Finish() {
    finished_ = true;
    if (ready_) BASS_Free();
    return ReadWavFile(path_);
}

bool WavOutputSession::WaitUntilStopped(DWORD handle) {
    return WaitUntil([handle] { return BASS_ChannelIsActive(handle) == BASS_ACTIVE_STOPPED; });
}

}  // namespace tavora::test
