#pragma once
// Opening a path decode-only to measure it, for the list loaders and the adding
// commands: the first engine module that takes the path wins (an address, an ordinary
// file, a Windows Media file, a CD track). The probe never touches the playing stream
// (PlaybackSession owns that) and keeps no state of its own.
//
// Threading: any thread; the engine's creation calls may be made from any thread. An
// address open goes to the network and blocks the caller up to the engine's deadline,
// so the UI thread never probes addresses.

#include <cstdint>
#include <optional>
#include <string>

#include "M3uLoader.h"
#include "tavora/bass_api.h"

namespace tavora {

class AudioLibrary;

class StreamProbe {
public:
    explicit StreamProbe(const AudioLibrary& library) : library_(library) {}

    // The handle and whole seconds of `path`; nullopt when no module opens it. The
    // caller frees the handle (Free) unless it keeps it.
    std::optional<ProbedStream> Probe(const std::string& path) const;
    // The handle alone; `tryAddress` false keeps a local-only open off the network.
    HSTREAM OpenDecode(const std::string& path, bool tryAddress) const;
    // The whole seconds of an open stream (0 when the engine knows no length).
    long long LengthSeconds(HSTREAM handle) const;
    void Free(HSTREAM handle) const;

private:
    const AudioLibrary& library_;
};

}  // namespace tavora
