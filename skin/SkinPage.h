#pragma once
// The skin page of the options dialog: the installed skins by display name, and a
// preview picture of the highlighted one. The options dialog embeds the page, and on
// OK calls Apply, which makes the highlighted skin current and asks the controller
// to reload the skin (32869) when it differs from the current one; the dialog itself
// stores "SelectSkinName" with the rest of its settings.
//
// GUI thread only.

#include <QImage>
#include <QWidget>

#include "SkinElement.h"
#include "SkinReader.h"
#include "SkinSelection.h"

class QGroupBox;
class QLabel;
class QListWidget;

namespace tavora {

class SkinPage : public QWidget {
    Q_OBJECT

public:
    // Lists the skins below "<install folder>/skin" and highlights the current one.
    explicit SkinPage(QWidget* parent = nullptr);

    // The page's own copy of the installed-skin list.
    const SkinList& skins() const { return list_; }
    int selectedIndex() const { return selected_; }
    // The entry of the skin in use when the page was opened (-1 when not listed).
    int currentIndex() const { return current_; }
    const SkinElement& preview() const { return screenshot_; }

    // Makes the highlighted skin current; see ApplySkinChoice.
    bool Apply(const SkinCommandSink& send);

    // Highlights entry `index` as a click in the list would.
    void Select(int index);

signals:
    void selectionChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void LoadPreview();

    SkinList list_;
    int selected_ = 0;
    int current_ = -1;
    SkinReader reader_;
    SkinElement screenshot_;
    SkinElement screenshotOver_;
    QLabel* title_ = nullptr;
    QGroupBox* group_ = nullptr;
    QListWidget* listBox_ = nullptr;
};

}  // namespace tavora
