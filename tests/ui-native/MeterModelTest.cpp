// The level meter's ballistics, lit rows and peak readout numbers.
#include <gtest/gtest.h>

#include <string>

#include "ui/controls/MeterModel.h"

namespace {

TEST(MeterLevels, WithoutBallisticsLevelsAreTakenAsTheyCome) {
    MeterLevels m;
    UpdateMeterLevels(&m, -100, -200, false, 20);
    UpdateMeterLevels(&m, -300, -50, false, 20);
    EXPECT_EQ(-300, m.levelA);
    EXPECT_EQ(-50, m.levelB);
    EXPECT_EQ(kMeterSilence, m.holdA);
    EXPECT_EQ(kMeterSilence, m.maxA);  // maxima follow only with ballistics
}

TEST(MeterLevels, BarFallsHoldStaysThirtyUpdatesThenFallsUntilCaught) {
    MeterLevels m;
    UpdateMeterLevels(&m, -100, kMeterSilence, true, 20);
    EXPECT_EQ(-100, m.levelA);
    EXPECT_EQ(-100, m.holdA);
    EXPECT_EQ(-100, m.maxA);
    EXPECT_EQ(kMeterSilence, m.maxB);
    for (int update = 1; update <= 30; ++update) {
        UpdateMeterLevels(&m, kMeterSilence, kMeterSilence, true, 20);
        EXPECT_EQ(-100 - 20 * update, m.levelA);
        EXPECT_EQ(-100, m.holdA) << update;
    }
    // Now the hold falls by 30 per update while the bar falls by 20.
    int hold = -100;
    int level = -700;
    int update = 0;
    while (hold - 30 >= level - 20) {
        UpdateMeterLevels(&m, kMeterSilence, kMeterSilence, true, 20);
        hold -= 30;
        level -= 20;
        ++update;
        ASSERT_EQ(hold, m.holdA);
        ASSERT_EQ(level, m.levelA);
    }
    EXPECT_EQ(60, update);
    // The next update drops the hold below the bar: it is caught and held again.
    UpdateMeterLevels(&m, kMeterSilence, kMeterSilence, true, 20);
    EXPECT_EQ(level - 20, m.levelA);
    EXPECT_EQ(m.levelA, m.holdA);
    EXPECT_EQ(kMeterHoldUpdates, m.holdCountA);
    EXPECT_EQ(-100, m.maxA);
}

TEST(MeterLevels, PeakShowsAtOnceAndMaximaKeepTheHighest) {
    MeterLevels m;
    UpdateMeterLevels(&m, -300, -250, true, 20);
    UpdateMeterLevels(&m, -50, -400, true, 20);
    EXPECT_EQ(-50, m.levelA);
    EXPECT_EQ(-270, m.levelB);
    EXPECT_EQ(-50, m.maxA);
    EXPECT_EQ(-250, m.maxB);
    EXPECT_EQ(-50, m.holdA);
    EXPECT_EQ(-250, m.holdB);
    EXPECT_EQ(29, m.holdCountB);
}

TEST(MeterLitStart, RowsOfTheEditorsMeter) {
    // Range -600 .. 0, height 144: h = 140.
    EXPECT_EQ(70, MeterLitStart(-300, -600, 0, 140, true));
    EXPECT_EQ(0, MeterLitStart(0, -600, 0, 140, true));
    EXPECT_EQ(0, MeterLitStart(120, -600, 0, 140, true));      // above the maximum: all rows
    EXPECT_GE(MeterLitStart(-9999, -600, 0, 140, true), 140);  // silence: none
    EXPECT_EQ(140, MeterLitStart(-600, -600, 0, 140, true));
    // Inverted: the lit length stands for the distance to the maximum.
    EXPECT_EQ(140, MeterLitStart(0, -600, 0, 140, false));
    EXPECT_EQ(0, MeterLitStart(-600, -600, 0, 140, false));
    EXPECT_EQ(0, MeterLitStart(-9999, -600, 0, 140, false));
    // Half-way values round up: (-299 + 600) x 140 / 600 = 70.23 -> 70; -297 -> 70.7 -> 71.
    EXPECT_EQ(70, MeterLitStart(-299, -600, 0, 140, true));
    EXPECT_EQ(69, MeterLitStart(-297, -600, 0, 140, true));
    EXPECT_EQ(140, MeterLitStart(5, 3, 3, 140, true));  // a range of 0 lights nothing
}

TEST(PeakText, NumbersAndGap) {
    char text[16];
    FormatPeakLevel(-9999, text, sizeof(text));
    EXPECT_EQ(std::string("-Inf"), text);
    FormatPeakLevel(-1000, text, sizeof(text));
    EXPECT_EQ(std::string("-Inf"), text);
    FormatPeakLevel(-999, text, sizeof(text));
    EXPECT_EQ(std::string("-99.9"), text);
    FormatPeakLevel(-35, text, sizeof(text));
    EXPECT_EQ(std::string("-3.5"), text);
    FormatPeakLevel(0, text, sizeof(text));
    EXPECT_EQ(std::string("0.0"), text);
    FormatPeakLevel(-5, text, sizeof(text));
    EXPECT_EQ(std::string("-0.5"), text);
    EXPECT_EQ(5, PeakTextGap(16, 16));  // (47 - 32) / 3
    EXPECT_EQ(4, PeakTextGap(17, 16));
    EXPECT_EQ(1, PeakTextGap(30, 30));  // at least one space
    EXPECT_EQ(1, PeakTextGap(22, 22));  // (47 - 44) / 3 = 1
}

}  // namespace
