#pragma once
// Shows the tag readers' messages ("OGG File open failed", the WMA "Open" failure ...) as
// message boxes without caption, each followed by the file's name.
//
// The readers report from whatever thread reads (title passes, list loads, adding), so
// the messages are carried to the UI thread and the box is shown without waiting for it:
// no work waits on the user. One box is shown at a time: what fails while it is open
// (a pass over a list of broken files) is only logged (category "tavora.tags"), so a
// pass over thousands of rows never piles up thousands of boxes.
//
// Installs itself as the tag message sink (TagMessages.h) and removes it when destroyed.
// UI thread only (the sink it installs may be called from any thread).

#include <QObject>
#include <QPointer>

#include <memory>
#include <string>

class QWidget;

namespace tavora {

class TagMessageBoxes : public QObject {
public:
    // The boxes are shown over `boxParent` (may be null).
    explicit TagMessageBoxes(QWidget* boxParent, QObject* parent = nullptr);
    ~TagMessageBoxes() override;

private:
    struct Relay;
    void Show(const std::string& message, const std::string& path);

    QPointer<QWidget> boxParent_;
    QPointer<QWidget> open_;
    std::shared_ptr<Relay> relay_;
};

}  // namespace tavora
