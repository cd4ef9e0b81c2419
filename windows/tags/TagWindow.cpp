#include "TagWindow.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

#include "JobService.h"
#include "CommandSink.h"
#include "FileInfoText.h"
#include "MessageBox.h"
#include "OggTagReader.h"
#include "PlaylistEntry.h"
#include "OggTagWriter.h"
#include "TagFileJob.h"
#include "WmaTagReader.h"
#include "WmaTagWriter.h"

namespace tavora {
namespace {

struct WindowField {
    int id;
    const char* label;
    std::string TagRecord::*member;
    WmaField wma;
};
constexpr std::array<WindowField, TagWindow::kFieldCount> kFields = {{
    {1159, "제목", &TagRecord::title, kWmaTitle},
    {1160, "가수", &TagRecord::artist, kWmaArtist},
    {1161, "앨범", &TagRecord::album, kWmaAlbum},
    {1164, "트랙", &TagRecord::track, kWmaTrack},
    {1162, "연도", &TagRecord::year, kWmaYear},
    {1170, "장르", &TagRecord::genre, kWmaGenre},
    {1163, "설명", &TagRecord::comment, kWmaComment},
}};

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A message about one file: the text, then the file's name.
QString ForFile(const std::string& text, const std::string& path) {
    return Q(text) + QLatin1Char('\n') + Q(std::string(FileNameOf(path)));
}

}  // namespace

TagWindow::TagWindow(std::vector<TaggedRow> entries, JobService& jobs, CommandSink* sink, QWidget* parent)
    : TagEditorDialog(parent), entries_(std::move(entries)), jobs_(jobs), sink_(sink) {
    setObjectName(QStringLiteral("TagWindow"));
    setModal(true);
    BuildWidgets();
    // A field's text claims plain characters, so there C and U are typed.
    AddPlainKey("C", [this] { CloseUnlessBusy(); });
    AddPlainKey("U", [this] { Write(); });
}

void TagWindow::BuildWidgets() {
    pathEdit_ = new QLineEdit(this);
    pathEdit_->setReadOnly(true);
    pathEdit_->setObjectName(QStringLiteral("edit1177"));
    auto* tagGroup = new QGroupBox(QStringLiteral("태그 정보"), this);
    auto* form = new QFormLayout(tagGroup);
    for (size_t i = 0; i < kFields.size(); ++i) {
        fields_[i] = new QLineEdit(this);
        fields_[i]->setObjectName(QStringLiteral("edit%1").arg(kFields[i].id));
        form->addRow(QString::fromUtf8(kFields[i].label), fields_[i]);
    }
    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("static1169"));
    auto* infoGroup = new QGroupBox(QStringLiteral("파일 정보"), this);
    (new QVBoxLayout(infoGroup))->addWidget(info_);

    write_ = new QPushButton(QStringLiteral("수정하기(&U)"), this);
    auto* close = new QPushButton(QStringLiteral("닫기(&C)"), this);
    close->setAutoDefault(false);
    write_->setDefault(true);
    connect(write_, &QPushButton::clicked, this, &TagWindow::Write);
    connect(close, &QPushButton::clicked, this, [this] { CloseUnlessBusy(); });

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(new QLabel(QStringLiteral("파일 경로:"), this));
    pathRow->addWidget(pathEdit_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(write_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addWidget(tagGroup);
    layout->addWidget(infoGroup);
    layout->addLayout(buttons);
    resize(300, 420);
}

bool TagWindow::Start(int cursor) {
    cursor_ = cursor;
    return ShowFromCursor();
}

void TagWindow::LoadCurrent() {
    if (!busy()) ShowFromCursor();
}

bool TagWindow::ShowFromCursor() {
    for (; cursor_ < static_cast<int>(entries_.size()); ++cursor_) {
        const std::string& path = entries_[static_cast<size_t>(cursor_)].path;
        const TagWindowMode mode = TagWindowModeFor(path);
        if (mode == TagWindowMode::None) continue;  // no tags this window edits
        const TagReadResult read = mode == TagWindowMode::Wma ? ReadWmaTagsChecked(path) : ReadOggTagsChecked(path);
        if (!read.ok()) {
            ShowMessageBox(this, ForFile(read.failure, path), QString(), MessageIcon::Warning);
            continue;
        }
        mode_ = mode;
        loaded_ = read.record;
        setWindowTitle(mode == TagWindowMode::Wma ? QStringLiteral("WMA Tag") : QStringLiteral("OGG Tag"));
        pathEdit_->setText(Q(path));
        for (size_t i = 0; i < kFields.size(); ++i) fields_[i]->setText(Q(loaded_.*kFields[i].member));
        if (auto text = BuildFileInfoText(path, false))
            info_->setText(Q(*text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        return true;
    }
    mode_ = TagWindowMode::None;
    if (isVisible()) done(QDialog::Accepted);
    return false;
}

TagRecord TagWindow::FieldValues() const {
    TagRecord values;
    for (size_t i = 0; i < kFields.size(); ++i) values.*kFields[i].member = fields_[i]->text().toStdString();
    return values;
}

void TagWindow::Write() {
    if (busy() || mode_ == TagWindowMode::None || cursor_ >= static_cast<int>(entries_.size())) return;
    struct PendingWrite {
        TaggedRow entry;
        TagWindowMode mode;
        TagRecord values;
        WmaFieldSet changed = 0;
        TagWriteResult result;
    };
    auto write = std::make_shared<PendingWrite>();
    write->entry = entries_[static_cast<size_t>(cursor_)];
    write->mode = mode_;
    write->values = FieldValues();
    for (const WindowField& f : kFields)
        if (write->values.*f.member != loaded_.*f.member) write->changed |= f.wma;
    SetBusy(true);
    StartTagFileJob(jobs_, this, 1,
                    {[write](int) {
                         if (write->mode == TagWindowMode::Ogg) write->result = WriteOggTag(write->entry.path, write->values);
                         else if (write->changed == 0) write->result.written = true;  // nothing to change
                         else write->result = WriteWmaTags(write->entry.path, write->values, write->changed);
                     },
                     {},
                     [this, write](bool complete) {
                         SetBusy(false);
                         if (!complete) {
                             emit writeFinished();
                             return;
                         }
                         for (const std::string& m : write->result.fieldMessages)
                             ShowMessageBox(this, ForFile(m, write->entry.path), QString(), MessageIcon::Warning);
                         if (write->result.written) {
                             lastWritten_ = write->entry;
                             if (sink_) sink_->Send(cmd::UpdateTag, CommandData{write->entry.path, write->entry.row});
                         } else {
                             ShowMessageBox(this, ForFile(write->result.userMessage, write->entry.path), QString(),
                                            MessageIcon::Warning);
                         }
                         ++cursor_;
                         if (cursor_ >= static_cast<int>(entries_.size())) done(QDialog::Accepted);
                         else ShowFromCursor();
                         emit writeFinished();
                     }});
}


}  // namespace tavora
