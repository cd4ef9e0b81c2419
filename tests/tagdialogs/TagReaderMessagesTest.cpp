// The tag readers' messages in the assembled player: the installed tag editors show them
// as message boxes on the UI thread, naming the file, one box at a time.
#include <QApplication>
#include <QMessageBox>

#include <atomic>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "DisplayTitle.h"
#include "MediaFiles.h"
#include "QtTestSupport.h"
#include "PlayerHarness.h"
#include "TagEditorsInstall.h"
#include "TempRegistry.h"

namespace tavora {
namespace {

std::vector<QMessageBox*> OpenBoxes() {
    std::vector<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) boxes.push_back(box);
    return boxes;
}

TEST(TagReaderMessages, ShownAsOneBoxAtATimeWithTheFilesName) {
    test::App();
    test::TempRegistry registry;
    setenv("XDG_RUNTIME_DIR", registry.dir().c_str(), 1);
    test::MediaFolder media;
    const std::string broken = media.writeBytes("broken.ogg", {'n', 'o', 't', ' ', 'o', 'g', 'g'});
    auto player = std::make_unique<test::PlayerHarness>(std::vector<std::string_view>{});
    tag_editors::Create(player->context(), nullptr);

    // A title pass over many broken files on a worker: one box, for the first of them.
    std::atomic<bool> done = false;
    std::thread pass([&] {
        for (int i = 0; i < 2000; ++i) ReadDisplayTitle(broken, TitleSettings{});
        done = true;
    });
    const bool shown = test::WaitUntilWithEvents([&] { return done && !OpenBoxes().empty(); });
    pass.join();
    ASSERT_TRUE(shown);
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(OpenBoxes().size(), 1u);
    EXPECT_EQ(OpenBoxes().front()->text(), "OGG File open failed\nbroken.ogg");

    // Once it is closed, the next failure is shown.
    OpenBoxes().front()->close();
    ASSERT_TRUE(test::WaitUntilWithEvents([] { return OpenBoxes().empty(); }));
    ReadDisplayTitle(media.path("gone.ogg"), TitleSettings{});
    ASSERT_TRUE(test::WaitUntilWithEvents([] { return OpenBoxes().size() == 1; }));
    EXPECT_EQ(OpenBoxes().front()->text(), "  실패 \ngone.ogg");

    // The player gone, the readers' messages go to the log only; its box went with it.
    player.reset();
    EXPECT_TRUE(OpenBoxes().empty());
    ReadDisplayTitle(broken, TitleSettings{});
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(OpenBoxes().empty());
}

}  // namespace
}  // namespace tavora
