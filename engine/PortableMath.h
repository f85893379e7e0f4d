// Exponential, cosine and tangent computed from additions, multiplications and exact scalings
// only, so that the coefficient derivation gives the same bits on every platform and C runtime
// (the plug-in and the native renderer must render identical audio). Accurate to about one unit
// in the last place over the ranges the engine uses.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace portable_math {

inline constexpr double kLn2Hi = 6.93147180369123816490e-01;  // upper bits of ln 2
inline constexpr double kLn2Lo = 1.90821492927058770002e-10;  // ln 2 - kLn2Hi
inline constexpr double kInvLn2 = 1.44269504088896338700e+00;
inline constexpr double kLn10 = 2.30258509299404568402e+00;
inline constexpr double kLn0001 = -6.90775527898213681505e+00;  // ln(0.001)

// 2 to the power k for normal results, built from its bits.
inline double PowerOfTwo(int k) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(k + 1023) << 52);
}

// e to the power x. Range reduction x = k ln 2 + r with |r| <= ln 2 / 2, then a Taylor series
// whose remainder is below 1e-18 there. Results below 1e-300 are flushed to 0.
inline double Exp(double x) {
    if (x > 709.0) return HUGE_VAL;
    if (x < -690.0) return 0.0;
    const double k = std::floor(x * kInvLn2 + 0.5);
    const double r = (x - k * kLn2Hi) - k * kLn2Lo;
    double term = 1.0, sum = 1.0;
    for (int n = 1; n <= 17; ++n) {
        term = term * r / n;
        sum += term;
    }
    return sum * PowerOfTwo(static_cast<int>(k));
}

// 10 to the power x.
inline double Pow10(double x) {
    return Exp(x * kLn10);
}

namespace detail {

inline constexpr double kPiOver2Hi = 1.57079632673412561417e+00;  // upper bits of pi / 2
inline constexpr double kPiOver2Lo = 6.07710050650619224932e-11;  // pi / 2 - kPiOver2Hi
inline constexpr double kTwoOverPi = 6.36619772367581382433e-01;

// Sine and cosine of |r| <= pi / 4 by their Taylor series (remainder below 1e-17).
inline double SinKernel(double r) {
    const double r2 = r * r;
    double term = r, sum = r;
    for (int n = 1; n <= 10; ++n) {
        term = -term * r2 / ((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

inline double CosKernel(double r) {
    const double r2 = r * r;
    double term = 1.0, sum = 1.0;
    for (int n = 1; n <= 10; ++n) {
        term = -term * r2 / ((2 * n - 1) * (2 * n));
        sum += term;
    }
    return sum;
}

// x = q pi / 2 + r; returns r and the quadrant q mod 4. Exact enough for |x| below 1e5.
inline double Reduce(double x, int* quadrant) {
    const double q = std::floor(x * kTwoOverPi + 0.5);
    *quadrant = static_cast<int>(static_cast<long long>(q) & 3);
    return (x - q * kPiOver2Hi) - q * kPiOver2Lo;
}

}  // namespace detail

inline double Cos(double x) {
    int quadrant = 0;
    const double r = detail::Reduce(x, &quadrant);
    switch (quadrant) {
        case 0:
            return detail::CosKernel(r);
        case 1:
            return -detail::SinKernel(r);
        case 2:
            return -detail::CosKernel(r);
        default:
            return detail::SinKernel(r);
    }
}

inline double Tan(double x) {
    int quadrant = 0;
    const double r = detail::Reduce(x, &quadrant);
    const double s = detail::SinKernel(r), c = detail::CosKernel(r);
    return (quadrant & 1) ? -c / s : s / c;
}

}  // namespace portable_math
