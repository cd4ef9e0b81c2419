#include "SharedKeys.h"

#include <QKeyEvent>

#include "CommandSink.h"

namespace tavora {

bool RunSharedKey(const QKeyEvent& event, CommandSink* sink) {
    if (event.key() != Qt::Key_Space || event.modifiers() != Qt::NoModifier) return false;
    if (!event.isAutoRepeat() && sink) sink->Send(cmd::Play);
    return true;
}

}  // namespace tavora
