#include "TagEditors.h"

#include <memory>

#include "Mp3TagDialog.h"
#include "PlaylistEntry.h"
#include "PlaylistModel.h"
#include "TagFileJob.h"
#include "TagProgressDialog.h"
#include "TagWindow.h"

namespace tavora {

TagEditors::TagEditors(Parts parts, QObject* parent) : QObject(parent), parts_(std::move(parts)) {}

TagEditors::~TagEditors() { CloseAll(); }

void TagEditors::ShowFileInfo() {
    if (anyOpen()) return;  // the editors are modal; a hand-off command cannot open a second set
    PlaylistModel& model = *parts_.model;
    selection_ = BuildTagSelection(parts_.selectedRows ? parts_.selectedRows() : std::vector<int>{},
                                   [&model](int row) { return model.GetEntryField(row, kColumnPath); });
    if (selection_.mp3.empty()) {
        OpenTagWindow();
        return;
    }
    // The tags of every MP3 file are read on a worker before the editor opens.
    const int count = static_cast<int>(selection_.mp3.size());
    auto tags = std::make_shared<std::vector<Mp3EditorTags>>(selection_.mp3.size());
    std::vector<std::string> paths;
    for (const TaggedRow& file : selection_.mp3) paths.push_back(file.path);
    readProgress_ = new TagProgressDialog(TagProgressDialog::Kind::Reading, parts_.dialogParent);
    readProgress_->setAttribute(Qt::WA_DeleteOnClose);
    readProgress_->show();
    StartTagFileJob(*parts_.jobs, readProgress_, count,
                    {[tags, paths](int i) { (*tags)[static_cast<size_t>(i)] = ReadMp3EditorTags(paths[static_cast<size_t>(i)]); },
                     [this](int done, int total) {
                         if (readProgress_) readProgress_->ShowProgress(done, total);
                     },
                     [this, tags](bool complete) {
                         readProgress_->Finish();
                         readProgress_->close();
                         readProgress_ = nullptr;
                         if (complete) OpenMp3Editor(std::move(*tags));
                     }});
}

void TagEditors::OpenMp3Editor(std::vector<Mp3EditorTags> tags) {
    mp3Dialog_ = new Mp3TagDialog(selection_.mp3, std::move(tags), *parts_.jobs, parts_.sink, parts_.dialogParent);
    mp3Dialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(mp3Dialog_, &QDialog::finished, this, [this] {
        mp3Dialog_ = nullptr;
        OpenTagWindow();
    });
    mp3Dialog_->show();
}

void TagEditors::OpenTagWindow() {
    if (selection_.other.empty() || tagWindow_) return;
    // The window opens on the first other row, and only when that is a WMA or OGG file.
    if (TagWindowModeFor(selection_.other.front().path) == TagWindowMode::None) return;
    auto* window = new TagWindow(selection_.other, *parts_.jobs, parts_.sink, parts_.dialogParent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (!window->Start()) {  // none of the files could be read; each was reported
        delete window;
        return;
    }
    tagWindow_ = window;
    connect(window, &QDialog::finished, this, [this] { tagWindow_ = nullptr; });
    window->show();
}

void TagEditors::UpdateTag(const CommandData& data) {
    // The editors send the file and its row; the bare command (from another program) names
    // no row and does nothing.
    if (!data.value || data.path.empty()) return;
    const int row = *data.value;
    const TitleSettings settings = parts_.titleSettings ? parts_.titleSettings() : TitleSettings{};
    if (parts_.model->UpdateTitle(row, data.path, ReadDisplayTitle(data.path, settings))) emit rowRetitled(row);
}

void TagEditors::GetListItem() {
    if (tagWindow_) tagWindow_->LoadCurrent();
}

void TagEditors::CloseAll() {
    for (QDialog* d : {static_cast<QDialog*>(mp3Dialog_.data()), static_cast<QDialog*>(tagWindow_.data())}) {
        if (!d) continue;
        d->disconnect(this);
        d->close();
    }
}

}  // namespace tavora
