// The spectrum analyser on known spectra: targets from the bins, bars rising and
// falling two pixels a step, peaks riding above and sinking slowly, bounds.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <vector>

#include "FrequencyBars.h"

using tavora::mainwin::FrequencyBars;

namespace {
// The default skin's geometry: a 101 x 19 ground and 5 x 19 bars.
FrequencyBars Default() {
    FrequencyBars a;
    a.SetGeometry(101, 19, 5, 19);
    return a;
}
}  // namespace

TEST(FrequencyBars, TargetsComeFromShiftedBins) {
    FrequencyBars a = Default();
    EXPECT_EQ(a.dataBars(), 20);
    std::vector<float> bins(256, 0.0f);
    for (int b = 0; b < 256; ++b) bins[b] = b * 0.001f;
    a.Feed(bins.data(), 256);
    // target = (Hg + 2) - Hg * magnitude * 10, truncated.
    auto expected = [](int bin) { return static_cast<int>(21 - 19 * (bin * 0.001f) * 10); };
    EXPECT_EQ(a.target(0), expected(6)) << "bars 0-5 read bins 6-11";
    EXPECT_EQ(a.target(5), expected(11));
    EXPECT_EQ(a.target(6), expected(0)) << "bars 6-11 read bins 0-5";
    EXPECT_EQ(a.target(11), expected(5));
    EXPECT_EQ(a.target(12), expected(12));
    EXPECT_EQ(a.target(19), expected(19));
    EXPECT_EQ(a.target(20), 19) << "bars past the ground keep their empty target";
}

TEST(FrequencyBars, BarsRiseAndFallTwoPixelsAStepWithPeaksAbove) {
    FrequencyBars a = Default();
    std::vector<float> loud(256, 0.0f);
    loud[6] = 0.1f;  // bar 0: target 21 - 19 = 2, the tallest bar
    a.Feed(loud.data(), 256);
    EXPECT_EQ(a.level(0), 19);
    ASSERT_TRUE(a.Step(true));
    EXPECT_EQ(a.level(0), 17);
    EXPECT_EQ(a.peak(0), 15) << "the peak sits two pixels above the bar";
    for (int i = 0; i < 19; ++i) a.Step(true);
    EXPECT_EQ(a.level(0), 3) << "rises while more than two pixels below the target, then wobbles";
    EXPECT_EQ(a.peak(0), 1);

    // Silence: the bar falls two pixels a step; the peak holds until the bar is more
    // than ten pixels below it, then sinks one pixel a step.
    std::vector<float> quiet(256, 0.0f);
    a.Feed(quiet.data(), 256);  // target 21: below the area
    a.Step(true);
    EXPECT_EQ(a.level(0), 5);
    EXPECT_EQ(a.peak(0), 1);
    for (int i = 0; i < 4; ++i) a.Step(true);
    EXPECT_EQ(a.level(0), 13);
    EXPECT_EQ(a.peak(0), 2) << "began sinking once more than ten pixels above the bar";
    for (int i = 0; i < 3; ++i) a.Step(true);
    EXPECT_EQ(a.level(0), 19);
    EXPECT_EQ(a.peak(0), 5);
    for (int i = 0; i < 4; ++i) a.Step(true);
    EXPECT_EQ(a.peak(0), 9);
    a.Step(true);
    EXPECT_EQ(a.level(0), 19);
    EXPECT_EQ(a.peak(0), 19) << "an empty bar takes its peak down with it";
    EXPECT_FALSE(a.Step(true)) << "nothing moves on silence: no repaint needed";
}

TEST(FrequencyBars, StoppingEmptiesEveryBar) {
    FrequencyBars a = Default();
    std::vector<float> loud(256, 0.1f);
    a.Feed(loud.data(), 256);
    for (int i = 0; i < 5; ++i) a.Step(true);
    EXPECT_LT(a.level(3), 19);
    EXPECT_TRUE(a.Step(false));
    for (int i = 0; i < a.columns(); ++i) {
        EXPECT_EQ(a.level(i), 19);
        EXPECT_EQ(a.peak(i), 19);
    }
    EXPECT_FALSE(a.Reset());
}

TEST(FrequencyBars, FailedFetchDropsTheBars) {
    FrequencyBars a = Default();
    a.FetchFailed();
    EXPECT_EQ(a.level(0), 29);
    EXPECT_EQ(a.level(15), 29) << "101 / (5 + 1) = 16 bars";
    EXPECT_EQ(a.level(16), 19);
    a.Step(true);
    EXPECT_EQ(a.level(0), 27) << "below the area: nothing shows";
    for (int i = 0; i < 4; ++i) a.Step(true);
    EXPECT_EQ(a.level(0), 19);
}

TEST(FrequencyBars, SkinsBeyondTheArraysAreBounded) {
    FrequencyBars a;
    a.SetGeometry(5000, 40, 1, 400);  // 5000 bars wide, 400 columns tall
    EXPECT_EQ(a.dataBars(), FrequencyBars::kSlots);
    EXPECT_EQ(a.columns(), FrequencyBars::kSlots);
    std::vector<float> bins(256, 0.05f);
    a.Feed(bins.data(), 256);  // bars 256..259 have no bin: untouched
    EXPECT_EQ(a.target(259), 400);
    const float odd[3] = {std::nanf(""), INFINITY, -1e30f};
    a.Feed(odd, 3);  // bins 6.. are missing: only what exists is read
    for (int i = 0; i < 50; ++i) a.Step(true);

    FrequencyBars nan;
    nan.SetGeometry(101, 19, 5, 19);
    std::vector<float> bad(256, std::nanf(""));
    bad[6] = INFINITY;
    nan.Feed(bad.data(), 256);
    EXPECT_EQ(nan.target(0), 21) << "non-numbers count as silence";
}

TEST(FrequencyBars, PaintsOnlyColumnsInsideTheGround) {
    // A bar image taller than the ground is wide in bars: 19 columns, 17 fit.
    FrequencyBars a = Default();
    EXPECT_EQ(a.columns(), 19);
    EXPECT_TRUE(a.ColumnFits(16));
    EXPECT_FALSE(a.ColumnFits(17));
    std::vector<float> loud(256, 0.1f);
    a.Feed(loud.data(), 256);
    for (int i = 0; i < 12; ++i) a.Step(true);

    QImage ground(101, 19, QImage::Format_RGB32);
    ground.fill(Qt::black);
    QImage bar(5, 19, QImage::Format_RGB32);
    bar.fill(Qt::green);
    QImage out(101, 19, QImage::Format_RGB32);
    {
        QPainter p(&out);
        a.Paint(p, ground, bar);
    }
    EXPECT_EQ(out.pixel(2, 18), QColor(Qt::green).rgb()) << "bar 0 drawn";
    EXPECT_EQ(out.pixel(5, 18), QColor(Qt::black).rgb()) << "one-pixel gap";
    EXPECT_EQ(out.pixel(16 * 6 + 2, 18), QColor(Qt::green).rgb()) << "bar 16 fits";
    EXPECT_EQ(out.pixel(2, 0), QColor(Qt::black).rgb()) << "bars stop two pixels from the top";
}
