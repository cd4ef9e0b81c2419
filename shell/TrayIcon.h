#pragma once
// The player's icon in the desktop's notification area (StatusNotifierItem or
// XEmbed, whichever the desktop offers) with its pop-up menu 155. The items carry
// command numbers and go to the command sink as the commands they stand for
// (CommandNumbers.h, read with the state of the moment) as they are chosen; the check marks
// are set from the playback state each time the menu opens.
//
// Threading: UI thread only.

#include <QObject>

#include <memory>
#include <set>
#include <string>

class QMenu;
class QSystemTrayIcon;

namespace tavora {

class CommandSink;
class PlaybackView;
struct PlaybackState;

// The notification area's tip: the title at the moment the icon is added, cut to the
// 63 characters the tip has always held (whole characters, never half of one).
inline constexpr int kTrayTipLength = 63;
std::string TrayTip(const std::string& titleText);

// The command numbers of menu 155 that carry a check mark in `state`: the playlist and
// equaliser windows when shown, always-on-top, exactly one repeat item, shuffle.
std::set<int> TrayCheckedCommands(const PlaybackState& state);

class TrayIcon : public QObject {
    Q_OBJECT
public:
    TrayIcon(CommandSink& sink, const PlaybackView& view, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Shows the icon with the tip of `titleText` (the tip is not updated afterwards).
    void Add(const std::string& titleText);
    void Remove();
    bool isAdded() const;
    QString tip() const;

    // The menu as it is shown; its check marks follow the state when it opens.
    QMenu& menu() { return *menu_; }
    void UpdateCheckMarks();

signals:
    // A left click on the icon.
    void clicked();

private:
    CommandSink& sink_;
    const PlaybackView& view_;
    std::unique_ptr<QMenu> menu_;
    QSystemTrayIcon* icon_ = nullptr;
};

}  // namespace tavora
