#pragma once
// What the tag editors share as dialogs: Escape does nothing, the close button closes
// unless a write is under way (busy: the dialog takes no input then), and plain keys
// (digits, letters) act as the dialog's keys except where a text field types them.
//
// UI thread only.

#include <QDialog>

#include <functional>

namespace tavora {

class TagEditorDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    bool busy() const { return busy_; }

public slots:
    void reject() override {}  // Escape does nothing

protected:
    void SetBusy(bool busy);
    // A key without modifiers; text fields claim such keys for themselves, so there the
    // character is typed instead.
    void AddPlainKey(const char* key, std::function<void()> action);
    // Closes unless busy (the "닫기" button and its key).
    void CloseUnlessBusy();
    void closeEvent(QCloseEvent* event) override;

private:
    bool busy_ = false;
};

}  // namespace tavora
