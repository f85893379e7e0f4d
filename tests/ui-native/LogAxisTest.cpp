// The logarithmic axes of the frequency and reverb-time displays.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/controls/LogAxis.h"

namespace {

const LogAxis kFreq = MakeLogAxis(19.0, 22100.0);
const LogAxis kTime = MakeLogAxis(60.0, 40000.0);

TEST(LogAxis, FrequencyDrawingAxisOfTheEditorsDisplay) {
    // Width 154: the drawing axis starts at x = 3 and is 148 pixels wide.
    EXPECT_EQ(3, AxisPosition(kFreq, 19, 3, 148));
    EXPECT_EQ(86, AxisPosition(kFreq, 1000, 3, 148));
    EXPECT_EQ(151, AxisPosition(kFreq, 22100, 3, 148));
    // Below 1 Hz counts as 1 Hz; below the axis the position is truncated toward zero.
    EXPECT_EQ(AxisPosition(kFreq, 1, 3, 148), AxisPosition(kFreq, 0, 3, 148));
}

TEST(LogAxis, FrequenciesOfMousePositions) {
    // Mouse axis: x = 2 over 150 pixels.
    EXPECT_EQ(19, AxisValue(kFreq, 2, 2, 150));
    EXPECT_EQ(22100, AxisValue(kFreq, 152, 2, 150));
    const int x = AxisPosition(kFreq, 3000, 2, 150);
    EXPECT_LE(AxisValue(kFreq, x, 2, 150), 3000);
    EXPECT_GT(AxisValue(kFreq, x + 1, 2, 150), 3000);
}

TEST(LogAxis, TimeGrowsUpward) {
    // Reverb-time drawing plot of 154 x 90: bottom at 86, 82 pixels tall.
    EXPECT_EQ(86, AxisPositionUp(kTime, 60, 86, 82));
    EXPECT_EQ(4, AxisPositionUp(kTime, 40000, 86, 82));
    const int y1500 = AxisPositionUp(kTime, 1500, 86, 82);
    EXPECT_GT(y1500, 4);
    EXPECT_LT(y1500, 86);
    EXPECT_EQ(60, AxisValueUp(kTime, 86, 86, 82));
    EXPECT_GT(AxisValueUp(kTime, y1500 - 1, 86, 82), AxisValueUp(kTime, y1500, 86, 82));
    // The whole expression is truncated: 86 - 37.2... gives 48, not 49.
    const double exact = 86 - (std::log10(1500.0) - std::log10(60.0)) * 82 /
                                  (std::log10(40000.0) - std::log10(60.0));
    EXPECT_EQ(static_cast<int>(exact), y1500);
}

TEST(LogAxis, ZeroLengthAxisGivesItsOrigin) {
    EXPECT_EQ(19, AxisValue(kFreq, 50, 2, 0));
    EXPECT_EQ(60, AxisValueUp(kTime, 50, 86, 0));
}

}  // namespace
