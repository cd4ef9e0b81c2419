// The MP3 tag editor on files tagged by id3v2 and mid3v2, driven through its widgets.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>
#include <sstream>

#include <sys/stat.h>

#include "Id3v2Reader.h"
#include "Mp3TagDialog.h"
#include "Mp3TagReader.h"
#include "TagEditorsFixture.h"
#include "TagProgressDialog.h"
#include "WriterTools.h"

namespace tavora {
namespace {

using test::CaptureTool;
using test::RunTool;

const std::string kHelpers = TAVORA_TAG_TEST_DIR;

std::vector<std::string> Frames(const std::string& path) {
    std::istringstream in(CaptureTool({"/usr/bin/python3", kHelpers + "/id3_frames.py", path}));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TagRecord V2(const std::string& path) {
    auto tag = ReadId3v2File(path);
    return tag ? tag->fields : TagRecord{};
}

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

// The genre byte of the file's ID3v1 tag; -1 when it has none.
int V1GenreByte(const std::string& path) {
    const auto bytes = test::FileBytes(path);
    if (bytes.size() < 128 || std::string(bytes.end() - 128, bytes.end() - 125) != "TAG") return -1;
    return bytes.back();
}

class Mp3Editor : public test::TagEditorsTest {
protected:
    // An MP3 file tagged by mid3v2 (ID3v2.4, no ID3v1) with Korean text.
    std::string TaggedMp3(const std::string& name, const std::string& title, const std::string& artist,
                          std::vector<std::string> more = {}) {
        const std::string path = media.makeAudio(name, "mp3");
        std::vector<std::string> args = {"mid3v2", "-t", title, "-a", artist};
        args.insert(args.end(), more.begin(), more.end());
        args.push_back(path);
        EXPECT_EQ(RunTool(args, {{"LC_ALL", "C.UTF-8"}}), 0);
        return path;
    }

    Mp3TagDialog* Open(std::vector<int> rows) {
        selected = std::move(rows);
        editors.ShowFileInfo();
        EXPECT_TRUE(test::WaitUntilWithEvents([&] { return editors.mp3Dialog() != nullptr; }));
        return editors.mp3Dialog();
    }

    bool SaveAndWait(Mp3TagDialog* d) { return WaitForSignal(d, &Mp3TagDialog::saveFinished, [d] { d->Save(); }); }

    static void SetText(QComboBox* combo, const QString& text) { combo->setEditText(text); }
};

TEST_F(Mp3Editor, ReadingProgressThenEditorWithTheFirstFileLoaded) {
    const std::string a = TaggedMp3("a.mp3", "노래 하나", "가수1");
    const std::string b = TaggedMp3("b.MP3", "노래 둘", "가수2");
    AddRow(media.makeAudio("skip.wav", "wav"));
    AddRow(a);
    AddRow(b);
    selected = {2, 1};
    editors.ShowFileInfo();
    ASSERT_NE(editors.readProgress(), nullptr);
    EXPECT_EQ(editors.readProgress()->windowTitle(), "불러오기");
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return editors.mp3Dialog() != nullptr; }));
    Mp3TagDialog* d = editors.mp3Dialog();
    EXPECT_EQ(d->windowTitle(), "MP3 Tag");
    ASSERT_EQ(d->fileList()->topLevelItemCount(), 2);
    EXPECT_EQ(d->fileList()->topLevelItem(0)->text(0), "a.mp3");
    EXPECT_EQ(d->fileList()->topLevelItem(1)->text(2), "2") << "the playlist row";
    EXPECT_EQ(d->pathEdit()->text().toStdString(), a);
    EXPECT_FALSE(d->v1Box()->isChecked());
    EXPECT_TRUE(d->v2Box()->isChecked());
    EXPECT_EQ(Items(d->combo(Mp3Field::Artist)), (QStringList{"<건너 뛰기>", "<빈 공간>", "가수1"}));
    EXPECT_EQ(d->combo(Mp3Field::Artist)->currentText(), "가수1");
    EXPECT_EQ(d->combo(Mp3Field::Genre)->count(), 148 + 3);
    EXPECT_EQ(d->combo(Mp3Field::Genre)->itemText(149), "<건너 뛰기>");
    EXPECT_FALSE(d->infoLabel()->text().isEmpty());
}

