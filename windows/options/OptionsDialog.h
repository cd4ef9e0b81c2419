#pragma once
// The options dialog "환경 설정": a page list on the left, the page on the right and
// the buttons "초기화", "확인" and "취소".
//
// The pages edit a working copy of the live settings. "초기화" resets the live settings
// at once (and the copy with them); nothing is stored until "확인", which applies the
// copy in its fixed order (OptionsApply.h), stores it and registers the associations.
// "취소" only closes: the master volume and a reset have taken effect already.
//
// UI thread only.

#include <QDialog>

#include "OptionsHost.h"
#include "PlayerSettings.h"

class QListWidget;
class QPushButton;
class QStackedWidget;

namespace tavora {

class FileTypesPage;
class GeneralPage;
class PlaylistPage;
class SkinPage;
class SoundPage;

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    enum Page { General, Playlist, Sound, Skin, FileTypes, PageCount };

    OptionsDialog(OptionsHost& host, MasterVolumeAccess volume, QWidget* parent = nullptr);

    const PlayerSettings& workingCopy() const { return copy_; }
    int currentPage() const { return currentPage_; }
    void ShowPage(int page);

    QListWidget* pageList() const { return pages_; }
    GeneralPage* generalPage() const { return general_; }
    PlaylistPage* playlistPage() const { return playlist_; }
    SoundPage* soundPage() const { return sound_; }
    SkinPage* skinPage() const { return skin_; }
    FileTypesPage* fileTypesPage() const { return fileTypes_; }
    QPushButton* resetButton() const { return reset_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    void Reset();
    void accept() override;

signals:
    void dspRequested();

private:
    OptionsHost& host_;
    PlayerSettings copy_;
    int currentPage_ = 0;
    QListWidget* pages_;
    QStackedWidget* stack_;
    GeneralPage* general_;
    PlaylistPage* playlist_;
    SoundPage* sound_;
    SkinPage* skin_;
    FileTypesPage* fileTypes_;
    QPushButton* reset_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace tavora
