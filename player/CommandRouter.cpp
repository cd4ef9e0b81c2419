#include "CommandRouter.h"

#include <QLoggingCategory>
#include <QThread>

Q_LOGGING_CATEGORY(lcCommands, "tavora.commands", QtWarningMsg)

namespace tavora {

void CommandRouter::Send(cmd::Command command, CommandData data) {
    if (QThread::currentThread() == thread()) {
        Run(command, data);
        return;
    }
    QMetaObject::invokeMethod(this, [this, command, &data] { Run(command, data); }, Qt::BlockingQueuedConnection);
}

void CommandRouter::Post(cmd::Command command, CommandData data) {
    QMetaObject::invokeMethod(
        this, [this, command, data = std::move(data)] { Run(command, data); }, Qt::QueuedConnection);
}

void CommandRouter::RegisterCommand(cmd::Command id, CommandHandler handler) { handlers_[id] = std::move(handler); }

void CommandRouter::Run(cmd::Command id, const CommandData& data) {
    if (stopped_) return;
    auto it = handlers_.find(id);
    if (it == handlers_.end() || !it->second) {
        qCDebug(lcCommands) << "command" << id << QString::fromUtf8(cmd::CommandName(id).data())
                            << "has no action in this build";
        return;
    }
    it->second(data);
}

}  // namespace tavora
