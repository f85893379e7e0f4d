// The parser of typed decimal values.
#include <gtest/gtest.h>

#include "ui/controls/ParseTenths.h"

namespace {

TEST(ParseTenths, OneDecimal) {
    EXPECT_EQ(123, ParseTenths("12.34", 1));  // truncated, not rounded
    EXPECT_EQ(-5, ParseTenths("-0.5", 1));
    EXPECT_EQ(5, ParseTenths(".5", 1));
    EXPECT_EQ(70, ParseTenths(" 7", 1));
    EXPECT_EQ(30, ParseTenths("3.", 1));
    EXPECT_EQ(25, ParseTenths("2.57", 1));
    EXPECT_EQ(-361, ParseTenths("\t-36.1 dB", 1));
    // Overlong entries saturate instead of wrapping into some other value.
    EXPECT_EQ(INT32_MAX, ParseTenths("99999999999.9", 1));
    EXPECT_EQ(-INT32_MAX, ParseTenths("-4294967296", 0));
}

TEST(ParseTenths, TextWithoutDigitsGivesZero) {
    EXPECT_EQ(0, ParseTenths("abc", 1));
    EXPECT_EQ(0, ParseTenths("", 1));
    EXPECT_EQ(0, ParseTenths("-", 1));
    EXPECT_EQ(0, ParseTenths("-Inf.", 1));
    EXPECT_EQ(0, ParseTenths(nullptr, 1));
}

TEST(ParseTenths, OtherScales) {
    EXPECT_EQ(12, ParseTenths("12.9", 0));  // no fraction read without decimals
    EXPECT_EQ(1234, ParseTenths("12.34", 2));
    EXPECT_EQ(1230, ParseTenths("12.3", 2));  // a missing digit counts as 0
    EXPECT_EQ(-1205, ParseTenths("-12.05", 2));
    EXPECT_EQ(4000, ParseTenths("4", 3));
}

TEST(ParseTenths, OnlyOneSignAndLeadingBlanks) {
    EXPECT_EQ(0, ParseTenths("--5", 1));
    EXPECT_EQ(0, ParseTenths("+5", 1));
    EXPECT_EQ(-70, ParseTenths("  \n-7", 1));
    EXPECT_EQ(0, ParseTenths("x7", 1));
}

}  // namespace
