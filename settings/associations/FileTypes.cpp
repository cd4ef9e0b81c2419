#include "FileTypes.h"

#include "PlayerSettings.h"
#include "Registry.h"
#include "RegistryKeys.h"

namespace tavora {
namespace {

// ".cda" has no MIME type of the desktop's own: "application/x-cda" is declared by the
// player's MIME package (DesktopAssociations.cpp).
constexpr std::array<FileTypeInfo, kFileTypeCount> kTypes{{
    {FileType::Mp3, "MP3", ".mp3", "tavora.mp3", "Tavora mp3file", 143, "-s", true, "tavoraplayer-mp3",
     {"audio/mpeg", nullptr, nullptr}},
    {FileType::Ogg, "OGG", ".ogg", "tavora.ogg", "Tavora oggfile", 148, "-s", true, "tavoraplayer-ogg",
     {"audio/ogg", "audio/x-vorbis+ogg", nullptr}},
    {FileType::Wma, "WMA", ".wma", "tavora.wma", "Tavora wmafile", 149, "-s", true, "tavoraplayer-wma",
     {"audio/x-ms-wma", nullptr, nullptr}},
    {FileType::Wav, "WAV", ".wav", "tavora.wav", "Tavora wavfile", 159, "-s", true, "tavoraplayer-wav",
     {"audio/x-wav", "audio/wav", nullptr}},
    {FileType::Cda, "CDA", ".cda", "tavora.cda", "Tavora cdafile", 193, "-s", true, "tavoraplayer-cda",
     {"application/x-cda", nullptr, nullptr}},
    {FileType::M3u, "M3U", ".m3u", "tavora.m3u", "Tavora m3ufile", 152, "-list", false, "tavoraplayer-m3u",
     {"audio/x-mpegurl", "audio/mpegurl", nullptr}},
    {FileType::Pls, "PLS", ".pls", "tavora.pls", "Tavora plsfile", 157, "-pls", false, "tavoraplayer-pls",
     {"audio/x-scpls", nullptr, nullptr}},
}};

}  // namespace

std::span<const FileTypeInfo> FileTypes() { return kTypes; }

const FileTypeInfo& InfoOf(FileType type) { return kTypes[static_cast<size_t>(type)]; }

ConnectFlags ConnectFlagsOf(int mp3, int ogg, int wma, int wav, int cda, int m3u, int pls) {
    // In registration order.
    return {mp3 != 0, ogg != 0, wma != 0, wav != 0, cda != 0, m3u != 0, pls != 0};
}

ConnectFlags ConnectFlagsOf(const PlayerSettings& s) {
    return ConnectFlagsOf(s.connectMp3, s.connectOgg, s.connectWma, s.connectWav, s.connectCda, s.connectM3u,
                          s.connectPls);
}

ConnectFlags ReadConnectFlags() {
    ConnectFlags flags{};
    // The missing-value mark is not 0, so a missing flag counts as on.
    for (const FileTypeInfo& t : kTypes)
        flags[static_cast<size_t>(t.type)] = ReadRegDword(keys::kConnectExt, t.setting) != 0;
    return flags;
}

}  // namespace tavora
