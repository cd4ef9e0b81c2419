// Hand-off input from other processes: the socket's request lines and the
// handed-over command lines.
#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "HandOffArgument.h"
#include "HandOffChannel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* text = reinterpret_cast<const char*>(data);
    const auto request = tavora::ParseHandOffRequest(QByteArray(text, static_cast<qsizetype>(size)));
    if (request && size < 5) __builtin_trap();  // three numbers and two spaces at least
    const tavora::HandOffArgument arg = tavora::ParseHandOffArgument(std::string_view(text, size));
    if (arg.kind == tavora::HandOffSwitch::None && !arg.operand.empty()) __builtin_trap();
    if (arg.kind == tavora::HandOffSwitch::Pls && arg.operand.size() > tavora::kPlsPathLimit) __builtin_trap();
    if (arg.operand.size() > size) __builtin_trap();
    if (tavora::ParseHandOffReply(std::string_view(text, size)) && size == 0) __builtin_trap();
    return 0;
}
