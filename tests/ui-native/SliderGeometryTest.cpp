// Thumb offsets and tick layouts of the slider.
#include <gtest/gtest.h>

#include <vector>

#include "ui/controls/SliderGeometry.h"

namespace {

std::vector<int> Values(int minimum, int maximum, int spacing, int offset,
                        std::vector<int>* majors = nullptr) {
    SliderTick ticks[64];
    const std::size_t count = SliderTicks(minimum, maximum, spacing, offset, ticks, 64);
    std::vector<int> values;
    for (std::size_t i = 0; i < count; ++i) {
        values.push_back(ticks[i].value);
        if (majors != nullptr && ticks[i].major) majors->push_back(ticks[i].value);
    }
    return values;
}

TEST(SliderOffset, RoundsToTheNearestPixel) {
    // The editor's sliders: 154 - 29 = 125 pixels for -361 .. 60.
    EXPECT_EQ(0, SliderOffset(-361, -361, 421, 125));
    EXPECT_EQ(125, SliderOffset(60, -361, 421, 125));
    EXPECT_EQ((361 * 125 + 210) / 421, SliderOffset(0, -361, 421, 125));
    EXPECT_EQ(107, SliderOffset(0, -361, 421, 125));
    EXPECT_EQ(63, SliderOffset(50, 0, 100, 125));  // (6250 + 50) / 100
    // Values outside the range are placed where the formula puts them.
    EXPECT_EQ(-12, SliderOffset(-10, 0, 100, 125));  // -1200 / 100, truncated
}

TEST(SliderOffset, RangeZeroStaysAtZero) {
    EXPECT_EQ(0, SliderOffset(5, 5, 0, 125));
    EXPECT_EQ(0, SliderOffset(1000, 0, 0, 125));
}

TEST(SliderTicks, DecibelLayoutWithOffsetOne) {
    std::vector<int> majors;
    std::vector<int> expected = {-361};
    for (int v = -340; v <= 60; v += 20) expected.push_back(v);
    EXPECT_EQ(expected, Values(-361, 60, 20, 1, &majors));
    EXPECT_EQ((std::vector<int>{-361, 0, 60}), majors);
}

TEST(SliderTicks, RoomSizeLayoutWithOffsetMinusOne) {
    std::vector<int> majors;
    EXPECT_EQ((std::vector<int>{1, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}),
              Values(1, 100, 10, -1, &majors));
    EXPECT_EQ((std::vector<int>{1, 100}), majors);
}

TEST(SliderTicks, LastTickAtTheMaximumWhenTheSpacingMissesIt) {
    EXPECT_EQ((std::vector<int>{0, 30, 60, 90, 100}), Values(0, 100, 30, 0));
    std::vector<int> majors;
    Values(0, 250, 25, 0, &majors);
    EXPECT_EQ((std::vector<int>{0, 250}), majors);
}

TEST(SliderTicks, NoTicksWithoutSpacingAndBoundedOutput) {
    EXPECT_TRUE(Values(0, 100, 0, 0).empty());
    EXPECT_TRUE(Values(0, 100, -5, 0).empty());
    SliderTick ticks[4];
    EXPECT_EQ(4u, SliderTicks(0, 1000, 1, 0, ticks, 4));
    EXPECT_EQ(0u, SliderTicks(0, 1000, 1, 0, ticks, 0));
    EXPECT_EQ((std::vector<int>{5}), Values(5, 5, 10, 0));  // a range of 0: one tick
}

}  // namespace
