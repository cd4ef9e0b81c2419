// The DSP effect dialog with recording sound effects: its trackbars, labels and the
// arithmetic they hand over, the reverse box and its two buttons.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <algorithm>
#include <functional>
#include <utility>

#include "DspEffectDialog.h"
#include "EffectRules.h"
#include "QtTestSupport.h"
#include "RecordingEffects.h"

namespace tavora {
namespace {

QPushButton* Button(QWidget& dialog, const QString& text) {
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

TEST(DspEffectDialogTest, TrackbarsRunFromMinusToPlusFifteenAndLabelTheirValue) {
    test::App();
    test::RecordingEffects effects;
    DspEffectDialog dialog(effects);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("DSP 효과"));
    for (QSlider* s : {dialog.tempo(), dialog.pitch(), dialog.speed()}) {
        EXPECT_EQ(s->minimum(), -15);
        EXPECT_EQ(s->maximum(), 15);
        EXPECT_EQ(s->pageStep(), 1);
        EXPECT_EQ(s->value(), 0);
    }
    EXPECT_EQ(dialog.label(0)->text(), QStringLiteral("0%"));
    dialog.show();
    EXPECT_TRUE(effects.dspOpen);
    dialog.speed()->setValue(10);
    EXPECT_EQ(dialog.label(2)->text(), QStringLiteral("10%"));
    ASSERT_FALSE(effects.dspValues.empty());
    const auto& v = effects.dspValues.back();
    DspValues values{true, v[0], v[1], v[2]};
    // Speed +10: tempo +10 % and pitch +10.
    EXPECT_EQ(DspTempo(values), 10);
    EXPECT_EQ(DspPitch(values), 10);
    dialog.tempo()->setValue(-3);
    EXPECT_EQ(dialog.label(0)->text(), QStringLiteral("-3%"));
    EXPECT_EQ(effects.dspValues.back(), (std::array<int, 3>{-3, 0, 10}));
}

TEST(DspEffectDialogTest, ReverseDefaultsAndConfirm) {
    test::App();
    test::RecordingEffects effects;
    DspEffectDialog dialog(effects);
    dialog.show();
    dialog.reverse()->click();
    EXPECT_TRUE(effects.reverse);
    EXPECT_TRUE(dialog.reverse()->isChecked());
    dialog.pitch()->setValue(5);
    ASSERT_NE(Button(dialog, QStringLiteral("기본값")), nullptr);
    Button(dialog, QStringLiteral("기본값"))->click();
    EXPECT_EQ(dialog.pitch()->value(), 0);
    EXPECT_EQ(dialog.label(1)->text(), QStringLiteral("0%"));
    EXPECT_FALSE(dialog.reverse()->isChecked());
    EXPECT_FALSE(effects.reverse);
    EXPECT_TRUE(dialog.isVisible());
    dialog.speed()->setValue(4);
    dialog.reverse()->click();
    Button(dialog, QStringLiteral("확인"))->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(effects.dspOpen);
    EXPECT_FALSE(effects.reverse);
    EXPECT_EQ(dialog.speed()->value(), 0);
    EXPECT_EQ(effects.calls.back(), "close");
}

TEST(DspEffectDialogTest, EveryWayOfClosingEndsTheEffects) {
    test::App();
    const std::pair<const char*, std::function<void(DspEffectDialog&)>> ways[] = {
        {"Escape", [](DspEffectDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"title bar", [](DspEffectDialog& d) { d.close(); }},
        {"확인", [](DspEffectDialog& d) { Button(d, QStringLiteral("확인"))->click(); }},
        {"accept", [](DspEffectDialog& d) { d.accept(); }},
    };
    for (const auto& [name, closeIt] : ways) {
        test::RecordingEffects effects;
        DspEffectDialog dialog(effects);
        dialog.show();
        dialog.speed()->setValue(5);
        dialog.reverse()->click();
        closeIt(dialog);
        EXPECT_FALSE(dialog.isVisible()) << name;
        EXPECT_FALSE(effects.dspOpen) << name;
        EXPECT_FALSE(effects.reverse) << name;
        ASSERT_FALSE(effects.calls.empty()) << name;
        EXPECT_EQ(effects.calls.back(), "close") << name;
        EXPECT_EQ(std::count(effects.calls.begin(), effects.calls.end(), "close"), 1) << name;
        EXPECT_EQ(dialog.speed()->value(), 0) << name;
    }
}

TEST(DspEffectDialogTest, OpeningAgainShowsTheSameDialog) {
    test::App();
    test::RecordingEffects effects;
    QWidget owner;
    DspEffectDialog* first = ShowDspEffectDialog(&owner, effects);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->size(), QSize(300, 290));
    first->speed()->setValue(3);
    first->close();
    EXPECT_FALSE(effects.dspOpen);
    DspEffectDialog* again = ShowDspEffectDialog(&owner, effects);
    EXPECT_EQ(again, first);
    EXPECT_TRUE(effects.dspOpen);
    EXPECT_EQ(again->speed()->value(), 0);
}

}  // namespace
}  // namespace tavora
