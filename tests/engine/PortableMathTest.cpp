// The platform-independent exponential, cosine and tangent against the C runtime's, over the
// ranges the coefficient derivation uses.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>

#include "engine/PortableMath.h"

namespace {

std::int64_t UlpDistance(double a, double b) {
    std::int64_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x > y ? x - y : y - x;
}

TEST(PortableMath, AgreesWithTheRuntimeWithinAFewUlps) {
    using namespace portable_math;
    std::mt19937_64 generator(5);
    auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(generator);
    };
    for (int i = 0; i < 200000; ++i) {
        const double x = uniform(-160.0, 5.0);  // decay exponents and gains in dB
        ASSERT_LE(UlpDistance(std::exp(x), Exp(x)), 8) << x;
        const double y = uniform(0.0, 6.3);  // one-pole cutoffs up to the full circle
        if (std::abs(std::cos(y)) > 1e-3) {
            ASSERT_LE(UlpDistance(std::cos(y), Cos(y)), 8) << y;
        }
        const double z = uniform(0.0, 1.5707);  // bilinear prewarping below half the rate
        ASSERT_LE(UlpDistance(std::tan(z), Tan(z)), 16) << z;
    }
}

TEST(PortableMath, ExactPointsAndLimits) {
    using namespace portable_math;
    EXPECT_EQ(1.0, Exp(0.0));
    EXPECT_EQ(1.0, Cos(0.0));
    EXPECT_EQ(0.0, Tan(0.0));
    EXPECT_EQ(0.0, Exp(-1000.0));
    EXPECT_NEAR(10.0, Pow10(1.0), 1e-14);
    EXPECT_NEAR(std::log(0.001), kLn0001, 1e-15);
    EXPECT_GT(Tan(1.5707963), 1e7);
}

}  // namespace
