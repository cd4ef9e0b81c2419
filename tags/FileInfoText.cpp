#include "FileInfoText.h"

#include <filesystem>

#include "TrackLength.h"

namespace tavora {

std::optional<std::string> BuildFileInfoText(const std::string& path, bool withFileName) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return std::nullopt;
    const std::optional<AudioProbe> probe = ProbeAudioFile(path);
    if (!probe) return std::nullopt;

    // A zero length would divide by zero; such a file has no meaningful bit rate.
    const int kbps =
        probe->seconds > 0 ? static_cast<int>(static_cast<double>(size) / (probe->seconds * 125) + 0.5) : 0;

    std::string text;
    if (withFileName) {
        const size_t slash = path.rfind('/');
        text = "파일명: " + path.substr(slash == std::string::npos ? 0 : slash + 1) + " \r\n";
    }
    text += "파일 크기 : " + std::to_string(size) + " Bytes \r\n";
    text += "재생 시간 : " + FormatTrackTime(probe->seconds) + " \r\n";
    text += "채널수 : " + std::to_string(probe->channels) + " \r\n";
    text += "비트 레이트: " + std::to_string(kbps) + " Kbps\r\n";
    text += "샘플 주파수: " + std::to_string(probe->sampleRate) + " Hz";
    return text;
}

}  // namespace tavora
