#pragma once
// The one place every command passes through: the command sink the features send to
// and the registry they register the handlers in. Send runs a command at once on the
// UI thread (from a worker it waits until the UI thread has run it); Post queues it.
// Once stopped (the shutdown has begun) no command runs any more.
//
// Threading: Send and Post from any thread; register and run on the UI thread.

#include <QObject>

#include <map>

#include "CommandRegistry.h"
#include "CommandSink.h"

namespace tavora {

class CommandRouter : public QObject, public CommandSink, public CommandRegistry {
    Q_OBJECT
public:
    using QObject::QObject;

    void Send(cmd::Command command, CommandData data = {}) override;
    void Post(cmd::Command command, CommandData data = {}) override;
    using CommandRegistry::RegisterCommand;
    void RegisterCommand(cmd::Command id, CommandHandler handler) override;
    bool HasCommand(cmd::Command id) const { return handlers_.count(id) != 0; }

    // Runs the command's handler here and now (UI thread), unless stopped.
    void Run(cmd::Command id, const CommandData& data = {});
    void Stop() { stopped_ = true; }
    bool stopped() const { return stopped_; }

private:
    std::map<int, CommandHandler> handlers_;
    bool stopped_ = false;
};

}  // namespace tavora
