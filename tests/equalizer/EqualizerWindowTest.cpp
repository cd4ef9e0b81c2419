// The equaliser window on both shipped skins, with a recording command sink and
// recording sound effects (no controller, no engine): slider geometry, presses, the
// presets and their menu, the on/off button, tooltips, keys, the stored values and
// the slide against the main window.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMenu>
#include <QTest>

#include <functional>
#include <map>
#include <utility>

#include "CommandSink.h"
#include "Commands.h"
#include "RecordingEffects.h"
#include "RecordingSink.h"
#include "EqualizerSlide.h"
#include "EqualizerWindow.h"
#include "PlayerEvents.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "SkinBitmap.h"
#include "SkinSelection.h"
#include "SkinTestSupport.h"
#include "StateView.h"
#include "TempRegistry.h"

namespace tavora {
namespace {

using test::RecordingSink;

class EqualizerWindowTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        test::App();
        CurrentSkinFolder = test::GeneratedSkin(GetParam());
        CurrentSkinFile = CurrentSkinFolder + "/TavoraSkin.xml";
        window_ = std::make_unique<EqualizerWindow>(sink_, effects_, events_);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }
    void TearDown() override { window_.reset(); }

    QPoint SliderPoint(int slider, int y) const { return QPoint(window_->SliderPressArea(slider).center().x(), y); }
    void Drag(int slider, int fromY, int toY) {
        QTest::mousePress(window_.get(), Qt::LeftButton, {}, SliderPoint(slider, fromY));
        QTest::mouseMove(window_.get(), SliderPoint(slider, toY));
        QTest::mouseRelease(window_.get(), Qt::LeftButton, {}, SliderPoint(slider, toY));
    }

    test::TempRegistry reg_;
    RecordingSink sink_;
    test::RecordingEffects effects_;
    PlayerEvents events_;
    std::unique_ptr<EqualizerWindow> window_;
};

TEST_P(EqualizerWindowTest, SkinGivesEveryPartItsPlace) {
    EXPECT_GT(window_->fullWidth(), 100);
    EXPECT_EQ(window_->width(), window_->fullWidth());
    const eq::SliderGeometry& g = window_->geometry();
    EXPECT_GT(g.trackLength, 24);
    EXPECT_GT(g.thumbHeight, 0);
    for (int k = 1; k <= eq::kSliderCount; ++k) {
        const QRect area = window_->SliderPressArea(k);
        EXPECT_TRUE(window_->rect().contains(area)) << k;
        // Every slider has a column of its own.
        for (int other = 1; other < k; ++other) EXPECT_FALSE(area.intersects(window_->SliderPressArea(other))) << k;
    }
    EXPECT_FALSE(window_->PresetsButtonArea().isEmpty());
    EXPECT_FALSE(window_->OnOffButtonArea().isEmpty());
}

TEST_P(EqualizerWindowTest, PresetsSetEngineGainsAndSliderPositions) {
    for (int index = 0; index < eq::kPresetCount; ++index) {
        window_->SelectPreset(index);
        const eq::Gains& gains = eq::Presets()[static_cast<size_t>(index)].gains;
        for (int band = 0; band < eq::kBandCount; ++band) {
            const int gain = gains[static_cast<size_t>(band)];
            EXPECT_EQ(effects_.bandGains[band], gain);
            EXPECT_EQ(window_->sliderOffset(eq::SliderOfBand(band)), window_->geometry().PositionOf(gain));
        }
    }
}

TEST_P(EqualizerWindowTest, AClickThatLeavesTheThumbWhereItIsKeepsTheGain) {
    const int top = window_->geometry().trackTop;
    for (int index = 0; index < eq::kPresetCount; ++index) {
        window_->SelectPreset(index);
        const eq::Gains& gains = eq::Presets()[static_cast<size_t>(index)].gains;
        for (int k = 1; k <= eq::kBandCount; ++k) {
            const int offset = window_->sliderOffset(k);
            Drag(k, top + offset, top + offset);
            const int band = eq::BandOfSlider(k);
            const int gain = gains[static_cast<size_t>(band)];
            EXPECT_EQ(window_->sliderOffset(k), offset) << "preset " << index << " slider " << k;
            EXPECT_EQ(window_->gains()[static_cast<size_t>(band)], gain) << "preset " << index << " slider " << k;
            EXPECT_EQ(effects_.bandGains[band], gain) << "preset " << index << " slider " << k;
            EXPECT_EQ(window_->TooltipAt(window_->SliderPressArea(k).center()),
                      QString::fromStdString(eq::SliderTooltip(k, gain)));
        }
    }
}

