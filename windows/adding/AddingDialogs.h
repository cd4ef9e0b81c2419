#pragma once
// The dialogs by which songs, folders, addresses and playlist files are chosen. The
// add commands ask through this interface, so that tests (and other front ends) can
// answer with fixed choices while the player shows Qt's dialogs.
//
// Threading: UI thread only. Each call is modal: it returns once the user has chosen
// or cancelled, running the event loop meanwhile.

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace tavora {

class AddingDialogs {
public:
    virtual ~AddingDialogs() = default;

    // Songs to add or open (several may be chosen), in the order the dialog gives them;
    // empty when cancelled.
    virtual std::vector<std::string> ChooseSongFiles(QWidget* parent) = 0;
    // A folder whose songs are added ("폴더를 선택해 주세요."); nullopt when cancelled.
    virtual std::optional<std::string> ChooseFolder(QWidget* parent) = 0;
    // An M3U file to load; nullopt when cancelled.
    virtual std::optional<std::string> ChooseListToLoad(QWidget* parent) = 0;
    // Where to save the playlist as M3U (the M3U extension added when none was typed; an
    // existing file was confirmed by the user); nullopt when cancelled.
    virtual std::optional<std::string> ChooseListToSave(QWidget* parent) = 0;
    // The address dialog "주소 열기": the address as typed, with "http://" put in
    // front when it names no http or mms scheme; nullopt when cancelled.
    virtual std::optional<std::string> AskAddress(QWidget* parent) = 0;
};

// Qt's file and folder dialogs and the player's address dialog.
std::shared_ptr<AddingDialogs> MakeQtAddingDialogs();

}  // namespace tavora