TEST(TagProgress, CounterBarAndTheEnd) {
    test::App();
    TagProgressDialog saving(TagProgressDialog::Kind::Saving, nullptr);
    saving.show();
    EXPECT_EQ(saving.windowTitle(), "저장하기");
    EXPECT_EQ(saving.statusText(), "파일정보 쓰는중...");
    saving.ShowProgress(1, 3);
    EXPECT_EQ(saving.counterText(), "1/3");
    EXPECT_EQ(saving.barValue(), 33);
    saving.reject();
    saving.close();
    EXPECT_TRUE(saving.isVisible()) << "not closed while the files are written";
    saving.Finish();
    EXPECT_EQ(saving.barValue(), 100);
    EXPECT_EQ(saving.statusText(), "완료");
    saving.close();
    EXPECT_FALSE(saving.isVisible());
    TagProgressDialog reading(TagProgressDialog::Kind::Reading, nullptr);
    EXPECT_EQ(reading.windowTitle(), "불러오기");
    EXPECT_EQ(reading.statusText(), "파일정보 읽는중...");
}

// Several files: the artist combo offers each artist once; "<건너 뛰기>" leaves them, a new
// album goes to every file, frames nobody edits stay, and every row is re-titled.
TEST_F(Mp3Editor, BatchSaveSkipsArtistsAndKeepsOtherFrames) {
    const std::string a = TaggedMp3("a.mp3", "노래 하나", "가수1");
    const std::string b = TaggedMp3("b.mp3", "노래 둘", "가수2");
    const std::string c = media.makeAudio("c.mp3", "mp3", 2);
    ASSERT_EQ(RunTool({"/usr/bin/python3", kHelpers + "/id3_v24_rich.py", c}), 0);
    const auto richBefore = Frames(c);
    const TagRecord cBefore = V2(c);
    for (const auto& p : {a, b, c}) AddRow(p);
    Mp3TagDialog* d = Open({0, 1, 2});
    d->fileList()->selectAll();

    QStringList expected{"<건너 뛰기>", "<빈 공간>", "가수1", "가수2"};
    if (!cBefore.artist.empty()) expected << QString::fromStdString(cBefore.artist);
    EXPECT_EQ(Items(d->combo(Mp3Field::Artist)), expected);
    EXPECT_EQ(d->combo(Mp3Field::Artist)->currentText(), "<건너 뛰기>");
    EXPECT_EQ(d->combo(Mp3Field::Genre)->currentText(), "<건너 뛰기>");
    EXPECT_TRUE(d->autoTrackBox()->isEnabled());
    d->v2Box()->setChecked(true);
    SetText(d->combo(Mp3Field::Album), "새 앨범");

    ASSERT_TRUE(SaveAndWait(d));
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(V2(a).artist, "가수1");
    EXPECT_EQ(V2(b).artist, "가수2");
    EXPECT_EQ(V2(c).artist, cBefore.artist);
    for (const auto& p : {a, b, c}) EXPECT_EQ(V2(p).album, "새 앨범") << p;
    EXPECT_EQ(V2(a).title, "노래 하나");

    // The rich v2.4 file keeps every frame but the album, and its version.
    auto after = Frames(c);
    const auto notAlbum = [](std::vector<std::string> lines) {
        lines.erase(std::remove_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("TALB", 0) == 0; }),
                    lines.end());
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    EXPECT_EQ(notAlbum(after), notAlbum(richBefore));
    EXPECT_EQ(after.front(), "version 2.4");

    EXPECT_EQ(sink.UpdatedRows(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(RowTitle(0), "노래 하나 - 가수1");
    EXPECT_EQ(RowTitle(1), "노래 둘 - 가수2");
}

TEST_F(Mp3Editor, AutomaticTrackNumbersFollowTheEditorList) {
    for (int i = 0; i < 3; ++i) AddRow(media.makeAudio("pad" + std::to_string(i) + ".wav", "wav"));
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i) {
        files.push_back(TaggedMp3("t" + std::to_string(i) + ".mp3", "곡" + std::to_string(i), "가수"));
        AddRow(files.back());
    }
    Mp3TagDialog* d = Open({3, 4, 5});
    d->fileList()->topLevelItem(0)->setSelected(true);
    d->fileList()->topLevelItem(2)->setSelected(true);
    ASSERT_EQ(d->selectedListRows(), (std::vector<int>{0, 2}));
    d->autoTrackBox()->setChecked(true);
    ASSERT_TRUE(SaveAndWait(d));
    EXPECT_EQ(V2(files[0]).track, "1");
    EXPECT_EQ(V2(files[1]).track, "") << "not selected, not written";
    EXPECT_EQ(V2(files[2]).track, "3") << "its place in the editor's list, not row 6 of the playlist";
    EXPECT_EQ(sink.UpdatedRows(), (std::vector<int>{3, 5}));
}

