#pragma once
// What the options dialog needs of the player: the live settings to start from and to
// change, the command sink for the commands its OK sends, the playback's reverse mode,
// the program's path for the associations and the system master volume.
//
// UI thread only.

#include <functional>
#include <optional>
#include <string>

#include "CommandSink.h"
#include "PlayerSettings.h"

namespace tavora {

class OptionsHost {
public:
    virtual ~OptionsHost() = default;

    // The live settings (the options' fields are the ones that matter here).
    virtual PlayerSettings Live() const = 0;
    // Makes the options' fields of `settings` live at once.
    virtual void SetLive(const PlayerSettings& settings) = 0;
    virtual CommandSink& Sink() = 0;
    virtual bool IsPlaying() const = 0;
    virtual bool ReverseMode() const = 0;
    virtual void SetReverseMode(bool on) = 0;
    virtual std::string ProgramPath() const = 0;
};

// The system master volume as the sound page moves it (0 .. maximum).
struct MasterVolumeAccess {
    std::function<std::optional<unsigned>()> read;  // nullopt while there is no mixer
    std::function<void(unsigned)> write;
    unsigned maximum = 65535;
};

}  // namespace tavora
