#pragma once
// Where the windows send what the user asked for: a controller command with the data
// it needs (the dropped path, the row, the new level). The controller is the one real
// sink; window tests give a recording one.
//
//   sink.Send(cmd::SetVolume, CommandData::Value(40));
//   sink.Send(cmd::OpenFileDrag, CommandData::Path("/music/a.mp3"));
//
// Threading: Send runs the command before it returns (from a worker thread it waits
// for the UI thread); Post queues it and returns at once. Both may be called from any
// thread.

#include <optional>
#include <string>
#include <utility>

#include "Commands.h"

namespace tavora {

struct CommandData {
    std::string path;          // a file, folder, list or address
    std::optional<int> value;  // a row, a level, a position in seconds, a mode

    static CommandData Path(std::string p) { return {std::move(p), std::nullopt}; }
    static CommandData Value(int v) { return {std::string(), v}; }
};

class CommandSink {
public:
    virtual ~CommandSink() = default;
    virtual void Send(cmd::Command command, CommandData data = {}) = 0;
    virtual void Post(cmd::Command command, CommandData data = {}) = 0;
};

}  // namespace tavora