TEST_F(Mp3Editor, TypedGenreIsFreeTextListedGenreIsItsNumberPlainGenreShowsEmpty) {
    const std::string a = TaggedMp3("a.mp3", "하나", "가수", {"-g", "Rock"});  // v2.4 stores plain "Rock"
    const std::string b = TaggedMp3("b.mp3", "둘", "가수");
    AddRow(a);
    AddRow(b);
    Mp3TagDialog* d = Open({0, 1});
    QComboBox* genre = d->combo(Mp3Field::Genre);
    EXPECT_EQ(genre->currentIndex(), 148);
    EXPECT_EQ(genre->currentText(), "") << "plain-text genres are not shown";
    SetText(d->combo(Mp3Field::Title), "새 하나");
    ASSERT_TRUE(SaveAndWait(d));
    EXPECT_EQ(V2(a).genre, "Rock") << "the genre nobody chose stays";
    EXPECT_EQ(V2(a).title, "새 하나");

    // The editor moved on to the second file.
    ASSERT_EQ(d->selectedListRows(), std::vector<int>{1});
    EXPECT_EQ(d->combo(Mp3Field::Title)->currentText(), "둘");
    SetText(genre, "트로트");
    ASSERT_TRUE(SaveAndWait(d));
    EXPECT_EQ(V2(b).genre, "(255)트로트");
    EXPECT_EQ(d->selectedListRows(), std::vector<int>{1}) << "the last file stays selected";
    EXPECT_EQ(genre->currentText(), "트로트");

    genre->setCurrentIndex(17);
    EXPECT_EQ(genre->currentText(), "Rock");
    ASSERT_TRUE(SaveAndWait(d));
    EXPECT_EQ(V2(b).genre, "(17)Rock");
    EXPECT_EQ(ReadId3v1Tags(b).genre, "(17)");
}

// A genre is written only when the user chose or typed one: a file without tags, a file
// saved with both tag boxes cleared and a file whose ID3v2 genre is shown all keep the
// genres they have (none stays none).
TEST_F(Mp3Editor, GenreNobodyChoseIsNotWritten) {
    const std::string none = media.makeAudio("none.mp3", "mp3");
    const auto twoGenres = [this](const std::string& name) {
        const std::string path = media.makeAudio(name, "mp3");
        EXPECT_EQ(RunTool({"id3v2", "-g", "17", "-t", "Title", path}), 0);
        EXPECT_EQ(RunTool({"id3v2", "-1", "-g", "9", path}), 0);  // ID3v1 only: Metal
        return path;
    };
    const std::string shown = twoGenres("shown.mp3");
    const std::string cleared = twoGenres("cleared.mp3");
    const std::string v2Genre = V2(shown).genre;
    ASSERT_EQ(V1GenreByte(shown), 9);
    for (const auto& p : {none, shown, cleared}) AddRow(p);
    Mp3TagDialog* d = Open({0, 1, 2});

    ASSERT_FALSE(d->v1Box()->isChecked());
    ASSERT_FALSE(d->v2Box()->isChecked());
    ASSERT_TRUE(SaveAndWait(d));  // the untagged file, both boxes clear
    EXPECT_EQ(V2(none).genre, "");
    EXPECT_TRUE(V1GenreByte(none) == -1 || V1GenreByte(none) == 255) << V1GenreByte(none);

    ASSERT_EQ(d->selectedListRows(), std::vector<int>{1});
    EXPECT_EQ(d->combo(Mp3Field::Genre)->currentText(), "Rock");
    SetText(d->combo(Mp3Field::Title), "New Title");
    ASSERT_TRUE(SaveAndWait(d));
    EXPECT_EQ(V2(shown).title, "New Title");
    EXPECT_EQ(V2(shown).genre, v2Genre);
    EXPECT_EQ(V1GenreByte(shown), 9) << "the ID3v1 genre is not replaced by the ID3v2 one shown";

    d->v1Box()->setChecked(false);
    d->v2Box()->setChecked(false);
    ASSERT_TRUE(SaveAndWait(d));
    EXPECT_EQ(V2(cleared).title, "");
    EXPECT_EQ(V2(cleared).genre, v2Genre);
    EXPECT_EQ(V1GenreByte(cleared), 9);
    EXPECT_TRUE(messages.empty());
}

