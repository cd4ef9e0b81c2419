#include "PlayerWindowSet.h"

#include <QWidget>

#include "PlaybackState.h"
#include "SkinBitmap.h"
#include "SkinSelection.h"

namespace tavora {

void PlayerWindowSet::AddWindow(PlayerWindow which, QWidget* window) { windows_[static_cast<size_t>(which)] = window; }

void PlayerWindowSet::NoteShown(PlayerWindow which, bool shown) {
    switch (which) {
    case PlayerWindow::Main: break;  // always shown with the player
    case PlayerWindow::Playlist: state_.listShown = shown ? 1 : 0; break;
    case PlayerWindow::Equalizer: state_.equalizerShown = shown ? 1 : 0; break;
    }
}

void PlayerWindowSet::ChooseSkin(CommandSink& sink) {
    if (!CurrentSkinFile.empty()) return;
    ChooseStartupSkin([&sink](cmd::Command command) { sink.Post(command); });
}

void PlayerWindowSet::HideWindows() {
    for (QWidget* w : windows_)
        if (w) w->hide();
}

void PlayerWindowSet::ShowWindows() {
    if (QWidget* main = Window(PlayerWindow::Main)) main->show();
    if (QWidget* list = Window(PlayerWindow::Playlist); list && state_.listShown) list->show();
    if (QWidget* eq = Window(PlayerWindow::Equalizer); eq && state_.equalizerShown) eq->show();
}

void PlayerWindowSet::UpdateWindows() {
    for (QWidget* w : windows_)
        if (w) w->update();
}

bool PlayerWindowSet::Contains(const QWidget* widget) const {
    if (!widget) return false;
    for (const QWidget* w : windows_)
        if (w == widget) return true;
    return false;
}

}  // namespace tavora
