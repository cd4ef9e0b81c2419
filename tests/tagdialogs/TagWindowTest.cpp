// The WMA/OGG tag window stepping through the selection, on files made by ffmpeg and
// tagged by vorbiscomment.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <array>

#include <sys/stat.h>

#include <taglib/asffile.h>

#include "Mp3TagDialog.h"
#include "OggTagReader.h"
#include "PlaylistEntry.h"
#include "TagEditorsFixture.h"
#include "TagWindow.h"
#include "WmaTagReader.h"
#include "WriterTools.h"

namespace tavora {
namespace {

using test::CaptureTool;
using test::RunTool;

enum Field { kTitle, kArtist, kAlbum, kTrack, kYear, kGenre, kComment };

class TagWindowWalk : public test::TagEditorsTest {
protected:
    std::string TaggedWma(const std::string& name, const std::string& title) {
        const std::string plain = media.makeAudio("plain-" + name, "wma");
        const std::string path = media.path(name);
        EXPECT_EQ(RunTool({"ffmpeg", "-v", "error", "-y", "-i", plain, "-c", "copy", "-metadata", "title=" + title,
                           "-metadata", "artist=가수", "-metadata", "comment=설명", "-metadata", "genre=발라드",
                           "-f", "asf", path}),
                  0);
        // ffmpeg has no name for the year attribute; TagLib writes it as other taggers do.
        TagLib::ASF::File file(path.c_str(), false);
        file.tag()->setAttribute("WM/Year", TagLib::ASF::Attribute(TagLib::String("1999")));
        EXPECT_TRUE(file.save());
        return path;
    }

    std::string TaggedOgg(const std::string& name, const std::vector<std::string>& comments) {
        const std::string path = media.makeAudio(name, "ogg");
        std::vector<std::string> args = {"vorbiscomment", "-w"};
        for (const std::string& c : comments) args.insert(args.end(), {"-t", c});
        args.push_back(path);
        EXPECT_EQ(RunTool(args, {{"LC_ALL", "C.UTF-8"}}), 0);
        return path;
    }

    TagWindow* Open(std::vector<int> rows) {
        selected = std::move(rows);
        editors.ShowFileInfo();
        return editors.tagWindow();
    }

    bool WriteAndWait(TagWindow* w) { return WaitForSignal(w, &TagWindow::writeFinished, [w] { w->Write(); }); }

    static std::string Asf(const std::string& path, const char* name) {
        TagLib::ASF::File file(path.c_str(), false);
        const TagLib::ASF::AttributeList list = file.tag()->attribute(name);
        return list.isEmpty() ? "<absent>" : list.front().toString().to8Bit(true);
    }
};

// Three WMA files: each "수정하기" writes one, re-titles its row and shows the next; the
// window closes after the third. Year, comment and genre are shown and kept.
TEST_F(TagWindowWalk, ThreeWmaFilesInPlaylistOrder) {
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i) {
        files.push_back(TaggedWma("song" + std::to_string(i) + ".wma", "제목" + std::to_string(i)));
        AddRow(files.back());
    }
    TagWindow* w = Open({2, 0, 1});
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "WMA Tag");
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(w->pathEdit()->text().toStdString(), files[static_cast<size_t>(i)]);
        EXPECT_EQ(w->field(kTitle)->text().toStdString(), "제목" + std::to_string(i));
        EXPECT_EQ(w->field(kYear)->text(), "1999");
        EXPECT_EQ(w->field(kComment)->text(), "설명");
        EXPECT_EQ(w->field(kGenre)->text(), "발라드");
        w->field(kTitle)->setText(QString::fromStdString("새 제목" + std::to_string(i)));
        ASSERT_TRUE(WriteAndWait(w));
    }
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return editors.tagWindow() == nullptr; })) << "closed after the last";
    EXPECT_EQ(sink.UpdatedRows(), (std::vector<int>{0, 1, 2}));
    for (int i = 0; i < 3; ++i) {
        const std::string& f = files[static_cast<size_t>(i)];
        EXPECT_EQ(ReadWmaTags(f).title, "새 제목" + std::to_string(i));
        EXPECT_EQ(RowTitle(i), "새 제목" + std::to_string(i) + " - 가수");
        EXPECT_EQ(Asf(f, "WM/Year"), "1999");
        EXPECT_EQ(ReadWmaTags(f).comment, "설명") << "fields nobody changed stay";
    }
    EXPECT_TRUE(messages.empty());
}

