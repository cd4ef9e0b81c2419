#include "StreamProbe.h"

#include "AudioLibrary.h"
#include "PlaylistEntry.h"

namespace tavora {

namespace {
constexpr DWORD kDecodeFlags = BASS_STREAM_DECODE;            // 0x200000
constexpr DWORD kCdFlags = BASS_STREAM_DECODE | BASS_CD_OPEN;  // 0x210000
}  // namespace

HSTREAM StreamProbe::OpenDecode(const std::string& path, bool tryAddress) const {
    const BassFunctions& b = library_.Bass();
    if (path.empty()) return 0;
    HSTREAM h = 0;
    // Only an address can open as one; a local path is never sent to the network code.
    if (tryAddress && b.BASS_StreamCreateURL && IsStreamAddress(path))
        h = b.BASS_StreamCreateURL(path.c_str(), 0, kDecodeFlags, nullptr, nullptr);
    if (!h && b.BASS_StreamCreateFile) h = b.BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecodeFlags);
    if (!h && b.BASS_WMA_StreamCreateFile) h = b.BASS_WMA_StreamCreateFile(FALSE, path.c_str(), 0, 0, kDecodeFlags);
    if (!h && b.BASS_CD_StreamCreateFile) h = b.BASS_CD_StreamCreateFile(path.c_str(), kCdFlags);
    return h;
}

long long StreamProbe::LengthSeconds(HSTREAM handle) const {
    const BassFunctions& b = library_.Bass();
    if (!handle || !b.BASS_StreamGetLength || !b.BASS_ChannelBytes2Seconds) return 0;
    const QWORD length = b.BASS_StreamGetLength(handle);
    if (length == static_cast<QWORD>(-1)) return 0;
    const float seconds = b.BASS_ChannelBytes2Seconds(handle, length);
    return seconds > 0 ? static_cast<long long>(seconds) : 0;
}

std::optional<ProbedStream> StreamProbe::Probe(const std::string& path) const {
    const HSTREAM h = OpenDecode(path, true);
    if (!h) return std::nullopt;
    return ProbedStream{h, LengthSeconds(h)};
}

void StreamProbe::Free(HSTREAM handle) const {
    if (handle && library_.Bass().BASS_StreamFree) library_.Bass().BASS_StreamFree(handle);
}

}  // namespace tavora
