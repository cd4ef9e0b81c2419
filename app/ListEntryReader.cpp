#include "ListEntryReader.h"

#include "PlaylistEntry.h"
#include "StreamProbe.h"

namespace tavora {

std::optional<M3uEntryInfo> ReadListEntry(const StreamProbe& probe, const std::string& path,
                                          const TitleSettings& settings) {
    const std::optional<ProbedStream> opened = probe.Probe(path);
    if (!opened) return std::nullopt;
    probe.Free(opened->handle);
    if (IsStreamAddress(path)) return M3uEntryInfo{};
    return M3uEntryInfo{ReadDisplayTitle(path, settings), opened->lengthSeconds};
}

}  // namespace tavora