// Files that are no readable Ogg Vorbis are reported and passed over; the program goes on.
TEST_F(TagWindowWalk, BadOggFilesAreReportedAndSkipped) {
    const std::string notOgg = media.writeBytes("text.ogg", {'n', 'o', 't', ' ', 'o', 'g', 'g', '\n'});
    const std::string good = TaggedOgg("good.ogg", {"TITLE=좋은 노래", "ARTIST=첫째", "ARTIST=둘째"});
    const auto full = media.readBytes("good.ogg");
    const std::string truncated =
        media.writeBytes("cut.OGG", std::vector<uint8_t>(full.begin(), full.begin() + 40));
    AddRow(notOgg);
    AddRow(media.path("gone.ogg"));
    AddRow(truncated);
    AddRow(good);
    TagWindow* w = Open({0, 1, 2, 3});
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(messages,
              (std::vector<std::string>{"fopen failed\ntext.ogg", "실패 \ngone.ogg", "fopen failed\ncut.OGG"}));
    EXPECT_EQ(w->windowTitle(), "OGG Tag");
    EXPECT_EQ(w->pathEdit()->text().toStdString(), good);
    EXPECT_EQ(w->field(kArtist)->text(), "둘째") << "the later comment wins";
    const auto notOggBytes = media.readBytes("text.ogg");

    w->field(kAlbum)->setText("앨범");
    ASSERT_TRUE(WriteAndWait(w));
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return editors.tagWindow() == nullptr; }));
    const std::string listed = CaptureTool({"vorbiscomment", "-l", good});
    EXPECT_EQ(listed, "TITLE=좋은 노래\nALBUM=앨범\nARTIST=둘째\n");
    EXPECT_EQ(media.readBytes("text.ogg"), notOggBytes);
    EXPECT_EQ(sink.UpdatedRows(), std::vector<int>{3});
    EXPECT_EQ(RowTitle(3), "좋은 노래 - 둘째");
}

// A file that cannot be opened for writing is named with the step that failed; a value
// too long for its attribute with that attribute, while the other fields are written.
TEST_F(TagWindowWalk, WmaFailuresNameTheStepOrTheFieldAndTheFile) {
    const std::string readOnly = TaggedWma("ro.wma", "읽기 전용");
    const std::string wide = TaggedWma("long.wma", "짧은 제목");
    AddRow(readOnly);
    AddRow(wide);
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    const auto readOnlyBytes = test::FileBytes(readOnly);
    TagWindow* w = Open({0, 1});
    ASSERT_NE(w, nullptr);
    w->field(kTitle)->setText("새 제목");
    ASSERT_TRUE(WriteAndWait(w));
    EXPECT_EQ(messages, std::vector<std::string>{"Open메소드를 실행할 수 없습니다.: 0x80070005\nro.wma"});
    EXPECT_EQ(test::FileBytes(readOnly), readOnlyBytes);

    ASSERT_EQ(w->pathEdit()->text().toStdString(), wide);
    w->field(kTitle)->setText(QString(255, QChar(u'가')));
    w->field(kAlbum)->setText("새 앨범");
    ASSERT_TRUE(WriteAndWait(w));
    EXPECT_EQ(messages, (std::vector<std::string>{"Open메소드를 실행할 수 없습니다.: 0x80070005\nro.wma",
                                                  "Title를 변경할수 없습니다.: 0x8007007a\nlong.wma"}));
    EXPECT_EQ(ReadWmaTags(wide).title, "짧은 제목");
    EXPECT_EQ(Asf(wide, "WM/AlbumTitle"), "새 앨범");
    EXPECT_EQ(sink.UpdatedRows(), std::vector<int>{1});
}

