#pragma once
// The controller's command identifiers. Every button, menu item, key and tray entry
// ends up as one of these, sent to the controller through the command sink
// (CommandSink.h). The numbers 32771..32874 are the ones other programs send through
// the hand-off socket (CommandNumbers.h turns a number into its command); the commands
// from 33000 on carry their data with them and are only sent by the player's own code.
//
// The main window's own menu and accelerator numbers are another space
// (MainMenuId in windows/main): a scoped enum, so that one cannot be sent for the other.

#include <string_view>

namespace tavora::cmd {

enum Command : int {
    OpenFolder = 32771,
    Play = 32773,
    Back = 32775,
    Next = 32776,
    Stop = 32777,
    Open = 32778,
    Repeat = 32779,
    Shuttle = 32780,
    Exit = 32781,
    Minimize = 32782,
    ShowList = 32783,
    ShowEqualizer = 32784,
    OutFileCreate = 32786,
    ListDbClickPlay = 32788,
    TenSecNext = 32789,
    TenSecBack = 32790,
    VolumeUp = 32791,
    VolumeDown = 32792,
    ListDelFile = 32795,
    ListDelAll = 32796,
    ListSave = 32797,
    ListLoad = 32798,
    OpenFolderDrag = 32799,
    OpenFileDrag = 32800,
    ListClose = 32801,
    PlayListSelect = 32802,
    ListSelectAll = 32803,
    InvalidateMain = 32811,
    SetForeGround = 32814,
    SetForeGroundMain = 32816,
    SetForeGroundList = 32817,
    SetForeGroundEqualizer = 32818,
    OpenTotal = 32819,
    OpenFolderPlay = 32821,
    OutFileLoadPlayTemp = 32823,
    ListAddUrl = 32837,
    OpenUrl = 32838,
    CreateUrl = 32839,
    Setting = 32842,
    AlwaysTop = 32843,
    HideTavoraWindow = 32844,
    HideTray = 32845,
    HideNone = 32846,
    VolumeSetting = 32847,
    CreateReverse = 32848,
    InfoProgram = 32856,
    SortTag = 32858,
    ShowFileInfoMp3 = 32860,
    SortTagLine = 32861,
    SortTagList = 32862,
    MarkAddStart = 32863,  // the rows added from here on are titled and measured as new
    InsertItem = 32865,
    HomePage = 32867,
    UpdateSkin = 32869,
    ShowTagEntry = 32870,  // the tag window shows the entry at its cursor (opened there when closed)
    InvalidateList = 32871,
    UpdateTag = 32873,
    AutoUpdateSkin = 32874,

    // Commands with data (CommandData.value / .path).
    SetVolume = 33000,         // value: volume-slider units; un-mutes
    SetMute = 33001,           // value: 1 muted, 0 not
    SeekDrag = 33002,          // value: 1 the position slider is held, 0 let go
    SeekTo = 33003,            // value: seconds from the start
    SetRepeatMode = 33004,     // value: 0 none, 1 one, 2 all
    SetShuffle = 33005,        // value: 1 on (a new order is drawn), 0 off
    SetVolumeRange = 33006,    // value: the volume slider's length (a skin was loaded)
    SetPositionRange = 33007,  // value: the position slider's length
    HandOffAdd = 33010,        // path: "-add", and "-s" when not played
    HandOffAddAndPlay = 33011, // path: "-s" as the first argument (plays row 0); value 1: plays the row added
    HandOffLoadM3u = 33012,    // path: "-list"
    HandOffLoadPls = 33013,    // path: "-pls"
    ShowDspEffect = 33020,     // the DSP effect window (from the options' sound page)
    StartArchiveLoad = 33014,  // path: a ZIP, RAR or ALZ archive; value 1: play the first row it adds
    PlayRow = 33030,           // value: the row to make current and play (a file at once, an address once open)
    SetReverseFlag = 33031,    // value: 1 reverse play marked on, 0 off (the stream is left as it is)
    SetAlwaysTop = 33032,      // value: 1 the windows stay on top (remembered for the next start), 0 not
    HandOffArgument = 33015,   // value: the number of an argument another launch handed over
};

// The name of a command as the hidden command menu lists it ("" for unknown ids).
std::string_view CommandName(int id);

}  // namespace tavora::cmd
