#include "MenuResources.h"

#include <QAction>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeySequence>
#include <QMenu>

namespace tavora {

namespace {

std::vector<MenuItem> ReadItems(const QJsonArray& array, int depth) {
    std::vector<MenuItem> items;
    if (depth > kMaxMenuDepth) return items;
    for (const QJsonValue& value : array) {
        if (!value.isObject()) continue;
        const QJsonObject object = value.toObject();
        MenuItem item;
        if (object.value(QStringLiteral("separator")).toBool()) {
            item.separator = true;
            items.push_back(std::move(item));
            continue;
        }
        item.text = object.value(QStringLiteral("text")).toString();
        const QJsonValue children = object.value(QStringLiteral("items"));
        if (children.isArray()) {
            item.items = ReadItems(children.toArray(), depth + 1);
            if (item.items.empty()) continue;  // an empty popup has nothing to offer
        } else {
            item.id = object.value(QStringLiteral("id")).toInt(0);
            if (item.id <= 0 || item.id > 0xFFFF) continue;
        }
        items.push_back(std::move(item));
    }
    return items;
}

QByteArray ReadResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

}  // namespace

std::vector<MenuItem> ParseMenuResource(const QByteArray& json) {
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject()) return {};
    const QJsonValue popups = document.object().value(QStringLiteral("popups"));
    if (!popups.isArray()) return {};
    std::vector<MenuItem> result;
    for (MenuItem& item : ReadItems(popups.toArray(), 0))
        if (item.IsPopup()) result.push_back(std::move(item));
    return result;
}

int AcceleratorKey(QKeyCombination combination) {
    // Keypad keys act as their ordinary twins.
    return static_cast<int>((combination.keyboardModifiers() & ~Qt::KeypadModifier).toInt()) | static_cast<int>(combination.key());
}

std::map<int, int> ParseAcceleratorTable(const QByteArray& json) {
    std::map<int, int> table;
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject()) return table;
    for (const QJsonValue& value : document.object().value(QStringLiteral("entries")).toArray()) {
        const QJsonObject entry = value.toObject();
        const QKeySequence sequence(entry.value(QStringLiteral("key")).toString(), QKeySequence::PortableText);
        const int id = entry.value(QStringLiteral("id")).toInt(0);
        if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown || id <= 0 || id > 0xFFFF) continue;
        table.emplace(AcceleratorKey(sequence[0]), id);
    }
    return table;
}

std::vector<MenuItem> LoadMenuResource(int number) {
    return ParseMenuResource(ReadResource(QStringLiteral(":/res/menus/menu%1.json").arg(number)));
}

std::map<int, int> LoadAcceleratorTable(int number) {
    return ParseAcceleratorTable(ReadResource(QStringLiteral(":/res/menus/accel%1.json").arg(number)));
}

void FillMenu(QMenu& menu, const MenuItem& popup, const std::function<bool(int id)>& checked) {
    for (const MenuItem& item : popup.items) {
        if (item.separator) {
            menu.addSeparator();
        } else if (item.IsPopup()) {
            FillMenu(*menu.addMenu(item.text), item, checked);
        } else {
            QAction* action = menu.addAction(item.text);
            action->setData(item.id);
            if (checked && checked(item.id)) {
                action->setCheckable(true);
                action->setChecked(true);
            }
        }
    }
}

}  // namespace tavora
