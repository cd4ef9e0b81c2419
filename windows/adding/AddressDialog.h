#pragma once
// The address dialog "주소 열기": a prompt, an example, an editable drop-down for the
// address (holding the addresses entered earlier in this session) and OK / Cancel.
//
// Threading: UI thread only.

#include <QDialog>

#include <optional>
#include <string>

class QComboBox;

namespace tavora {

class AddressDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddressDialog(QWidget* parent = nullptr);

    // The address to open: the typed text without surrounding blanks, "http://" put
    // in front unless it begins with an http or mms scheme; nullopt for an empty field.
    std::optional<std::string> Address() const;

    QComboBox* field() const { return field_; }

    void accept() override;

private:
    QComboBox* field_;
};

}  // namespace tavora