TEST_P(EqualizerWindowTest, SoftShowsFourOnTwelveKAndFiveOnFourteenK) {
    window_->OnWindowCommand(32800);
    EXPECT_EQ(effects_.bandGains[7], 4);
    EXPECT_EQ(effects_.bandGains[8], 5);
    const QRect twelve = window_->SliderPressArea(3), fourteen = window_->SliderPressArea(2);
    EXPECT_EQ(window_->TooltipAt(twelve.center()), QStringLiteral("Equalizer 12K: 4"));
    EXPECT_EQ(window_->TooltipAt(fourteen.center()), QStringLiteral("Equalizer 14K: 5"));
    // No controller command for a preset (32787 is no "file create" here either).
    window_->OnWindowCommand(32787);
    EXPECT_TRUE(sink_.sent.empty());
}

TEST_P(EqualizerWindowTest, PressAboveTheTrackTopPutsEverySliderAtItsTop) {
    for (int k = 1; k <= eq::kBandCount; ++k) {
        const QRect area = window_->SliderPressArea(k);
        ASSERT_LE(area.top(), window_->geometry().trackTop) << k;
        Drag(k, area.top(), area.top());
        EXPECT_EQ(window_->sliderOffset(k), 0) << k;
        EXPECT_EQ(effects_.bandGains[eq::BandOfSlider(k)], 12) << k;
    }
}

TEST_P(EqualizerWindowTest, DraggingABandStoresItsGainAlsoWhileTheEqualizerIsOff) {
    effects_.on = false;
    const eq::SliderGeometry& g = window_->geometry();
    const QRect area = window_->SliderPressArea(9);  // the 170 Hz slider
    // The track's middle reads 0 and anything below its end -13.
    const std::pair<int, int> dropGain[] = {{g.trackTop + g.FullScale() / 2, 0}, {area.bottom(), -13}};
    for (const auto& [y, gain] : dropGain) {
        Drag(9, g.trackTop + 2, y);
        EXPECT_EQ(effects_.bandGains[1], gain) << y;
        EXPECT_EQ(window_->gains()[1], gain) << y;
        EXPECT_EQ(window_->TooltipAt(area.center()), QString("Equalizer 170: %1").arg(gain));
    }
    EXPECT_EQ(effects_.toggles, 0);
}

TEST_P(EqualizerWindowTest, MasterSliderSendsTheMixerLevel) {
    window_->SetMasterVolume(0, 65535);
    // The controller writes the level and announces it back before the send returns.
    sink_.answer = [this](cmd::Command command, const CommandData& data) {
        if (command == cmd::VolumeSetting) window_->SetMasterVolume(static_cast<unsigned>(*data.value), 65535);
    };
    const eq::SliderGeometry& g = window_->geometry();
    const int half = g.FullScale() / 2;
    Drag(eq::kMasterSlider, g.trackTop + 1, g.trackTop + half);
    // The thumb stays where it was let go.
    EXPECT_EQ(window_->sliderOffset(eq::kMasterSlider), half);
    ASSERT_FALSE(sink_.sent.empty());
    EXPECT_EQ(sink_.sent.back().first, cmd::VolumeSetting);
    const unsigned expected = g.MasterLevel(half, 65535);
    EXPECT_EQ(sink_.sent.back().second.value, static_cast<int>(expected));
    EXPECT_EQ(window_->masterLevel(), expected);
    EXPECT_EQ(window_->TooltipAt(window_->SliderPressArea(eq::kMasterSlider).center()),
              QString("Master Volume: %1").arg(g.MasterPercent(half)));
    // The mixer moving elsewhere moves the slider.
    window_->SetMasterVolume(65535, 65535);
    EXPECT_EQ(window_->sliderOffset(eq::kMasterSlider), 0);
}

TEST_P(EqualizerWindowTest, OnOffButtonTogglesAndTooltipsNameTheButtons) {
    const QPoint onOff = window_->OnOffButtonArea().center();
    QTest::mouseClick(window_.get(), Qt::LeftButton, {}, onOff);
    EXPECT_FALSE(effects_.on);
    QTest::mouseClick(window_.get(), Qt::LeftButton, {}, onOff);
    EXPECT_TRUE(effects_.on);
    EXPECT_EQ(window_->TooltipAt(onOff), QStringLiteral("이퀄라이저 on/off"));
    EXPECT_EQ(window_->TooltipAt(window_->PresetsButtonArea().center()), QStringLiteral("프리셋"));
    EXPECT_EQ(window_->TooltipAt(QPoint(1, 1)), QString());
}

TEST_P(EqualizerWindowTest, PresetsMenuListsTheEighteenInOrderWithTheChosenChecked) {
    window_->SelectPreset(15);
    const auto items = window_->PresetMenuItems();
    ASSERT_EQ(items.size(), static_cast<size_t>(eq::kPresetCount));
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].first, eq::PresetMenuOrder()[i]);
        EXPECT_EQ(items[i].second, items[i].first == 15);
    }
    // The button opens it; choosing an item selects that preset.
    QTest::mouseClick(window_.get(), Qt::LeftButton, {}, window_->PresetsButtonArea().center());
    QMenu* menu = nullptr;
    ASSERT_TRUE(test::WaitUntilWithEvents(
        [&] { return (menu = window_->findChild<QMenu*>(QStringLiteral("presetsMenu"))) != nullptr; }));
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), eq::kPresetCount);
    EXPECT_EQ(actions[6]->text(), QStringLiteral("고음 강조"));
    EXPECT_TRUE(actions[14]->isChecked());
    actions[6]->trigger();
    EXPECT_EQ(window_->presetIndex(), 13);
    EXPECT_EQ(effects_.bandGains[9], 7);
}

