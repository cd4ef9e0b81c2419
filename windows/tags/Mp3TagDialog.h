#pragma once
// Mp3TagDialog ("MP3 Tag"): edits the ID3v1 and ID3v2 tags of one MP3 file or of many at
// once.
//
// The file list shows the files the playlist selection gave, with the tags read before
// the dialog opened (Mp3EditorTags). One row selected: its values are shown and can be
// edited; "저장하기" writes it and moves on to the next row. Several rows selected: every
// combo lists "<건너 뛰기>", "<빈 공간>" and the distinct values of the selected files,
// and saving writes each of them (with the "저장하기" progress dialog), "<건너 뛰기>"
// leaving a field as each file has it.
//
// Keys: Enter saves, Escape does nothing; 1 and 2 toggle the tag boxes, C closes, U saves,
// except while the focus is in a combo's text (the keys are then typed).
//
// Files are written on a worker (TagFileJob.h); the dialog takes no input meanwhile.
// After each file written, "Update Tag" goes to the sink with the file's path and its
// playlist row, so the row is re-titled. A file that could not be written is reported
// and keeps its old tags.
//
// UI thread only.


#include <array>
#include <optional>
#include <string>
#include <vector>

#include "Mp3EditorRules.h"
#include "TagEditorDialog.h"
#include "TagSelection.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tavora {

class JobService;
class CommandSink;
class TagProgressDialog;

class Mp3TagDialog : public TagEditorDialog {
    Q_OBJECT
public:
    static constexpr int kResource = 196;

    Mp3TagDialog(std::vector<TaggedRow> files, std::vector<Mp3EditorTags> tags, JobService& jobs, CommandSink* sink,
                 QWidget* parent = nullptr);
    ~Mp3TagDialog() override;

    // "저장하기": the selected file, or every selected file.
    void Save();

    // For tests and the keyboard.
    QComboBox* combo(Mp3Field field) const { return combos_[static_cast<size_t>(field)]; }
    QTreeWidget* fileList() const { return list_; }
    QCheckBox* v1Box() const { return v1Box_; }
    QCheckBox* v2Box() const { return v2Box_; }
    QCheckBox* autoTrackBox() const { return autoTrack_; }
    QPushButton* saveButton() const { return save_; }
    QLineEdit* pathEdit() const { return pathEdit_; }
    QLabel* infoLabel() const { return info_; }
    TagProgressDialog* saveProgress() const { return progress_; }
    const Mp3EditorTags& cachedTags(int listRow) const { return tags_.at(static_cast<size_t>(listRow)); }
    std::vector<int> selectedListRows() const;
    // The file saved last by this dialog, if any.
    const std::optional<TaggedRow>& lastSaved() const { return lastSaved_; }

signals:
    // After a save (single or batch) has ended, written or not.
    void saveFinished();

private:
    void BuildWidgets();
    void InstallKeys();
    void OnSelectionChanged();
    void LoadFile(int listRow);
    void RefreshFields();
    void FillFields();
    void FillSingle(const TagRecord& values, int enabledCount);
    void FillSeveral(const std::vector<int>& rows);
    void ResetCombos();
    void SetFieldsEnabled(int enabledCount, bool autoTrack);
    Mp3EditorChoices Choices() const;
    std::string ChosenGenreText() const;
    void SaveOne(int listRow);
    void SaveSeveral(const std::vector<int>& rows);
    void SelectOnly(int listRow);
    void ReportFailures(const std::vector<std::string>& messages);
    void SendUpdateTag(int listRow);

    std::vector<TaggedRow> files_;
    std::vector<Mp3EditorTags> tags_;
    JobService& jobs_;
    CommandSink* sink_;

    QLineEdit* pathEdit_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLabel* info_ = nullptr;
    QCheckBox* v1Box_ = nullptr;
    QCheckBox* v2Box_ = nullptr;
    QCheckBox* autoTrack_ = nullptr;
    std::array<QComboBox*, kMp3FieldCount> combos_{};
    // What each combo showed of the one file loaded; an empty value the user left empty
    // keeps whatever the file's tags have there.
    std::array<bool, kMp3FieldCount> shownEmpty_{};
    // The genre combo as the dialog filled it: a genre is written only when the user
    // chose or typed another.
    int genreShownIndex_ = -1;
    QString genreShownText_;
    QPushButton* save_ = nullptr;
    QPushButton* close_ = nullptr;
    TagProgressDialog* progress_ = nullptr;

    int currentRow_ = -1;  // the one file shown; -1 with several (or none) selected
    std::optional<TaggedRow> lastSaved_;
    bool filling_ = false;  // the dialog itself is changing boxes and selection
};

}  // namespace tavora
