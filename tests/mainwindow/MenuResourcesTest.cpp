// Menu 139 and accelerator table 152 as shipped, and the readers on bad input.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>

#include <functional>
#include <set>

#include "MenuResources.h"
#include "SkinTestSupport.h"

using namespace tavora;

namespace {
void CollectIds(const MenuItem& popup, std::set<int>& ids) {
    for (const MenuItem& item : popup.items) {
        if (item.IsPopup()) CollectIds(item, ids);
        else if (!item.separator) ids.insert(item.id);
    }
}
}  // namespace

TEST(MenuResources, MainMenuOffersEveryWindowCommand) {
    const std::vector<MenuItem> menu = LoadMenuResource(139);
    ASSERT_FALSE(menu.empty());
    std::set<int> ids;
    CollectIds(menu.front(), ids);
    for (int id : {32779, 32772, 32840, 32804, 32806, 32807, 32805, 32808, 32809, 32810, 32811, 32852, 32853, 32854,
                   32851, 32849, 32841, 32776, 32777, 32866, 32857, 32778})
        EXPECT_TRUE(ids.count(id)) << id;
}

TEST(MenuResources, AcceleratorsMapKeysToWindowCommands) {
    const std::map<int, int> table = LoadAcceleratorTable(152);
    auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) { return AcceleratorKey(QKeyCombination(m, k)); };
    EXPECT_EQ(table.at(key(Qt::Key_Left)), 32808);
    EXPECT_EQ(table.at(key(Qt::Key_Right)), 32809);
    EXPECT_EQ(table.at(key(Qt::Key_Up)), 32810);
    EXPECT_EQ(table.at(key(Qt::Key_Down)), 32811);
    EXPECT_EQ(table.at(key(Qt::Key_L, Qt::ControlModifier)), 32840);
    EXPECT_EQ(table.at(key(Qt::Key_Left, Qt::KeypadModifier)), 32808) << "keypad arrows act alike";
    EXPECT_FALSE(table.count(key(Qt::Key_Space))) << "Space plays through the window's own key rule";
    EXPECT_FALSE(table.count(key(Qt::Key_Escape)));
}

TEST(MenuResources, MalformedFilesGiveWhatIsUsable) {
    EXPECT_TRUE(ParseMenuResource("").empty());
    EXPECT_TRUE(ParseMenuResource("[1,2]").empty());
    EXPECT_TRUE(ParseMenuResource(R"({"popups": 5})").empty());
    const auto menu = ParseMenuResource(
        R"({"popups": [{"text": "A", "items": [{"id": 0, "text": "zero"}, {"id": 70000}, "x",
                       {"text": "empty", "items": []}, {"separator": true}, {"id": 32806, "text": "play"}]}]})");
    ASSERT_EQ(menu.size(), 1u);
    ASSERT_EQ(menu[0].items.size(), 2u) << "bad ids and empty popups are dropped";
    EXPECT_TRUE(menu[0].items[0].separator);
    EXPECT_EQ(menu[0].items[1].id, 32806);

    // Nesting deeper than any real menu is cut off rather than recursed into.
    std::string deep = R"({"id": 1, "text": "leaf"})";
    for (int i = 0; i < 200; ++i) deep = R"({"text": "p", "items": [)" + deep + "]}";
    EXPECT_TRUE(ParseMenuResource(QByteArray::fromStdString(R"({"popups": [)" + deep + "]}")).empty());

    const auto table = ParseAcceleratorTable(
        R"({"entries": [{"key": "", "id": 1}, {"key": "Ctrl+K, Ctrl+L", "id": 2}, {"key": "F5", "id": -3},
                        {"key": "F6", "id": 32806}, {"key": "F6", "id": 32807}]})");
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table.begin()->second, 32806) << "the first entry of a key wins";
}

TEST(MenuResources, FilledMenuCarriesIdsAndCheckMarks) {
    test::App();
    QMenu menu;
    FillMenu(menu, LoadMenuResource(139).front(), [](int id) { return id == 32853; });
    int checkedCount = 0;
    std::function<void(QMenu&)> walk = [&](QMenu& m) {
        for (QAction* action : m.actions()) {
            if (action->menu()) walk(*action->menu());
            if (action->isChecked()) {
                ++checkedCount;
                EXPECT_EQ(action->data().toInt(), 32853);
                EXPECT_EQ(action->text(), QStringLiteral("한곡 반복"));
            }
        }
    };
    walk(menu);
    EXPECT_EQ(checkedCount, 1);
}
