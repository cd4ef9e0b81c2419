#include "OptionsApply.h"

#include "Associations.h"
#include "OptionSettings.h"
#include "OptionsHost.h"

namespace tavora {
namespace {

using S = PlayerSettings;
// Copied after tray and taskbar: the rest of the general page, the file types, the sound page.
constexpr int S::*kGeneralAndSoundFields[] = {
    &S::startOpen,  &S::openFile,   &S::openFolder, &S::openUrl,    &S::miniPlayer, &S::connectMp3, &S::connectOgg,
    &S::connectWma, &S::connectWav, &S::connectCda, &S::connectPls, &S::connectM3u, &S::crossFade,  &S::normalize,
};
// Copied last: the ID3 preference and the title format.
constexpr int S::*kTitleFields[] = {&S::tagVersion, &S::type1, &S::type2, &S::type3,
                                    &S::type4,      &S::type5, &S::type6, &S::type};

}  // namespace

void ApplyOptions(OptionsHost& host, const PlayerSettings& copy, const std::function<std::string()>& applySkin) {
    CommandSink& sink = host.Sink();
    // 1. The skin.
    const std::string skinName = applySkin ? applySkin() : std::string();
    PlayerSettings live = host.Live();
    // 2. Z-order.
    live.alwaysTop = copy.alwaysTop;
    host.SetLive(live);
    sink.Send(cmd::AlwaysTop);
    // 3. Start-up switches.
    live.beginPlay = copy.beginPlay;
    live.autoConnect = copy.autoConnect;
    // 4. Tray and taskbar.
    live.showTaskbar = copy.showTaskbar;
    live.showTray = copy.showTray;
    host.SetLive(live);
    if (live.showTaskbar) sink.Send(cmd::HideTavoraWindow);
    if (live.showTray) sink.Send(cmd::HideTray);
    if (!live.showTaskbar && !live.showTray) sink.Send(cmd::HideNone);
    // 5. The rest of the general and sound settings, and the file types.
    live = host.Live();
    for (int PlayerSettings::*field : kGeneralAndSoundFields) live.*field = copy.*field;
    host.SetLive(live);
    // 6. Reverse play ends; a reversed song plays on forwards from the selected row.
    const bool wasReversed = host.IsPlaying() && host.ReverseMode();
    host.SetReverseMode(false);
    if (wasReversed) sink.Send(cmd::PlayListSelect);
    // 7. Title format.
    const bool formatChanged = live.type != copy.type;
    for (int PlayerSettings::*field : kTitleFields) live.*field = copy.*field;
    host.SetLive(live);
    // 8. The store. 9. The associations.
    WriteOptionSettings(live, skinName);
    RegisterAssociations(ConnectFlagsOf(live), host.ProgramPath());
    NotifyAssociationsChanged();
    // The re-titling takes the format from the settings owner, which holds the new one
    // since step 7.
    if (formatChanged) sink.Post(cmd::SortTag);
}

}  // namespace tavora
