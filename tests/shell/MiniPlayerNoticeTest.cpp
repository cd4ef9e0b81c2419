// The mini player notice: shown until OK is pressed with the box ticked.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>

#include "MiniPlayerNotice.h"
#include "QtTestSupport.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "TempRegistry.h"

using namespace tavora;

TEST(MiniPlayerNoticeTest, ShownUntilOkWithTheBoxTicked) {
    test::App();
    test::TempRegistry reg;
    EXPECT_TRUE(MiniPlayerNoticeWanted());  // missing counts as 0
    {
        MiniPlayerNotice notice;
        EXPECT_EQ(notice.windowTitle(), QStringLiteral("타보라 미니 플레이어"));
        notice.accept();  // OK, box not ticked
    }
    EXPECT_EQ(ReadRegDword(keys::kView, "MiniPlayerInfo"), 0);
    EXPECT_TRUE(MiniPlayerNoticeWanted());
    {
        MiniPlayerNotice notice;
        notice.dontShowAgain().setChecked(true);
        notice.accept();
    }
    EXPECT_EQ(ReadRegDword(keys::kView, "MiniPlayerInfo"), 1);
    EXPECT_FALSE(MiniPlayerNoticeWanted());
}

TEST(MiniPlayerNoticeTest, ClosingAnyOtherWayWritesNothing) {
    test::App();
    test::TempRegistry reg;
    {
        MiniPlayerNotice notice;
        notice.dontShowAgain().setChecked(true);
        notice.reject();  // Escape or the close box
    }
    EXPECT_EQ(ReadRegDword(keys::kView, "MiniPlayerInfo"), kMissingDword);
    EXPECT_TRUE(MiniPlayerNoticeWanted());
}

TEST(MiniPlayerNoticeTest, PlacedLeftOfAndAboveTheScreenCentre) {
    test::App();
    test::TempRegistry reg;
    MiniPlayerNotice notice;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(notice.pos(), QPoint(screen.width() / 2 - 200, screen.height() / 2 - 250));
}
