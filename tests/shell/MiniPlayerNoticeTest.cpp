// The mini player notice: shown until OK is pressed with the box ticked.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>

#include "MiniPlayerNotice.h"
#include "QtTestSupport.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "Settings.h"
#include "TempRegistry.h"

using namespace tavora;

TEST(MiniPlayerNoticeTest, ShownUntilOkWithTheBoxTicked) {
    test::App();
    test::TempRegistry reg;
    Settings settings;
    EXPECT_TRUE(MiniPlayerNoticeWanted(settings));  // missing counts as 0
    {
        MiniPlayerNotice notice(settings);
        EXPECT_EQ(notice.windowTitle(), QStringLiteral("타보라 미니 플레이어"));
        notice.accept();  // OK, box not ticked
    }
    EXPECT_EQ(ReadRegDword(keys::kView, "MiniPlayerInfo"), 0);
    EXPECT_TRUE(MiniPlayerNoticeWanted(settings));
    {
        MiniPlayerNotice notice(settings);
        notice.dontShowAgain().setChecked(true);
        notice.accept();
    }
    EXPECT_EQ(ReadRegDword(keys::kView, "MiniPlayerInfo"), 1);
    EXPECT_FALSE(MiniPlayerNoticeWanted(settings));
}

TEST(MiniPlayerNoticeTest, ClosingAnyOtherWayWritesNothing) {
    test::App();
    test::TempRegistry reg;
    Settings settings;
    {
        MiniPlayerNotice notice(settings);
        notice.dontShowAgain().setChecked(true);
        notice.reject();  // Escape or the close box
    }
    EXPECT_EQ(ReadRegDword(keys::kView, "MiniPlayerInfo"), kMissingDword);
    EXPECT_TRUE(MiniPlayerNoticeWanted(settings));
}

TEST(MiniPlayerNoticeTest, PlacedLeftOfAndAboveTheScreenCentre) {
    test::App();
    test::TempRegistry reg;
    Settings settings;
    MiniPlayerNotice notice(settings);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(notice.pos(), QPoint(screen.width() / 2 - 200, screen.height() / 2 - 250));
}
