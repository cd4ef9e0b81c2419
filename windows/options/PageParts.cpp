#include "PageParts.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QLabel>

namespace tavora {

QLabel* AddPageTitle(QBoxLayout* layout, const QString& text) {
    auto* title = new QLabel(text);
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, QColor(0x00, 0x46, 0xD5));
    title->setPalette(palette);
    layout->addWidget(title);
    return title;
}

void CheckGroupButton(QButtonGroup* group, int id) {
    if (QAbstractButton* button = group->button(id)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked: let go of it for a moment.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(true);
}

}  // namespace tavora