// "Get List Item" with the window closed opens it again on the entry at its cursor, in
// that entry's mode; past the last entry it opens nothing.
TEST_F(TagWindowWalk, GetListItemOpensTheClosedWindowAtItsEntry) {
    const std::string ogg = TaggedOgg("a.ogg", {"TITLE=오그"});
    const std::string wma = TaggedWma("b.wma", "웨마");
    AddRow(ogg);
    AddRow(wma);
    const auto closeWindow = [this] {
        editors.tagWindow()->close();
        return test::WaitUntilWithEvents([&] { return editors.tagWindow() == nullptr; });
    };
    ASSERT_NE(Open({0, 1}), nullptr);
    ASSERT_TRUE(closeWindow());
    sink.Send(cmd::ShowTagEntry, {});
    ASSERT_NE(editors.tagWindow(), nullptr);
    EXPECT_EQ(editors.tagWindow()->windowTitle(), "OGG Tag");
    EXPECT_EQ(editors.tagWindow()->pathEdit()->text().toStdString(), ogg);
    ASSERT_TRUE(WriteAndWait(editors.tagWindow()));
    ASSERT_TRUE(closeWindow());

    sink.Send(cmd::ShowTagEntry, {});
    ASSERT_NE(editors.tagWindow(), nullptr);
    EXPECT_EQ(editors.tagWindow()->windowTitle(), "WMA Tag");
    EXPECT_EQ(editors.tagWindow()->field(kTitle)->text(), "웨마");
    ASSERT_TRUE(WriteAndWait(editors.tagWindow()));
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return editors.tagWindow() == nullptr; })) << "closed after the last";
    sink.Send(cmd::ShowTagEntry, {});
    EXPECT_EQ(editors.tagWindow(), nullptr);
    EXPECT_TRUE(messages.empty());
}

// A bare "Update Tag" (another program's) re-titles the row the open editor wrote last:
// nothing before it has written, and nothing once it is closed.
TEST_F(TagWindowWalk, BareUpdateTagRetitlesWhatTheOpenEditorWroteLast) {
    const std::string mp3 = media.makeAudio("a.mp3", "mp3");
    const std::string ogg = TaggedOgg("b.ogg", {"TITLE=오그", "ARTIST=가수"});
    AddRow(mp3);
    AddRow(ogg);
    AddRow(TaggedOgg("c.ogg", {"TITLE=셋"}));
    const auto retitle = [this](int row) {
        model.UpdateTitle(row, model.GetEntryField(row, kColumnPath), "다른 제목");
        sink.Send(cmd::UpdateTag, {});
        return RowTitle(row);
    };
    selected = {0, 1, 2};
    editors.ShowFileInfo();
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return editors.mp3Dialog() != nullptr; }));
    Mp3TagDialog* d = editors.mp3Dialog();
    EXPECT_EQ(retitle(0), "다른 제목") << "the MP3 editor has written nothing yet";
    d->v2Box()->setChecked(true);
    d->combo(Mp3Field::Title)->setEditText("엠피삼");
    ASSERT_TRUE(WaitForSignal(d, &Mp3TagDialog::saveFinished, [d] { d->Save(); }));
    EXPECT_EQ(retitle(0), "엠피삼");

    d->close();
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return editors.tagWindow() != nullptr; }));
    EXPECT_EQ(retitle(0), "다른 제목") << "the MP3 editor is closed";
    EXPECT_EQ(retitle(1), "다른 제목") << "the tag window has written nothing yet";
    editors.tagWindow()->field(kTitle)->setText("새 오그");
    ASSERT_TRUE(WriteAndWait(editors.tagWindow()));
    EXPECT_EQ(retitle(1), "새 오그 - 가수");
    editors.tagWindow()->close();
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return editors.tagWindow() == nullptr; }));
    EXPECT_EQ(retitle(1), "다른 제목") << "the tag window is closed";
    EXPECT_TRUE(messages.empty());
}

