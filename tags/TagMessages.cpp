#include "TagMessages.h"

#include <cstdio>
#include <mutex>

namespace tavora {
namespace {

std::mutex& SinkMutex() {
    static std::mutex mutex;
    return mutex;
}

TagMessageSink& Sink() {
    static TagMessageSink sink;
    return sink;
}

}  // namespace

void SetTagMessageSink(TagMessageSink sink) {
    std::lock_guard lock(SinkMutex());
    Sink() = std::move(sink);
}

void ReportTagMessage(const std::string& message) {
    TagMessageSink sink;
    {
        std::lock_guard lock(SinkMutex());
        sink = Sink();
    }
    if (sink) sink(message);
    else std::fprintf(stderr, "%s\n", message.c_str());
}

}  // namespace tavora
