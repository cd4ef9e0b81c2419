#include "Mp3TagDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

#include "JobService.h"
#include "CommandSink.h"
#include "FileInfoText.h"
#include "Genres.h"
#include "MessageBox.h"
#include "PlaylistEntry.h"
#include "TagFileJob.h"
#include "TagProgressDialog.h"

namespace tavora {
namespace {

struct FieldControl {
    int id;
    const char* label;
};
// In the order of Mp3Field.
constexpr std::array<FieldControl, kMp3FieldCount> kFieldControls = {{
    {1184, "제목:"}, {1185, "가수:"}, {1186, "앨범:"}, {1187, "트랙:"}, {1188, "연도:"}, {1009, "장르:"},
    {1189, "설명:"}, {1190, "작곡자:"}, {1191, "원곡가수:"}, {1192, "저작권:"}, {1193, "음반사:"},
    {1194, "인코딩작업자:"},
}};

constexpr int kPathColumn = 1;
constexpr int kRowColumn = 2;

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

}  // namespace

Mp3TagDialog::Mp3TagDialog(std::vector<TaggedRow> files, std::vector<Mp3EditorTags> tags, JobService& jobs,
                           CommandSink* sink, QWidget* parent)
    : TagEditorDialog(parent), files_(std::move(files)), tags_(std::move(tags)), jobs_(jobs), sink_(sink) {
    tags_.resize(files_.size());
    setWindowTitle(QStringLiteral("MP3 Tag"));
    setObjectName(QStringLiteral("Mp3TagDialog"));
    setModal(true);
    BuildWidgets();
    InstallKeys();
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + area.width() / 3, area.y() + area.height() / 3);
    }
    for (size_t i = 0; i < files_.size(); ++i) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, Q(std::string(FileNameOf(files_[i].path))));
        item->setText(kPathColumn, Q(files_[i].path));
        item->setText(kRowColumn, QString::number(files_[i].row));
    }
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &Mp3TagDialog::OnSelectionChanged);
    if (!files_.empty()) SelectOnly(0);
    // The title is what is edited most; the keys 1, 2, C, U work once the focus leaves it.
    if (combo(Mp3Field::Title)->isEnabled()) combo(Mp3Field::Title)->setFocus();
    else list_->setFocus();
}

Mp3TagDialog::~Mp3TagDialog() = default;

void Mp3TagDialog::BuildWidgets() {
    pathEdit_ = new QLineEdit(this);
    pathEdit_->setReadOnly(true);
    pathEdit_->setObjectName(QStringLiteral("edit1177"));

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("list1183"));
    list_->setColumnCount(3);
    list_->setHeaderLabels({QStringLiteral("제목"), QStringLiteral("경로"), QStringLiteral("번지")});
    list_->setColumnHidden(kPathColumn, true);
    list_->setColumnHidden(kRowColumn, true);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->header()->setStretchLastSection(true);

    auto* selectAll = new QPushButton(QStringLiteral("전체 선택"), this);
    auto* deselectAll = new QPushButton(QStringLiteral("전체해제"), this);
    connect(selectAll, &QPushButton::clicked, list_, &QTreeWidget::selectAll);
    connect(deselectAll, &QPushButton::clicked, list_, &QTreeWidget::clearSelection);

    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("static1158"));
    auto* infoGroup = new QGroupBox(QStringLiteral("File Info"), this);
    (new QVBoxLayout(infoGroup))->addWidget(info_);

    v1Box_ = new QCheckBox(QStringLiteral("ID3 v1 태그(&1)"), this);
    v2Box_ = new QCheckBox(QStringLiteral("ID3 v2 태그(&2)"), this);
    autoTrack_ = new QCheckBox(QStringLiteral("자동 트랙번호 설정"), this);
    connect(v1Box_, &QCheckBox::toggled, this, [this] { if (!filling_) RefreshFields(); });
    connect(v2Box_, &QCheckBox::toggled, this, [this] { if (!filling_) RefreshFields(); });

    auto* common = new QGroupBox(QStringLiteral("ID3 v1 v2 공용"), this);
    auto* commonGrid = new QGridLayout(common);
    auto* v2Only = new QGroupBox(QStringLiteral("ID3 v2 전용"), this);
    auto* v2Grid = new QGridLayout(v2Only);
    for (int f = 0; f < kMp3FieldCount; ++f) {
        auto* combo = new QComboBox(this);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(20);
        combo->setObjectName(QStringLiteral("combo%1").arg(kFieldControls[static_cast<size_t>(f)].id));
        combos_[static_cast<size_t>(f)] = combo;
        auto* label = new QLabel(QString::fromUtf8(kFieldControls[static_cast<size_t>(f)].label), this);
        QGridLayout* grid = f < kMp3CommonFieldCount ? commonGrid : v2Grid;
        const int row = f < kMp3CommonFieldCount ? f : f - kMp3CommonFieldCount;
        grid->addWidget(label, row, 0);
        grid->addWidget(combo, row, 1);
        if (static_cast<Mp3Field>(f) == Mp3Field::Track) grid->addWidget(autoTrack_, row, 2);
    }

    save_ = new QPushButton(QStringLiteral("저장하기(&U)"), this);
    close_ = new QPushButton(QStringLiteral("닫기(&C)"), this);
    for (QPushButton* b : {selectAll, deselectAll, close_}) b->setAutoDefault(false);
    save_->setDefault(true);
    connect(save_, &QPushButton::clicked, this, &Mp3TagDialog::Save);
    connect(close_, &QPushButton::clicked, this, [this] { CloseUnlessBusy(); });

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(new QLabel(QStringLiteral("파일경로:"), this));
    pathRow->addWidget(pathEdit_, 1);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(selectAll);
    listButtons->addWidget(deselectAll);
    listButtons->addStretch(1);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(v1Box_);
    boxes->addWidget(v2Box_);
    boxes->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save_);
    buttons->addWidget(close_);

    auto* left = new QVBoxLayout;
    left->addWidget(list_, 1);
    left->addLayout(listButtons);
    left->addWidget(infoGroup);
    auto* right = new QVBoxLayout;
    right->addLayout(boxes);
    right->addWidget(common);
    right->addWidget(v2Only);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(right, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);
    resize(640, 560);
}

