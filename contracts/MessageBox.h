#pragma once
// The player's message boxes. Tests (and headless runs) can divert them: a handler set
// with SetMessageBoxHandler receives them instead of the user.
//
// Threading: UI thread only.

#include <QString>

#include <functional>

class QWidget;

namespace tavora {

enum class MessageIcon { Information, Warning, Error };

void ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon);

// The same box without waiting for it, for news from work in the background: shown and
// left to the user, it deletes itself when closed. Returns the box, or nullptr when a
// handler took the message.
QWidget* OpenMessageBox(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon);

using MessageBoxHandler = std::function<void(const QString& text, const QString& caption, MessageIcon icon)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace tavora
