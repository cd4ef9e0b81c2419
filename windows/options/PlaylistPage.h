#pragma once
// The playlist page: the six title formats and which ID3 tag version is preferred.
// Choosing a format sets its flag in the working copy, clears the other five and sets
// "Type"; the marks are then shown from the flags.

#include <QWidget>

#include "PlayerSettings.h"

class QButtonGroup;

namespace tavora {

class PlaylistPage : public QWidget {
    Q_OBJECT
public:
    PlaylistPage(PlayerSettings& copy, QWidget* parent = nullptr);
    void Load();

    QButtonGroup* formatGroup() const { return formats_; }

private:
    PlayerSettings& copy_;
    QButtonGroup* formats_;  // ids 1..6
    QButtonGroup* version_;  // ids 0 (ID3v1 first), 1 (ID3v2 first)
};

}  // namespace tavora