TEST_F(TagWindowWalk, NothingOpensWhenTheFirstOtherRowIsNoTaggedKind) {
    AddRow(media.makeAudio("a.wav", "wav"));
    AddRow(TaggedOgg("b.ogg", {"TITLE=x"}));
    EXPECT_EQ(Open({0, 1}), nullptr);
    selected = {1};
    editors.ShowFileInfo();
    EXPECT_NE(editors.tagWindow(), nullptr);
}

// Korean text in every field of an OGG and a WMA file comes back through the readers.
TEST_F(TagWindowWalk, KoreanInEveryFieldRoundTrips) {
    const std::string ogg = TaggedOgg("a.ogg", {"TITLE=x"});
    const std::string wma = TaggedWma("b.wma", "y");
    AddRow(ogg);
    AddRow(wma);
    TagWindow* w = Open({0, 1});
    ASSERT_NE(w, nullptr);
    TagRecord expected;
    expected.title = "노래 제목";
    expected.artist = "가수 이름";
    expected.album = "앨범 이름";
    expected.track = "7";
    expected.year = "2024";
    expected.genre = "트로트";
    expected.comment = "긴 설명입니다";
    const std::array<std::string TagRecord::*, 7> order = {&TagRecord::title, &TagRecord::artist, &TagRecord::album,
                                                           &TagRecord::track, &TagRecord::year,   &TagRecord::genre,
                                                           &TagRecord::comment};
    for (int file = 0; file < 2; ++file) {
        for (size_t i = 0; i < order.size(); ++i)
            w->field(static_cast<int>(i))->setText(QString::fromStdString(expected.*order[i]));
        ASSERT_TRUE(WriteAndWait(w));
    }
    EXPECT_EQ(ReadOggTagsChecked(ogg).record, expected);
    EXPECT_EQ(ReadWmaTagsChecked(wma).record, expected);
    EXPECT_TRUE(messages.empty());
}

// MP3 rows go to the MP3 editor first; the tag window follows when it closes.
TEST_F(TagWindowWalk, OpensAfterTheMp3EditorCloses) {
    AddRow(TaggedOgg("a.ogg", {"TITLE=오그"}));
    AddRow(media.makeAudio("b.mp3", "mp3"));
    selected = {0, 1};
    editors.ShowFileInfo();
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return editors.mp3Dialog() != nullptr; }));
    EXPECT_EQ(editors.tagWindow(), nullptr);
    editors.mp3Dialog()->close();
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return editors.tagWindow() != nullptr; }));
    EXPECT_EQ(editors.tagWindow()->field(kTitle)->text(), "오그");
    EXPECT_EQ(editors.mp3Dialog(), nullptr);
}

TEST_F(TagWindowWalk, KeysAreTypedInFieldsAndCloseOutsideThem) {
    AddRow(TaggedOgg("a.ogg", {"TITLE=x"}));
    TagWindow* w = Open({0});
    ASSERT_NE(w, nullptr);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QLineEdit* title = w->field(kTitle);
    title->setFocus();
    title->clear();
    QTest::keyClicks(title, "CU");
    EXPECT_EQ(title->text(), "CU");
    QTest::keyClick(title, Qt::Key_Escape);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(sink.UpdatedRows().empty());
    w->pathEdit()->setFocus();  // read-only: no text is typed there
    QTest::keyClick(w->pathEdit(), Qt::Key_C);
    EXPECT_TRUE(test::WaitUntilWithEvents([&] { return editors.tagWindow() == nullptr; }));
    EXPECT_EQ(ReadOggTags(media.path("a.ogg")).title, "x") << "closing writes nothing";
}

}  // namespace
}  // namespace tavora
