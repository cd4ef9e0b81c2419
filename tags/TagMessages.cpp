#include "TagMessages.h"

#include <QLoggingCategory>
#include <QString>

#include <mutex>

namespace tavora {
namespace {

Q_LOGGING_CATEGORY(lcTags, "tavora.tags", QtInfoMsg)

std::mutex& SinkMutex() {
    static std::mutex mutex;
    return mutex;
}

TagMessageSink& Sink() {
    static TagMessageSink sink;
    return sink;
}

void Log(const std::string& what, const std::string& path) {
    qCWarning(lcTags).noquote() << QString::fromStdString(path) + QStringLiteral(": ") + QString::fromStdString(what);
}

}  // namespace

void SetTagMessageSink(TagMessageSink sink) {
    std::lock_guard lock(SinkMutex());
    Sink() = std::move(sink);
}

void ReportTagMessage(const std::string& message, const std::string& path) {
    Log(message, path);
    TagMessageSink sink;
    {
        std::lock_guard lock(SinkMutex());
        sink = Sink();
    }
    if (sink) sink(message, path);
}

void LogTagFailure(const std::string& what, const std::string& path) { Log(what, path); }

}  // namespace tavora
