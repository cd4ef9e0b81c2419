// The add dialogs as Qt shows them: its file dialogs with the player's filters, and the
// address dialog. Each dialog starts in the folder the previous one ended in.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

#include "AddingDialogs.h"
#include "AddressDialog.h"
#include "DialogFilters.h"

namespace tavora {

namespace {

class QtAddingDialogs final : public AddingDialogs {
public:
    std::vector<std::string> ChooseSongFiles(QWidget* parent) override {
        std::vector<std::string> paths;
        const QStringList files = RunFileDialog(parent, QStringLiteral("열기"), [](QFileDialog& d) {
            d.setFileMode(QFileDialog::ExistingFiles);
            d.setAcceptMode(QFileDialog::AcceptOpen);
            d.setNameFilters(QtNameFilters(kSongFilter));
        });
        for (const QString& file : files) paths.push_back(QDir::cleanPath(file).toStdString());
        return paths;
    }

    std::optional<std::string> ChooseFolder(QWidget* parent) override {
        const QStringList chosen = RunFileDialog(parent, QStringLiteral("폴더를 선택해 주세요."), [](QFileDialog& d) {
            d.setFileMode(QFileDialog::Directory);
            d.setOption(QFileDialog::ShowDirsOnly, true);
        });
        if (!chosen.isEmpty()) folder_ = chosen.front();
        return First(chosen);
    }

    std::optional<std::string> ChooseListToLoad(QWidget* parent) override {
        return First(RunFileDialog(parent, QStringLiteral("열기"), [](QFileDialog& d) {
            d.setFileMode(QFileDialog::ExistingFile);
            d.setAcceptMode(QFileDialog::AcceptOpen);
            d.setNameFilters(QtNameFilters(kM3uFilter));
        }));
    }

    std::optional<std::string> ChooseListToSave(QWidget* parent) override {
        return First(RunFileDialog(parent, QStringLiteral("다른 이름으로 저장"), [](QFileDialog& d) {
            d.setFileMode(QFileDialog::AnyFile);
            d.setAcceptMode(QFileDialog::AcceptSave);
            d.setNameFilters(QtNameFilters(kM3uFilter));
            const std::string_view m3u = media::Row(media::Media::M3u).extension;
            d.setDefaultSuffix(QString::fromUtf8(m3u.data(), static_cast<qsizetype>(m3u.size())));
            d.setOption(QFileDialog::DontConfirmOverwrite, false);
        }));
    }

    std::optional<std::string> AskAddress(QWidget* parent) override {
        QPointer<AddressDialog> dialog = new AddressDialog(parent);
        const int answer = dialog->exec();
        // The parent (and the dialog with it) may have gone while the dialog ran.
        if (!dialog) return std::nullopt;
        std::optional<std::string> address = answer == QDialog::Accepted ? dialog->Address() : std::nullopt;
        delete dialog;
        return address;
    }

private:
    // Runs a file dialog set up by `setup`; the chosen files, none when cancelled. The
    // dialog lives on the heap: its parent may be destroyed while it runs.
    template <typename Setup>
    QStringList RunFileDialog(QWidget* parent, const QString& caption, Setup setup) {
        QPointer<QFileDialog> dialog = new QFileDialog(parent, caption, folder_);
        setup(*dialog);
        const int answer = dialog->exec();
        if (!dialog) return {};
        const QStringList files = answer == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
        delete dialog;
        if (!files.isEmpty()) folder_ = QFileInfo(files.front()).absolutePath();
        return files;
    }

    static std::optional<std::string> First(const QStringList& files) {
        if (files.isEmpty()) return std::nullopt;
        return QDir::cleanPath(files.front()).toStdString();
    }

    QString folder_ = QDir::homePath();
};

}  // namespace

std::shared_ptr<AddingDialogs> MakeQtAddingDialogs() { return std::make_shared<QtAddingDialogs>(); }

}  // namespace tavora