// The keys work as shortcuts: a combo's text field claims plain characters for itself, so
// there they are typed instead.
void Mp3TagDialog::InstallKeys() {
    AddPlainKey("1", [this] { if (!busy() && v1Box_->isEnabled()) v1Box_->toggle(); });
    AddPlainKey("2", [this] { if (!busy() && v2Box_->isEnabled()) v2Box_->toggle(); });
    AddPlainKey("C", [this] { CloseUnlessBusy(); });
    AddPlainKey("U", [this] { Save(); });
}

std::vector<int> Mp3TagDialog::selectedListRows() const {
    std::vector<int> rows;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        if (list_->topLevelItem(i)->isSelected()) rows.push_back(i);
    return rows;
}

void Mp3TagDialog::SelectOnly(int listRow) {
    filling_ = true;
    list_->clearSelection();
    filling_ = false;
    QTreeWidgetItem* item = list_->topLevelItem(listRow);
    list_->setCurrentItem(item);
    item->setSelected(true);
    list_->scrollToItem(item);
}

void Mp3TagDialog::OnSelectionChanged() {
    if (filling_) return;
    const std::vector<int> rows = selectedListRows();
    if (rows.size() == 1) LoadFile(rows.front());
    else {
        currentRow_ = -1;
        RefreshFields();
    }
}

