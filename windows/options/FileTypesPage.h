#pragma once
// The file-types page: which of the seven types the player registers itself for. A
// click on a row (or Space on it) switches that type; two buttons switch all of them.

#include <QWidget>

#include "PlayerSettings.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace tavora {

class FileTypesPage : public QWidget {
    Q_OBJECT
public:
    FileTypesPage(PlayerSettings& copy, QWidget* parent = nullptr);
    void Load();

    QTreeWidget* list() const { return list_; }
    // Switches the type of row `row` as a click on it does.
    void ToggleRow(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetAll(int on);

    PlayerSettings& copy_;
    QTreeWidget* list_;
};

}  // namespace tavora