// "<빈 공간>" and an emptied genre field clear the genre of both tags.
TEST_F(Mp3Editor, GenreIsClearedByTheEmptyMarkerOrAnEmptiedField) {
    std::vector<std::string> files;
    for (const char* name : {"marker.mp3", "emptied.mp3"}) {
        files.push_back(media.makeAudio(name, "mp3"));
        ASSERT_EQ(RunTool({"id3v2", "-g", "17", "-t", "Title", files.back()}), 0);
        AddRow(files.back());
    }
    Mp3TagDialog* d = Open({0, 1});
    QComboBox* genre = d->combo(Mp3Field::Genre);
    ASSERT_EQ(genre->currentText(), "Rock");
    genre->setCurrentIndex(genre->findText("<빈 공간>"));
    ASSERT_TRUE(SaveAndWait(d));
    ASSERT_EQ(d->selectedListRows(), std::vector<int>{1});
    ASSERT_EQ(genre->currentText(), "Rock");
    SetText(genre, "");
    ASSERT_TRUE(SaveAndWait(d));
    for (const std::string& f : files) {
        EXPECT_EQ(V2(f).genre, "") << f;
        EXPECT_EQ(V1GenreByte(f), 255) << f;
        EXPECT_EQ(V2(f).title, "Title") << f;
    }
    EXPECT_EQ(genre->currentText(), "") << "the editor shows the file without a genre";
}

TEST_F(Mp3Editor, KoreanInEveryFieldRoundTripsThroughTheReaders) {
    const std::string a = media.makeAudio("빈 파일.mp3", "mp3");
    AddRow(a);
    Mp3TagDialog* d = Open({0});
    EXPECT_FALSE(d->v1Box()->isChecked());
    EXPECT_FALSE(d->v2Box()->isChecked());
    EXPECT_FALSE(d->combo(Mp3Field::Title)->isEnabled());
    d->v1Box()->setChecked(true);
    EXPECT_TRUE(d->combo(Mp3Field::Title)->isEnabled());
    EXPECT_FALSE(d->combo(Mp3Field::Composer)->isEnabled()) << "ID3v2-only fields need the ID3v2 box";
    d->v2Box()->setChecked(true);
    EXPECT_TRUE(d->combo(Mp3Field::Composer)->isEnabled());
    const std::vector<std::pair<Mp3Field, std::string>> values = {
        {Mp3Field::Title, "제목"},         {Mp3Field::Artist, "가수"},       {Mp3Field::Album, "앨범"},
        {Mp3Field::Track, "7"},            {Mp3Field::Year, "2024"},         {Mp3Field::Comment, "설명"},
        {Mp3Field::Composer, "작곡자"},    {Mp3Field::OriginalArtist, "원곡가수"}, {Mp3Field::RightsNotice, "저작권"},
        {Mp3Field::Publisher, "음반사"},   {Mp3Field::EncodedBy, "인코딩작업자"}};
    for (const auto& [field, text] : values) SetText(d->combo(field), QString::fromStdString(text));
    ASSERT_TRUE(SaveAndWait(d));
    const TagRecord v2 = V2(a);
    for (const auto& [field, text] : values) EXPECT_EQ(v2.*Mp3FieldMember(field), text);
    const TagRecord v1 = ReadId3v1Tags(a);
    EXPECT_EQ(v1.title, "제목");
    EXPECT_EQ(v1.artist, "가수");
    EXPECT_EQ(v1.comment, "설명");
    EXPECT_EQ(RowTitle(0), "제목 - 가수");
    // An outside reader sees the same text.
    EXPECT_NE(CaptureTool({"mid3v2", "-l", a}).find("TIT2=제목"), std::string::npos);
}

// Plain 1, 2, C and U are keys of the dialog, except in a text field, where they are typed.
TEST_F(Mp3Editor, KeysAreTypedInTextFieldsAndActOutsideThem) {
    AddRow(TaggedMp3("a.mp3", "제목", "가수"));
    AddRow(TaggedMp3("b.mp3", "둘", "가수"));
    Mp3TagDialog* d = Open({0, 1});
    d->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));
    QLineEdit* title = d->combo(Mp3Field::Title)->lineEdit();
    title->setFocus();
    title->selectAll();
    QTest::keyClicks(title, "12CU");
    EXPECT_EQ(title->text(), "12CU");
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(d->v1Box()->isChecked());
    EXPECT_TRUE(d->v2Box()->isChecked());
    EXPECT_TRUE(sink.UpdatedRows().empty());
    QTest::keyClick(title, Qt::Key_Escape);
    EXPECT_TRUE(d->isVisible()) << "Escape does nothing";

    d->fileList()->setFocus();
    QTest::keyClick(d->fileList(), Qt::Key_1);
    EXPECT_TRUE(d->v1Box()->isChecked());
    QTest::keyClick(d->fileList(), Qt::Key_2);
    EXPECT_FALSE(d->v2Box()->isChecked());
    QTest::keyClick(d->fileList(), Qt::Key_2);
    EXPECT_TRUE(d->v2Box()->isChecked());
    SetText(d->combo(Mp3Field::Title), "엔터");
    ASSERT_TRUE(WaitForSignal(d, &Mp3TagDialog::saveFinished,
                              [&] { QTest::keyClick(d->combo(Mp3Field::Title)->lineEdit(), Qt::Key_Return); }));
    EXPECT_EQ(sink.UpdatedRows(), std::vector<int>{0}) << "Enter saves";
    d->fileList()->setFocus();
    ASSERT_TRUE(WaitForSignal(d, &Mp3TagDialog::saveFinished, [&] { QTest::keyClick(d->fileList(), Qt::Key_U); }));
    EXPECT_EQ(sink.UpdatedRows(), (std::vector<int>{0, 1}));
    QTest::keyClick(d->fileList(), Qt::Key_C);
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return editors.mp3Dialog() == nullptr; }));
}