void Mp3TagDialog::LoadFile(int listRow) {
    currentRow_ = listRow;
    const std::string& path = files_[static_cast<size_t>(listRow)].path;
    pathEdit_->setText(Q(path));
    if (auto text = BuildFileInfoText(path, true)) info_->setText(Q(*text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    const Mp3EditorTags& tags = tags_[static_cast<size_t>(listRow)];
    filling_ = true;
    v1Box_->setChecked(tags.HasV1());
    v2Box_->setChecked(tags.HasV2());
    filling_ = false;
    RefreshFields();
}

void Mp3TagDialog::ResetCombos() {
    shownEmpty_.fill(false);
    for (int f = 0; f < kMp3FieldCount; ++f) {
        QComboBox* combo = combos_[static_cast<size_t>(f)];
        combo->clear();
        if (static_cast<Mp3Field>(f) == Mp3Field::Genre)
            for (int g = 0; g < kGenreCount; ++g) combo->addItem(Q(std::string(GenreName(g))));
        combo->addItem(QString::fromUtf8(kSkipMarker));
        combo->addItem(QString::fromUtf8(kEmptyMarker));
    }
}

void Mp3TagDialog::SetFieldsEnabled(int enabledCount, bool autoTrack) {
    for (int f = 0; f < kMp3FieldCount; ++f) combos_[static_cast<size_t>(f)]->setEnabled(f < enabledCount);
    autoTrack_->setEnabled(autoTrack);
}

void Mp3TagDialog::RefreshFields() {
    FillFields();
    genreShownIndex_ = combo(Mp3Field::Genre)->currentIndex();
    genreShownText_ = combo(Mp3Field::Genre)->currentText();
}

void Mp3TagDialog::FillFields() {
    ResetCombos();
    const std::vector<int> rows = selectedListRows();
    if (rows.size() >= 2) {
        FillSeveral(rows);
        return;
    }
    if (currentRow_ < 0 || rows.empty()) {
        SetFieldsEnabled(0, false);
        return;
    }
    const Mp3EditorTags& tags = tags_[static_cast<size_t>(currentRow_)];
    if (v2Box_->isChecked()) {
        // A new ID3v2 tag starts from the ID3v1 values.
        if (!tags.HasV2()) autoTrack_->setChecked(false);
        FillSingle(tags.HasV2() ? tags.v2 : tags.v1, kMp3FieldCount);
        SetFieldsEnabled(kMp3FieldCount, true);
    } else if (v1Box_->isChecked()) {
        FillSingle(tags.v1, kMp3CommonFieldCount);
        SetFieldsEnabled(kMp3CommonFieldCount, false);
    } else {
        SetFieldsEnabled(0, false);
    }
}

void Mp3TagDialog::FillSingle(const TagRecord& values, int enabledCount) {
    for (int f = 0; f < enabledCount; ++f) {
        QComboBox* combo = combos_[static_cast<size_t>(f)];
        const std::string& value = values.*Mp3FieldMember(static_cast<Mp3Field>(f));
        if (static_cast<Mp3Field>(f) == Mp3Field::Genre) {
            const GenreShown shown = ShowGenre(value);
            if (shown.inserted) {
                combo->insertItem(kGenreCount, Q(shown.insertedText));
                combo->setCurrentIndex(kGenreCount);
            } else {
                combo->setCurrentIndex(shown.listIndex);
            }
            continue;
        }
        combo->addItem(Q(value));
        combo->setCurrentIndex(2);
        shownEmpty_[static_cast<size_t>(f)] = value.empty();
    }
}

void Mp3TagDialog::FillSeveral(const std::vector<int>& rows) {
    std::vector<const Mp3EditorTags*> files;
    for (const int r : rows) files.push_back(&tags_[static_cast<size_t>(r)]);
    for (int f = 0; f < kMp3FieldCount; ++f) {
        QComboBox* combo = combos_[static_cast<size_t>(f)];
        if (static_cast<Mp3Field>(f) == Mp3Field::Genre) {
            combo->setCurrentIndex(kGenreCount);
            continue;
        }
        for (const std::string& value : DistinctValues(files, static_cast<Mp3Field>(f))) combo->addItem(Q(value));
        combo->setCurrentIndex(0);
    }
    SetFieldsEnabled(kMp3FieldCount, true);
}

std::string Mp3TagDialog::ChosenGenreText() const {
    const QComboBox* genre = combo(Mp3Field::Genre);
    if (!genre->isEnabled()) return {};
    const int index = genre->currentIndex();
    if (index == genreShownIndex_ && genre->currentText() == genreShownText_) {
        // Left as shown. Only a new ID3v2 tag, which starts from the ID3v1 values, takes
        // the genre shown (the ID3v1 one) with them.
        const bool newV2 = currentRow_ >= 0 && v2Box_->isChecked() && !tags_[static_cast<size_t>(currentRow_)].HasV2();
        if (!newV2) return {};
    }
    // Text typed over the chosen entry counts as typed.
    const bool typed = index < 0 || genre->itemText(index) != genre->currentText();
    return GenreText(index, S(genre->currentText()), typed);
}

Mp3EditorChoices Mp3TagDialog::Choices() const {
    Mp3EditorChoices choices;
    for (int f = 0; f < kMp3FieldCount; ++f) {
        const QString text = combos_[static_cast<size_t>(f)]->currentText();
        // The ID3v2 tag may lack a value the ID3v1 tag has: an empty field nobody typed in
        // must not wipe it.
        choices.fields[static_cast<size_t>(f)] = text.isEmpty() && shownEmpty_[static_cast<size_t>(f)]
                                                     ? FieldChoice{FieldChoice::Skip, {}}
                                                     : ChoiceFromText(S(text));
    }
    choices.genreText = ChosenGenreText();
    choices.writeV1 = v1Box_->isChecked();
    choices.writeV2 = v2Box_->isChecked();
    choices.autoTrack = autoTrack_->isChecked();
    return choices;
}

void Mp3TagDialog::Save() {
    if (busy()) return;
    const std::vector<int> rows = selectedListRows();
    if (rows.empty()) return;
    if (rows.size() == 1) SaveOne(rows.front());
    else SaveSeveral(rows);
}


void Mp3TagDialog::SendUpdateTag(int listRow) {
    const TaggedRow& file = files_[static_cast<size_t>(listRow)];
    lastSaved_ = file;
    if (sink_) sink_->Send(cmd::UpdateTag, CommandData{file.path, file.row});
}

void Mp3TagDialog::ReportFailures(const std::vector<std::string>& messages) {
    if (messages.empty()) return;
    QString text;
    for (const std::string& m : messages) text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + Q(m);
    ShowMessageBox(this, text, QString(), MessageIcon::Warning);
}

namespace {

// One file's write, prepared on the UI thread and done on the worker.
struct PendingWrite {
    int listRow = -1;
    std::string path;
    Mp3TagValues values;
    Mp3EditorTags before;
    TagWriteResult result;
};

std::string FailureLine(const PendingWrite& w) {
    return w.result.userMessage + ": " + std::string(FileNameOf(w.path));
}

}  // namespace

void Mp3TagDialog::SaveOne(int listRow) {
    auto write = std::make_shared<PendingWrite>();
    write->listRow = listRow;
    write->path = files_[static_cast<size_t>(listRow)].path;
    Mp3EditorTags& cached = tags_[static_cast<size_t>(listRow)];
    write->before = cached;
    write->values = ValuesForFile(cached, Choices(), false, listRow);
    SetBusy(true);
    StartTagFileJob(jobs_, this, 1,
                    {[write](int) { write->result = WriteMp3Tag(write->path, write->values); }, {},
                     [this, write](bool complete) {
                         SetBusy(false);
                         if (!write->result.written) {
                             tags_[static_cast<size_t>(write->listRow)] = write->before;
                             if (complete) ReportFailures({FailureLine(*write)});
                             emit saveFinished();
                             return;
                         }
                         SendUpdateTag(write->listRow);
                         if (write->listRow + 1 < list_->topLevelItemCount()) SelectOnly(write->listRow + 1);
                         else LoadFile(write->listRow);
                         emit saveFinished();
                     }});
}

void Mp3TagDialog::SaveSeveral(const std::vector<int>& rows) {
    const Mp3EditorChoices choices = Choices();
    auto writes = std::make_shared<std::vector<PendingWrite>>(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        PendingWrite& w = (*writes)[i];
        w.listRow = rows[i];
        w.path = files_[static_cast<size_t>(rows[i])].path;
        Mp3EditorTags& cached = tags_[static_cast<size_t>(rows[i])];
        w.before = cached;
        w.values = ValuesForFile(cached, choices, true, rows[i]);
    }
    delete progress_;
    progress_ = new TagProgressDialog(TagProgressDialog::Kind::Saving, this);
    progress_->show();
    SetBusy(true);
    progress_->setEnabled(true);
    StartTagFileJob(
        jobs_, this, static_cast<int>(rows.size()),
        {[writes](int i) {
             PendingWrite& w = (*writes)[static_cast<size_t>(i)];
             w.result = WriteMp3Tag(w.path, w.values);
         },
         [this, writes](int done, int total) {
             if (progress_) progress_->ShowProgress(done, total);
             const PendingWrite& w = (*writes)[static_cast<size_t>(done - 1)];
             if (w.result.written) SendUpdateTag(w.listRow);
         },
         [this, writes](bool) {
             std::vector<std::string> failures;
             for (PendingWrite& w : *writes) {
                 if (w.result.written) continue;
                 tags_[static_cast<size_t>(w.listRow)] = w.before;  // the file has its old tags
                 if (!w.result.userMessage.empty()) failures.push_back(FailureLine(w));
             }
             if (progress_) {
                 progress_->Finish();
                 progress_->hide();
                 progress_->deleteLater();
                 progress_ = nullptr;
             }
             SetBusy(false);
             ReportFailures(failures);
             RefreshFields();
             emit saveFinished();
         }});
}


}  // namespace tavora
