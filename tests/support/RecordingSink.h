#pragma once
// A command sink that records every command with its data, for the window tests;
// `answer` plays the controller's part where a test needs it (it runs at once, as the
// controller's handler would).
#include <functional>
#include <utility>
#include <vector>

#include "CommandSink.h"
#include "Commands.h"

namespace tavora::test {

class RecordingSink : public CommandSink {
public:
    std::vector<std::pair<int, CommandData>> sent;
    std::function<void(cmd::Command, const CommandData&)> answer;
    void Send(cmd::Command command, CommandData data) override {
        sent.emplace_back(command, data);
        if (answer) answer(command, data);
    }
    void Post(cmd::Command command, CommandData data) override { Send(command, std::move(data)); }
    std::vector<int> Commands() const {
        std::vector<int> ids;
        for (const auto& [id, data] : sent) ids.push_back(id);
        return ids;
    }
    // The values sent with `command`, in order.
    std::vector<int> Values(cmd::Command command) const {
        std::vector<int> values;
        for (const auto& [id, data] : sent)
            if (id == command) values.push_back(data.value.value_or(-1));
        return values;
    }
};

}  // namespace tavora::test