TEST_P(EqualizerWindowTest, KeysPassTheMainWindowCommandsExceptTheVolumeOnes) {
    QTest::keyClick(window_.get(), Qt::Key_Space);
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    QTest::keyClick(window_.get(), Qt::Key_Z);     // back
    QTest::keyClick(window_.get(), Qt::Key_Up);    // volume up: not here
    QTest::keyClick(window_.get(), Qt::Key_Right); // ten seconds on
    // Space held down repeats its press: it plays (or pauses) once, not over and over.
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), /*autorep=*/true);
    QApplication::sendEvent(window_.get(), &held);
    EXPECT_EQ(sink_.Commands(), (std::vector<int>{cmd::Play, cmd::Back, cmd::TenSecNext}));
    EXPECT_TRUE(window_->isVisible());
}

// The shuffle and always-on-top keys send the other value than the one shown.
TEST_P(EqualizerWindowTest, ShuffleAndAlwaysOnTopKeysSendTheOtherValueThanTheStateShows) {
    test::StateView view;
    window_->SetView(&view);
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int shuffle, alwaysTop;
        cmd::Command command;
        int value;
    };
    const Case cases[] = {
        {Qt::Key_S, Qt::NoModifier, 0, 0, cmd::SetShuffle, 1},        {Qt::Key_S, Qt::NoModifier, 1, 1, cmd::SetShuffle, 0},
        {Qt::Key_T, Qt::ControlModifier, 0, 0, cmd::SetAlwaysTop, 1}, {Qt::Key_T, Qt::ControlModifier, 1, 1, cmd::SetAlwaysTop, 0},
    };
    for (const Case& c : cases) {
        sink_.sent.clear();
        view.state.shuffle = c.shuffle;
        view.state.alwaysTop = c.alwaysTop;
        QTest::keyClick(window_.get(), c.key, c.modifiers);
        EXPECT_EQ(sink_.Commands(), std::vector<int>{c.command}) << c.key;
        EXPECT_EQ(sink_.Values(c.command), std::vector<int>{c.value}) << c.key;
    }
    window_->SetView(nullptr);
}

TEST_P(EqualizerWindowTest, StoredValuesComeBackAndABadFirstValueMeansFlat) {
    window_->SelectPreset(10);
    window_->SaveSettings();
    EXPECT_EQ(ReadRegDword(keys::kEqualizerPreset, "mod"), 10);
    EXPECT_EQ(ReadRegDword(keys::kEqualizerPreset, "1"), 5);
    EXPECT_EQ(ReadRegDword(keys::kEqualizerPreset, "10"), 5);
    window_->SelectPreset(0);
    window_->RestoreStoredGains();
    EXPECT_EQ(window_->gains(), eq::Presets()[10].gains);
    EXPECT_EQ(window_->presetIndex(), 10);
    WriteRegDword(keys::kEqualizerPreset, "1", -21);
    window_->RestoreStoredGains();
    EXPECT_EQ(window_->gains(), eq::Gains{});
    EXPECT_EQ(effects_.bandGains[9], 0);
}

TEST_P(EqualizerWindowTest, SlideOpensAgainstTheMainWindowAndIgnoresRequestsMeanwhile) {
    window_->hide();
    const QRect main(100, 200, 300, 150);
    events_.AnnounceMainWindowRect(main);
    EqualizerSlide slide(*window_, events_);
    std::vector<bool> sliding;
    QObject::connect(&events_, &PlayerEvents::equalizerSlidingChanged, [&](bool s) { sliding.push_back(s); });
    ASSERT_TRUE(slide.Start(true));
    EXPECT_TRUE(events_.equalizerSliding());
    EXPECT_FALSE(slide.Start(false));
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return !slide.sliding(); }));
    EXPECT_EQ(sliding, (std::vector<bool>{true, false}));
    EXPECT_EQ(window_->width(), window_->fullWidth());
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(window_->pos(), EqualizerPlace(main, window_->height()));
    EXPECT_EQ(window_->pos().x(), 400);
    ASSERT_TRUE(slide.Start(false));
    ASSERT_TRUE(test::WaitUntilWithEvents([&] { return !slide.sliding(); }));
    EXPECT_FALSE(window_->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Skins, EqualizerWindowTest, ::testing::Values("Default", "Nimbus"));

}  // namespace
}  // namespace tavora
