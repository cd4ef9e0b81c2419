#include "FileTypes.h"

#include <string>
#include <vector>

#include "MediaTypes.h"
#include "PlayerSettings.h"
#include "Registry.h"
#include "RegistryKeys.h"

namespace tavora {
namespace {

using Types = std::array<FileTypeInfo, kFileTypeCount>;

// The registration order of the media table's association column is the order of FileType.
static_assert(media::Row(media::Media::Mp3).association.order == static_cast<int>(FileType::Mp3));
static_assert(media::Row(media::Media::Ogg).association.order == static_cast<int>(FileType::Ogg));
static_assert(media::Row(media::Media::Wma).association.order == static_cast<int>(FileType::Wma));
static_assert(media::Row(media::Media::Wav).association.order == static_cast<int>(FileType::Wav));
static_assert(media::Row(media::Media::Cda).association.order == static_cast<int>(FileType::Cda));
static_assert(media::Row(media::Media::M3u).association.order == static_cast<int>(FileType::M3u));
static_assert(media::Row(media::Media::Pls).association.order == static_cast<int>(FileType::Pls));

const Types& TypesInOrder() {
    static const Types types = [] {
        static std::array<std::string, kFileTypeCount> dotted;
        Types out{};
        const std::vector<media::Media> kinds = media::AssociatedKinds();
        for (size_t i = 0; i < kinds.size() && i < kFileTypeCount; ++i) {
            const media::MediaType& row = media::Row(kinds[i]);
            const media::Association& a = row.association;
            dotted[i] = "." + std::string(row.extension);
            out[i] = {static_cast<FileType>(i), a.setting,     dotted[i].c_str(), a.progId,         a.description,
                      a.icon,                   a.openSwitch, a.enqueue,         a.iconName,       a.mimeTypes,
                      a.declaredComment};
        }
        return out;
    }();
    return types;
}

}  // namespace

std::span<const FileTypeInfo> FileTypes() { return TypesInOrder(); }

const FileTypeInfo& InfoOf(FileType type) { return TypesInOrder()[static_cast<size_t>(type)]; }

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
    for (const FileTypeInfo& t : TypesInOrder())
        flags[static_cast<size_t>(t.type)] = ReadRegDword(keys::kConnectExt, t.setting) != 0;
    return flags;
}

}  // namespace tavora
