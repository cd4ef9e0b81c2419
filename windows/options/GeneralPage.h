#pragma once
// The general page: z-order, start-up behaviour, tray and taskbar, what a file opened
// from the file manager does, the open button's action and the mini player. Edits the
// dialog's working copy.

#include <QWidget>

#include "PlayerSettings.h"

class QButtonGroup;
class QCheckBox;

namespace tavora {

class GeneralPage : public QWidget {
    Q_OBJECT
public:
    GeneralPage(PlayerSettings& copy, QWidget* parent = nullptr);
    // Sets every control from the working copy.
    void Load();

    QButtonGroup* openButtonGroup() const { return openAction_; }

private:
    PlayerSettings& copy_;
    QCheckBox* alwaysTop_;
    QCheckBox* beginPlay_;
    QCheckBox* autoConnect_;
    QCheckBox* miniPlayer_;
    QCheckBox* remote_;
    QButtonGroup* showMode_;
    QButtonGroup* startOpen_;
    QButtonGroup* openAction_;
};

}  // namespace tavora
