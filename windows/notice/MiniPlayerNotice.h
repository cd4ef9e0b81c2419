#pragma once
// The notice shown at minimise that tells what the mini player (the band program) is
// and how to start it, until the user ticks "이 메시지를 다시 표시하지 않음" and
// presses OK. The tick is kept as "MiniPlayerInfo" under Setting\View; closing the
// notice any other way keeps nothing.
//
// Threading: UI thread only.

#include <QDialog>

class QCheckBox;

namespace tavora {

class Settings;

// Whether the notice is to be shown ("MiniPlayerInfo" missing or 0).
bool MiniPlayerNoticeWanted(Settings& settings);

class MiniPlayerNotice : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplate = 216;
    static constexpr int kDontShowAgain = 1171;

    explicit MiniPlayerNotice(Settings& settings, QWidget* parent = nullptr);

    QCheckBox& dontShowAgain() { return *dontShowAgain_; }

    void accept() override;

private:
    Settings& settings_;
    QCheckBox* dontShowAgain_ = nullptr;
};

// Shows the notice modally when it is wanted.
void RunMiniPlayerNoticeIfWanted(Settings& settings, QWidget* parent);

}  // namespace tavora
