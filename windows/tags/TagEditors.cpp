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
    otherCursor_ = 0;
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
    // The window opens on the first other row.
    otherCursor_ = 0;
    OpenTagWindowAt(0);
}

void TagEditors::OpenTagWindowAt(int cursor) {
    if (tagWindow_ || cursor < 0 || cursor >= static_cast<int>(selection_.other.size())) return;
    // Only a WMA or OGG file there opens it.
    if (TagWindowModeFor(selection_.other[static_cast<size_t>(cursor)].path) == TagWindowMode::None) return;
    auto* window = new TagWindow(selection_.other, *parts_.jobs, parts_.sink, parts_.dialogParent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (!window->Start(cursor)) {  // none of the files could be read; each was reported
        otherCursor_ = static_cast<int>(selection_.other.size());
        delete window;
        return;
    }
    tagWindow_ = window;
    connect(window, &QDialog::finished, this, [this, window] {
        otherCursor_ = window->cursor();
        tagWindow_ = nullptr;
    });
    window->show();
}

void TagEditors::UpdateTag(const CommandData& data) {
    // The editors send the file and its row. The bare command (from another program)
    // means the file the open editor wrote last: the MP3 editor's while it is open, else
    // the tag window's. With neither open there is no such file, and a row remembered
    // from an editor since closed is not touched.
    std::optional<TaggedRow> written;
    if (data.value && !data.path.empty()) written = TaggedRow{data.path, *data.value};
    else if (mp3Dialog_) written = mp3Dialog_->lastSaved();
    else if (tagWindow_) written = tagWindow_->lastWritten();
    if (!written) return;
    const TitleSettings settings = parts_.titleSettings ? parts_.titleSettings() : TitleSettings{};
    if (parts_.model->UpdateTitle(written->row, written->path, ReadDisplayTitle(written->path, settings)))
        emit rowRetitled(written->row);
}

void TagEditors::ShowTagEntry() {
    if (tagWindow_) {
        tagWindow_->LoadCurrent();
        return;
    }
    // Closed: opened on the entry at its cursor, in that entry's mode. Not over the MP3
    // editor, after which it opens anyway.
    if (readProgress_ || mp3Dialog_) return;
    OpenTagWindowAt(otherCursor_);
}

void TagEditors::CloseAll() {
    for (QDialog* d : {static_cast<QDialog*>(mp3Dialog_.data()), static_cast<QDialog*>(tagWindow_.data())}) {
        if (!d) continue;
        d->disconnect(this);
        d->close();
    }
}

}  // namespace tavora
