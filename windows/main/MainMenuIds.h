#pragma once
// The main window's own command numbers: the items of its right-click menu (menu 139)
// and its accelerator table (152). They are another space than the controller's
// commands (32776 is "Next" there and the playlist item here), so they have a type of
// their own; the window turns them into controller commands (ControllerCommandFor).

#include <optional>

#include "Commands.h"

namespace tavora {

enum class MainMenuId : int {
    Open = 32771,
    OpenFolder = 32772,
    DeleteFile = 32773,
    DeleteAll = 32774,
    Playlist = 32776,
    Equalizer = 32777,
    Exit = 32778,
    OpenFile = 32779,
    AddUrl = 32780,
    PlaySelected = 32781,
    OutFileCreate = 32787,
    Back = 32804,
    Next = 32805,
    Play = 32806,
    Stop = 32807,
    SeekBack = 32808,
    SeekNext = 32809,
    VolumeUp = 32810,
    VolumeDown = 32811,
    ListSave = 32815,
    ListLoad = 32816,
    Folder = 32820,
    OpenUrl = 32840,
    Setting = 32841,
    AlwaysTop = 32849,
    Shuffle = 32851,
    RepeatNone = 32852,
    RepeatOne = 32853,
    RepeatAll = 32854,
    HomePage = 32866,
    Info = 32857,
};

// The controller command a menu item only passes on; nullopt for the items the
// window handles itself (modes, seek and volume with their status texts).
inline std::optional<cmd::Command> ControllerCommandFor(MainMenuId id) {
    switch (id) {
    case MainMenuId::OpenFile: return cmd::OpenTotal;
    case MainMenuId::OpenFolder: return cmd::OpenFolderPlay;
    case MainMenuId::OpenUrl: return cmd::OpenUrl;
    case MainMenuId::Back: return cmd::Back;
    case MainMenuId::Play: return cmd::Play;
    case MainMenuId::Stop: return cmd::Stop;
    case MainMenuId::Next: return cmd::Next;
    case MainMenuId::Setting: return cmd::Setting;
    case MainMenuId::Playlist: return cmd::ShowList;
    case MainMenuId::Equalizer: return cmd::ShowEqualizer;
    case MainMenuId::HomePage: return cmd::HomePage;
    case MainMenuId::Info: return cmd::InfoProgram;
    case MainMenuId::Exit: return cmd::Exit;
    case MainMenuId::OutFileCreate: return cmd::OutFileCreate;
    case MainMenuId::Open: return cmd::Open;
    case MainMenuId::Folder: return cmd::OpenFolder;
    case MainMenuId::PlaySelected: return cmd::PlayListSelect;
    case MainMenuId::DeleteFile: return cmd::ListDelFile;
    case MainMenuId::DeleteAll: return cmd::ListDelAll;
    case MainMenuId::AddUrl: return cmd::ListAddUrl;
    case MainMenuId::ListSave: return cmd::ListSave;
    case MainMenuId::ListLoad: return cmd::ListLoad;
    default: return std::nullopt;
    }
}

}  // namespace tavora
