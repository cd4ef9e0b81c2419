#pragma once
// The two progress dialogs of the MP3 tag editor: "불러오기" while the tags of every file
// are read before the editor opens, "저장하기" while several files are saved. Both show
// "%d/%d" (files done, total) and a bar from 0 to 100, and "완료" at the end.
//
// The dialog cannot be closed by the user while its job runs (the job's files would be
// left half done); the owner calls Finish() and closes it.
//
// UI thread only.

#include <QDialog>

class QLabel;
class QProgressBar;

namespace tavora {

class TagProgressDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Reading, Saving };
    static constexpr int kReadingResource = 235;
    static constexpr int kSavingResource = 237;

    TagProgressDialog(Kind kind, QWidget* parent);

    void ShowProgress(int done, int total);
    void Finish();

    QString statusText() const;
    QString counterText() const;
    int barValue() const;

public slots:
    void reject() override {}  // Escape and the close button do nothing while it runs

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* status_;
    QLabel* counter_;
    QProgressBar* bar_;
    bool finished_ = false;
};

}  // namespace tavora
