#include "Commands.h"

#include <array>
#include <utility>

namespace tavora::cmd {
namespace {

constexpr std::array<std::pair<int, std::string_view>, 76> kNames{{
    {OpenFolder, "Open Folder"},
    {Play, "Play"},
    {Back, "Back"},
    {Next, "Next"},
    {Stop, "Stop"},
    {Open, "Open"},
    {Repeat, "Repeat"},
    {Shuttle, "Shuttle"},
    {Exit, "Exit"},
    {Minimize, "Minimize"},
    {ShowList, "Show List"},
    {ShowEqualizer, "Show Equalizer"},
    {OutFileCreate, "OutFile Create"},
    {ListDbClickPlay, "List DbClick Play"},
    {TenSecNext, "10Sec Next"},
    {TenSecBack, "10Sec Back"},
    {VolumeUp, "Volume Up"},
    {VolumeDown, "Volume Down"},
    {ListDelFile, "List Del File"},
    {ListDelAll, "List Del All"},
    {ListSave, "List Save"},
    {ListLoad, "List Load"},
    {OpenFolderDrag, "Open Folder Drag"},
    {OpenFileDrag, "Open File Drag"},
    {ListClose, "List Close"},
    {PlayListSelect, "Play List Select"},
    {ListSelectAll, "List Select All"},
    {InvalidateMain, "Invalidate Main"},
    {SetForeGround, "SetForeGround"},
    {SetForeGroundMain, "SetForeGround Main"},
    {SetForeGroundList, "SetForeGround List"},
    {SetForeGroundEqualizer, "SetForeGround Equalizer"},
    {OpenTotal, "Open Total"},
    {OpenFolderPlay, "Open Folder Play"},
    {OutFileLoadPlayTemp, "OutFile Load Play(temp)"},
    {ListAddUrl, "List Add Url"},
    {OpenUrl, "Open Url"},
    {CreateUrl, "Create Url"},
    {Setting, "Setting"},
    {AlwaysTop, "Always Top"},
    {HideTavoraWindow, "HIde TavoraWindow"},
    {HideTray, "HIde Tray"},
    {HideNone, "Hide None"},
    {VolumeSetting, "VolumeSetting"},
    {CreateReverse, "Create Reverse"},
    {InfoProgram, "Info Program"},
    {SortTag, "Sort Tag"},
    {ShowFileInfoMp3, "Show File Info (mp3)"},
    {SortTagLine, "Sort Tag Line"},
    {SortTagList, "Sort Tag List"},
    {MarkAddStart, "List GetCount"},
    {InsertItem, "InsertItem"},
    {HomePage, "타보라 홈페이지"},
    {UpdateSkin, "Update Skin"},
    {ShowTagEntry, "Get List Item"},
    {InvalidateList, "Invalidate List"},
    {UpdateTag, "Update Tag"},
    {AutoUpdateSkin, "Auto Update Skin"},
    {SetVolume, "Set Volume"},
    {SetMute, "Set Mute"},
    {SeekDrag, "Seek Drag"},
    {SeekTo, "Seek To"},
    {SetRepeatMode, "Set Repeat Mode"},
    {SetShuffle, "Set Shuffle"},
    {SetVolumeRange, "Set Volume Range"},
    {SetPositionRange, "Set Position Range"},
    {HandOffAdd, "Hand Off Add"},
    {HandOffAddAndPlay, "Hand Off Add And Play"},
    {HandOffLoadM3u, "Hand Off Load M3u"},
    {HandOffLoadPls, "Hand Off Load Pls"},
    {ShowDspEffect, "Show Dsp Effect"},
    {StartArchiveLoad, "Start Archive Load"},
    {PlayRow, "Play Row"},
    {SetReverseFlag, "Set Reverse Flag"},
    {SetAlwaysTop, "Set Always Top"},
    {HandOffArgument, "Hand Off Argument"},
}};

}  // namespace

std::string_view CommandName(int id) {
    for (const auto& [commandId, name] : kNames)
        if (commandId == id) return name;
    return {};
}

}  // namespace tavora::cmd
