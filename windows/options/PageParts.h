#pragma once
// Small pieces the option pages share.

#include <QString>

class QBoxLayout;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QWidget;

namespace tavora {

// The page's title at its top, in the blue of the skin page's title.
QLabel* AddPageTitle(QBoxLayout* layout, const QString& text);
// Checks the button of `id` in an exclusive group, or none when no button has it.
void CheckGroupButton(QButtonGroup* group, int id);

}  // namespace tavora
