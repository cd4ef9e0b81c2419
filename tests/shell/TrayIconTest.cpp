// The tray: the tip's cut, the menu's items and its check marks, and what choosing an
// item sends.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include <functional>
#include <set>

#include "CommandNumbers.h"
#include "CommandSink.h"
#include "PlaybackView.h"
#include "QtTestSupport.h"
#include "RecordingSink.h"
#include "StateView.h"
#include "TrayIcon.h"

using namespace tavora;

namespace {

using test::RecordingSink;
using test::StateView;

void ForEachAction(QMenu& menu, const std::function<void(QAction&)>& visit) {
    for (QAction* a : menu.actions()) {
        if (a->menu()) ForEachAction(*a->menu(), visit);
        else if (!a->isSeparator()) visit(*a);
    }
}

std::set<int> CheckedIn(QMenu& menu) {
    std::set<int> ids;
    ForEachAction(menu, [&](QAction& a) {
        if (a.isChecked()) ids.insert(a.data().toInt());
    });
    return ids;
}

}  // namespace

TEST(TrayTipTest, CutToSixtyThreeWholeCharacters) {
    EXPECT_EQ(TrayTip("타보라 플레이어"), "타보라 플레이어");
    const std::string exact(63, 'a');
    EXPECT_EQ(TrayTip(exact), exact);
    std::string korean;
    for (int i = 0; i < 100; ++i) korean += "가";
    const std::string tip = TrayTip(korean);
    EXPECT_EQ(QString::fromStdString(tip).size(), 63);
    EXPECT_EQ(tip, korean.substr(0, 63 * 3));  // never half a character
    // A character outside the basic plane counts once and is never split.
    std::string wide = std::string(62, 'a') + "\xF0\x9F\x8E\xB5" + "bcd";
    EXPECT_EQ(TrayTip(wide), std::string(62, 'a') + "\xF0\x9F\x8E\xB5");
    EXPECT_EQ(TrayTip(""), "");
}

TEST(TrayCheckMarksTest, ExactlyOneRepeatItemWhateverTheFlags) {
    for (int off = 0; off < 2; ++off)
        for (int one = 0; one < 2; ++one)
            for (int all = 0; all < 2; ++all) {
                PlaybackState s;
                s.repeatOff = off, s.repeatOne = one, s.repeatAll = all;
                const std::set<int> checked = TrayCheckedCommands(s);
                const int repeats = static_cast<int>(checked.count(cmd::number::RepeatNone) +
                                                     checked.count(cmd::number::RepeatOneMode) +
                                                     checked.count(cmd::number::RepeatAllMode));
                EXPECT_EQ(repeats, 1) << off << one << all;
            }
    PlaybackState one;
    one.repeatOff = 0, one.repeatOne = 1;
    EXPECT_TRUE(TrayCheckedCommands(one).count(cmd::number::RepeatOneMode));
}

TEST(TrayCheckMarksTest, WindowsAlwaysOnTopAndShuffle) {
    PlaybackState s;
    s.listShown = 0;
    EXPECT_EQ(TrayCheckedCommands(s), (std::set<int>{cmd::number::RepeatNone}));
    s.listShown = s.equalizerShown = s.alwaysTop = s.shuffle = 1;
    EXPECT_EQ(TrayCheckedCommands(s), (std::set<int>{cmd::ShowList, cmd::ShowEqualizer, cmd::number::ToggleAlwaysTop,
                                                     cmd::number::ToggleShuffle, cmd::number::RepeatNone}));
}

TEST(TrayIconTest, MenuHoldsEveryItemAndFollowsTheStateWhenItOpens) {
    test::App();
    RecordingSink sink;
    StateView view;
    TrayIcon tray(sink, view);
    std::multiset<int> ids;
    ForEachAction(tray.menu(), [&](QAction& a) { ids.insert(a.data().toInt()); });
    const std::multiset<int> expected = {32819, 32821, 32838, 32778, 32771, 32837, 32775, 32773, 32777,
                                         32776, 32790, 32789, 32791, 32792, 32852, 32853, 32854, 32851,
                                         32849, 32842, 32784, 32783, 32798, 32797, 32856, 32781};
    EXPECT_EQ(ids, expected);

    view.state.repeatOff = 0;
    view.state.repeatAll = 1;
    view.state.shuffle = 1;
    emit tray.menu().aboutToShow();
    EXPECT_EQ(CheckedIn(tray.menu()), (std::set<int>{cmd::ShowList, cmd::number::RepeatAllMode, cmd::number::ToggleShuffle}));
    // The marks of the last opening do not linger.
    view.state.repeatAll = 0;
    view.state.repeatOne = 1;
    view.state.shuffle = 0;
    view.state.listShown = 0;
    emit tray.menu().aboutToShow();
    EXPECT_EQ(CheckedIn(tray.menu()), (std::set<int>{cmd::number::RepeatOneMode}));
}

TEST(TrayIconTest, ChoosingAnItemSendsItsCommand) {
    test::App();
    RecordingSink sink;
    StateView view;
    TrayIcon tray(sink, view);
    ForEachAction(tray.menu(), [](QAction& a) {
        if (a.data().toInt() == cmd::Next || a.data().toInt() == cmd::Exit) a.trigger();
    });
    EXPECT_EQ(sink.Commands(), (std::vector<int>{cmd::Next, cmd::Exit}));
}

// The mode items send the mode they name; the toggles the other value than the state's.
TEST(TrayIconTest, ModeItemsSendTheModeTheyNameWithTheStateOfTheMoment) {
    test::App();
    struct Case {
        int item;
        int shuffle, alwaysTop;
        cmd::Command command;
        int value;
    };
    const Case cases[] = {
        {cmd::number::RepeatNone, 0, 0, cmd::SetRepeatMode, 0},    {cmd::number::RepeatOneMode, 0, 0, cmd::SetRepeatMode, 1},
        {cmd::number::RepeatAllMode, 0, 0, cmd::SetRepeatMode, 2}, {cmd::number::ToggleShuffle, 0, 0, cmd::SetShuffle, 1},
        {cmd::number::ToggleShuffle, 1, 0, cmd::SetShuffle, 0},    {cmd::number::ToggleAlwaysTop, 0, 0, cmd::SetAlwaysTop, 1},
        {cmd::number::ToggleAlwaysTop, 0, 1, cmd::SetAlwaysTop, 0},
    };
    for (const Case& c : cases) {
        RecordingSink sink;
        StateView view;
        view.state.shuffle = c.shuffle;
        view.state.alwaysTop = c.alwaysTop;
        TrayIcon tray(sink, view);
        ForEachAction(tray.menu(), [&](QAction& a) {
            if (a.data().toInt() == c.item) a.trigger();
        });
        EXPECT_EQ(sink.Commands(), std::vector<int>{c.command}) << c.item;
        EXPECT_EQ(sink.Values(c.command), std::vector<int>{c.value}) << c.item;
    }
}

TEST(TrayIconTest, TipIsTakenWhenTheIconIsAdded) {
    test::App();
    RecordingSink sink;
    StateView view;
    TrayIcon tray(sink, view);
    EXPECT_FALSE(tray.isAdded());
    tray.Add(std::string(80, 'x'));
    EXPECT_TRUE(tray.isAdded());
    EXPECT_EQ(tray.tip(), QString(63, QLatin1Char('x')));
    tray.Remove();
    EXPECT_FALSE(tray.isAdded());
}
