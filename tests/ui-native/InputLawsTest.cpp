// Acceleration, the wheel's speed law, the value field's axis choice and the packed report.
#include <gtest/gtest.h>

#include "ui/controls/InputLaws.h"

namespace {

TEST(SliderAccelDelta, SquaredWithAStepOfOne) {
    EXPECT_EQ(5, SliderAccelDelta(3));
    EXPECT_EQ(-5, SliderAccelDelta(-3));
    EXPECT_EQ(1, SliderAccelDelta(1));
    EXPECT_EQ(-1, SliderAccelDelta(-1));
    EXPECT_EQ(3, SliderAccelDelta(2));
    EXPECT_EQ(51, SliderAccelDelta(10));
    EXPECT_EQ(0, SliderAccelDelta(0));
}

TEST(WheelChange, SpeedGrowsAsNotchesComeFaster) {
    EXPECT_EQ(1, WheelChange(120, 500));  // one notch per half second or slower
    EXPECT_EQ(1, WheelChange(120, 100000));
    EXPECT_EQ(5, WheelChange(120, 100));  // 100 ms apart: 5 per notch
    EXPECT_EQ(-5, WheelChange(-120, 100));
    EXPECT_EQ(2, WheelChange(120, 250));
    EXPECT_EQ(500, WheelChange(120, 1));
    EXPECT_EQ(500, WheelChange(120, 0));  // elapsed at least 1 ms
    EXPECT_EQ(500, WheelChange(120, -40));
}

TEST(WheelChange, StepsAreWholeNotchesSquaredWithSign) {
    EXPECT_EQ(4, WheelChange(240, 1000));
    EXPECT_EQ(-9, WheelChange(-360, 1000));
    EXPECT_EQ(1, WheelChange(30, 1000));  // part of a notch still moves by one
    EXPECT_EQ(-1, WheelChange(-30, 1000));
    EXPECT_EQ(-1, WheelChange(0, 1000));
    EXPECT_EQ(4 * 5, WheelChange(240, 100));
}

TEST(ChooseFieldDelta, HysteresisBetweenTheAxes) {
    bool vertical = false;
    EXPECT_EQ(5, ChooseFieldDelta(5, 3, &vertical));  // mostly sideways: stays horizontal
    EXPECT_FALSE(vertical);
    EXPECT_EQ(2, ChooseFieldDelta(2, 4, &vertical));  // |dy| = 2 |dx| is not enough
    EXPECT_FALSE(vertical);
    EXPECT_EQ(3, ChooseFieldDelta(1, 3, &vertical));  // switches to vertical
    EXPECT_TRUE(vertical);
    EXPECT_EQ(-1, ChooseFieldDelta(2, -1, &vertical));  // |dx| = 2 |dy|: stays vertical
    EXPECT_TRUE(vertical);
    EXPECT_EQ(-4, ChooseFieldDelta(-4, 1, &vertical));  // switches back
    EXPECT_FALSE(vertical);
    EXPECT_EQ(0, ChooseFieldDelta(0, 0, &vertical));
    EXPECT_FALSE(vertical);
}

TEST(FieldAccelDelta, SquaredWithSignIn16Bits) {
    EXPECT_EQ(-16, FieldAccelDelta(-4));
    EXPECT_EQ(9, FieldAccelDelta(3));
    EXPECT_EQ(0, FieldAccelDelta(0));
    EXPECT_EQ(static_cast<short>(300 * 300), FieldAccelDelta(300));
}

TEST(PackFieldAdjust, SignedDeltaInTheHighWord) {
    const std::uintptr_t packed = PackFieldAdjust(10000, -10);
    EXPECT_EQ(10000u, packed & 0xFFFFu);
    EXPECT_EQ(0xFFF6u, (packed >> 16) & 0xFFFFu);
    EXPECT_EQ(-10, UnpackFieldDelta(packed));
    EXPECT_EQ(17504, UnpackFieldDelta(PackFieldAdjust(1, 17504)));
    EXPECT_EQ(-17504, UnpackFieldDelta(PackFieldAdjust(1, -17504)));
    // Truncated to 16 bits when packed.
    EXPECT_EQ(static_cast<short>(70000 & 0xFFFF), UnpackFieldDelta(PackFieldAdjust(1, 70000)));
    EXPECT_EQ(0u, PackFieldAdjust(0, 0));
}

}  // namespace
