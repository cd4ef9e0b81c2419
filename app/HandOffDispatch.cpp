#include "HandOffDispatch.h"

#include <QLoggingCategory>

#include <cstdio>

#include "CommandRouter.h"
#include "CommandNumbers.h"
#include "Commands.h"
#include "HandOffArgument.h"
#include "HandOffChannel.h"
#include "Messages.h"
#include "SavedPlaylist.h"
#include "Settings.h"
#include "StoredValues.h"

Q_LOGGING_CATEGORY(lcHandOff, "tavora.handoff", QtInfoMsg)

namespace tavora {

HandOffDispatch::HandOffDispatch(Parts parts) : parts_(std::move(parts)) {
}

HandOffServer* HandOffDispatch::Listen(QObject* parent) {
    CommandRouter& commands = parts_.commands;
    const PlaybackState& state = parts_.state;
    auto* server = new HandOffServer(
        [&commands, &state](unsigned message, uintptr_t wParam, intptr_t) -> intptr_t {
            // The playlist window forwards an arrived argument to the controller.
            if (message == msg::OutFileArrived)
                commands.Send(cmd::HandOffArgument, CommandData::Value(static_cast<int>(wParam)));
            // Commands are taken from local programs of the same user, as a window
            // takes them from any program on its desktop (remote controls, scripts).
            if (message == msg::Command)
                if (const auto c = cmd::FromNumber(static_cast<int>(wParam), state)) commands.Send(c->command, c->data);
            return 0;
        },
        parent);
    ReserveCommandLineNumber();
    server->listen();
    return server;
}

void HandOffDispatch::Load(int number) {
    if (parts_.savedList.restoring()) {
        // Run once the restore has ended (EndRestore): a list loaded beside it would mix
        // its rows with the restored ones.
        qCInfo(lcHandOff) << "argument" << number << "waits for the saved playlist to be restored";
        waiting_.push_back(number);
        return;
    }
    const int startOpen = parts_.settings.Reload(&PlayerSettings::startOpen);
    const std::string text = ReadHandOffArgument(number);
    const HandOffArgument arg = ParseHandOffArgument(text);
    qCInfo(lcHandOff).noquote() << "argument" << number << QString::fromUtf8(text.c_str());
    CommandRouter& commands = parts_.commands;
    switch (arg.kind) {
    case HandOffSwitch::Add:
        commands.Run(cmd::HandOffAdd, CommandData::Path(arg.operand));
        break;
    case HandOffSwitch::Start:
        commands.Run(number == 1 && startOpen ? cmd::HandOffAddAndPlay : cmd::HandOffAdd,
                     CommandData::Path(arg.operand));
        break;
    case HandOffSwitch::List:
        commands.Run(cmd::HandOffLoadM3u, CommandData::Path(arg.operand));
        break;
    case HandOffSwitch::Pls:
        commands.Run(cmd::HandOffLoadPls, CommandData::Path(arg.operand));
        break;
    case HandOffSwitch::None:
        break;  // a bare path or anything else is ignored
    }
    if (parts_.handled) parts_.handled(number, text);
}

void HandOffDispatch::ReserveCommandLineNumber() {
    if (parts_.commandLine.empty() || commandLineNumberTaken_) return;
    commandLineNumberTaken_ = true;
    commandLineNumber_ = stored::StoreHandOffArgument(parts_.commandLine);
}

void HandOffDispatch::RunCommandLine(bool beginPlay) {
    SavedPlaylist& saved = parts_.savedList;
    const auto restore = [this, &saved, beginPlay](std::function<void()> then) {
        saved.Restore(beginPlay, [this, then = std::move(then)] { EndRestore(then); });
    };
    const std::string& commandLine = parts_.commandLine;
    if (commandLine.empty()) {
        restore({});
        return;
    }
    ReserveCommandLineNumber();
    const std::optional<int> number = commandLineNumber_;
    if (!number) {
        std::fprintf(stderr, "tavoraplayer: the settings store could not be written; \"%s\" was not taken.\n",
                     commandLine.c_str());
        restore({});
        return;
    }
    // "-add" appends to the playlist of the last session, so that is restored first
    // (otherwise saving at exit would replace it by the one added row); "-s" starts
    // without it.
    if (ParseHandOffArgument(commandLine).kind == HandOffSwitch::Add) {
        restore([this, n = *number] { Load(n); });
        return;
    }
    // The list this command line builds replaces the stored one, once it has a row
    // (see the Save step): a list that never arrives does not wipe the stored one.
    saved.ReplaceStoredList();
    Load(*number);
}

void HandOffDispatch::EndRestore(const std::function<void()>& then) {
    if (then) then();
    // The arguments that arrived meanwhile, in their order.
    std::vector<int> waiting;
    waiting.swap(waiting_);
    for (const int number : waiting) Load(number);
}

}  // namespace tavora