TEST_F(Mp3Editor, ReadOnlyFileIsReportedAndKeepsItsTags) {
    const std::string a = TaggedMp3("a.mp3", "제목", "가수");
    AddRow(a);
    const auto before = test::FileBytes(a);
    ASSERT_EQ(chmod(a.c_str(), 0444), 0);
    Mp3TagDialog* d = Open({0});
    SetText(d->combo(Mp3Field::Title), "새 제목");
    ASSERT_TRUE(SaveAndWait(d));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("파일정보 쓰기 실패"), std::string::npos) << messages[0];
    EXPECT_EQ(test::FileBytes(a), before);
    EXPECT_TRUE(sink.UpdatedRows().empty());
    EXPECT_EQ(d->cachedTags(0).v2.title, "제목") << "the editor still knows the file's own tags";
}

// The ID3v2 tag has no album, the ID3v1 tag has one: saving a new title shows and writes no
// album, and the ID3v1 album stays.
TEST_F(Mp3Editor, EmptyFieldLeftAloneKeepsTheOtherTagsValue) {
    const std::string a = TaggedMp3("a.mp3", "제목", "가수");
    ASSERT_EQ(RunTool({"id3v2", "-1", "-A", "Album1", "-a", "Artist1", a}), 0);
    ASSERT_EQ(ReadId3v1Tags(a).album, "Album1");
    AddRow(a);
    Mp3TagDialog* d = Open({0});
    EXPECT_EQ(d->combo(Mp3Field::Album)->currentText(), "");
    SetText(d->combo(Mp3Field::Title), "새 제목");
    SetText(d->combo(Mp3Field::Artist), "");  // emptied by the user: emptied in both tags
    ASSERT_TRUE(SaveAndWait(d));
    EXPECT_EQ(ReadId3v1Tags(a).album, "Album1");
    EXPECT_EQ(ReadId3v1Tags(a).title, "새 제목");
    EXPECT_EQ(ReadId3v1Tags(a).artist, "");
    EXPECT_EQ(V2(a).artist, "");
    EXPECT_EQ(V2(a).album, "");
}

// One read-only file in a batch: reported by name, left byte for byte; the others are
// written and re-titled.
TEST_F(Mp3Editor, BatchGoesOnPastAFileItCannotWrite) {
    const std::string a = TaggedMp3("a.mp3", "하나", "가수");
    const std::string b = TaggedMp3("b.mp3", "둘", "가수");
    const std::string c = TaggedMp3("c.mp3", "셋", "가수");
    for (const auto& p : {a, b, c}) AddRow(p);
    const auto before = test::FileBytes(b);
    ASSERT_EQ(chmod(b.c_str(), 0444), 0);
    Mp3TagDialog* d = Open({0, 1, 2});
    d->fileList()->selectAll();
    SetText(d->combo(Mp3Field::Artist), "새 가수");
    ASSERT_TRUE(SaveAndWait(d));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("b.mp3"), std::string::npos) << messages[0];
    EXPECT_EQ(messages[0].find("a.mp3"), std::string::npos) << messages[0];
    EXPECT_EQ(test::FileBytes(b), before);
    EXPECT_EQ(V2(a).artist, "새 가수");
    EXPECT_EQ(V2(c).artist, "새 가수");
    EXPECT_EQ(sink.UpdatedRows(), (std::vector<int>{0, 2}));
    EXPECT_EQ(RowTitle(1), "b") << "the row of the file not written keeps its title";
    EXPECT_EQ(d->saveProgress(), nullptr) << "the progress dialog is gone";
}

}  // namespace
}  // namespace tavora
