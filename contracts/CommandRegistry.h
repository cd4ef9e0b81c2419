#pragma once
// Where the features register the handlers of their commands. Every command sent
// through the command sink runs the one handler registered for it (a later
// registration replaces an earlier one; a command without a handler does nothing).
//
//   registry.RegisterCommand(cmd::ShowEqualizer, [&] { ... });
//   registry.RegisterCommand(cmd::SetVolume, [&](const CommandData& d) { ... });
//
// Threading: register on the UI thread; handlers run on the UI thread.

#include <functional>
#include <utility>

#include "CommandSink.h"

namespace tavora {

class CommandRegistry {
public:
    using CommandHandler = std::function<void(const CommandData&)>;

    virtual ~CommandRegistry() = default;
    virtual void RegisterCommand(cmd::Command id, CommandHandler handler) = 0;
    // A handler that needs no data.
    void RegisterCommand(cmd::Command id, std::function<void()> handler) {
        if (!handler) {
            RegisterCommand(id, CommandHandler());
            return;
        }
        RegisterCommand(id, CommandHandler([handler = std::move(handler)](const CommandData&) { handler(); }));
    }
};

}  // namespace tavora
