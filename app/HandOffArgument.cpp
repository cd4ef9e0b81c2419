#include "HandOffArgument.h"

#include "StoredValues.h"

namespace tavora {

HandOffArgument ParseHandOffArgument(std::string_view text) {
    struct Rule {
        std::string_view prefix;
        HandOffSwitch kind;
    };
    static constexpr Rule kRules[] = {{"-add", HandOffSwitch::Add},
                                      {"-s", HandOffSwitch::Start},
                                      {"-list", HandOffSwitch::List},
                                      {"-pls", HandOffSwitch::Pls}};
    for (const Rule& rule : kRules) {
        if (text.substr(0, rule.prefix.size()) != rule.prefix) continue;
        HandOffArgument arg{rule.kind, std::string(text.substr(rule.prefix.size()))};
        if (arg.kind == HandOffSwitch::Pls && arg.operand.size() > kPlsPathLimit)
            arg.operand.resize(kPlsPathLimit);
        return arg;
    }
    return {};
}

std::string ReadHandOffArgument(int number) {
    return stored::ReadHandOffArgument(number);
}

}  // namespace tavora
