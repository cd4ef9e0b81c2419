#include "TagMessageBoxes.h"

#include <QMetaObject>
#include <QWidget>

#include <mutex>

#include "MessageBox.h"
#include "PlaylistEntry.h"
#include "TagMessages.h"
#include "UiThread.h"

namespace tavora {

// What the sink reaches the boxes through; cut off when they go, so that a reader still
// running cannot post to an object that is gone.
struct TagMessageBoxes::Relay {
    std::mutex mutex;
    TagMessageBoxes* target = nullptr;
};

TagMessageBoxes::TagMessageBoxes(QWidget* boxParent, QObject* parent)
    : QObject(parent), boxParent_(boxParent), relay_(std::make_shared<Relay>()) {
    relay_->target = this;
    SetTagMessageSink([relay = relay_](const std::string& message, const std::string& path) {
        std::lock_guard lock(relay->mutex);
        if (!relay->target) return;
        TagMessageBoxes* target = relay->target;
        // Queued even on the UI thread: the reader's caller finishes its step first.
        RunLaterOnUiThread(target, [target, message, path] { target->Show(message, path); });
    });
}

TagMessageBoxes::~TagMessageBoxes() {
    {
        std::lock_guard lock(relay_->mutex);
        relay_->target = nullptr;
    }
    SetTagMessageSink({});
    delete open_.data();
}

void TagMessageBoxes::Show(const std::string& message, const std::string& path) {
    if (open_) return;  // already in the log; the open box speaks for the run
    const QString text = QString::fromStdString(message) + QLatin1Char('\n') +
                         QString::fromStdString(std::string(FileNameOf(path)));
    open_ = OpenMessageBox(boxParent_.data(), text, QString(), MessageIcon::Warning);
}

}  // namespace tavora
