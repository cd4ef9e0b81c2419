#pragma once
// TagWindow ("WMA Tag" / "OGG Tag"): the tags of WMA/ASF files (attributes) and of Ogg
// Vorbis files (comments), one file at a time, stepping through the non-MP3 rows of the
// playlist selection.
//
// "수정하기" writes the shown file, sends "Update Tag" (path and playlist row) so the
// row is re-titled, and shows the next file; after the last one the window closes.
// "닫기" closes it at once, leaving the files after the shown one untouched.
//
// A file that cannot be read (not WMA, not a readable Ogg Vorbis file, gone) is reported
// with the reader's message and skipped. WMA files show their year, comment and genre
// too, and only the fields the user changed are written, so nothing the user did not
// touch is overwritten. Files of other kinds in the selection are passed over.
//
// Keys: Enter writes, Escape does nothing, C closes and U writes except while the focus
// is in a field.
//
// The write runs on a worker (TagFileJob.h); the window takes no input meanwhile.
//
// UI thread only.


#include <array>
#include <optional>
#include <vector>

#include "TagRecord.h"
#include "TagEditorDialog.h"
#include "TagSelection.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tavora {

class JobService;
class CommandSink;

class TagWindow : public TagEditorDialog {
    Q_OBJECT
public:
    static constexpr int kResource = 212;
    static constexpr int kFieldCount = 7;

    TagWindow(std::vector<TaggedRow> entries, JobService& jobs, CommandSink* sink, QWidget* parent = nullptr);

    // Shows the first file from entry `cursor` on that can be shown; false when there is
    // none (nothing to open).
    bool Start(int cursor = 0);
    // "수정하기".
    void Write();
    // "Get List Item": shows the entry at the cursor again (skipping it when unreadable).
    void LoadCurrent();

    TagWindowMode mode() const { return mode_; }
    int cursor() const { return cursor_; }
    // The entry written last by this window, if any.
    const std::optional<TaggedRow>& lastWritten() const { return lastWritten_; }
    // title, artist, album, track, year, genre, comment (the order of the window).
    QLineEdit* field(int index) const { return fields_[static_cast<size_t>(index)]; }
    QLineEdit* pathEdit() const { return pathEdit_; }
    QLabel* infoLabel() const { return info_; }

signals:
    void writeFinished();

private:
    void BuildWidgets();
    // Shows the entry at the cursor or the first readable one after it; closes when none.
    bool ShowFromCursor();
    TagRecord FieldValues() const;

    std::vector<TaggedRow> entries_;
    JobService& jobs_;
    CommandSink* sink_;
    int cursor_ = 0;
    TagWindowMode mode_ = TagWindowMode::None;
    TagRecord loaded_;  // as read, to tell the fields the user changed
    std::optional<TaggedRow> lastWritten_;

    QLineEdit* pathEdit_ = nullptr;
    std::array<QLineEdit*, kFieldCount> fields_{};
    QLabel* info_ = nullptr;
    QPushButton* write_ = nullptr;
};

}  // namespace tavora
