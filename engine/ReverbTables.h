// Constant tables of the reverb's topology: its delay lines, the diffusers, the tank's output
// taps and the early reflections, with lengths and positions at their reference rates (scaled
// by the sample rate and the room size in RecalculateCoefficients).
#pragma once

#include <cstdint>

// Delay memories 0 to 11 are the reverb lines, 12 the predelay line, 13 the early-reflection
// buffer.
constexpr int kReverbLineCount = 12;
constexpr int kPredelayMemory = 12;
constexpr int kEarlyMemory = 13;
constexpr int kDelayMemoryCount = 14;

// The reverb lines by their place: four input diffusers, then the two halves of the tank, each
// an allpass, a delay, an allpass and a delay.
namespace Line {
constexpr int kDiffuser1 = 0, kDiffuser2 = 1, kDiffuser3 = 2, kDiffuser4 = 3;
constexpr int kAllpassA1 = 4, kDelayA1 = 5, kAllpassA2 = 6, kDelayA2 = 7;
constexpr int kAllpassB1 = 8, kDelayB1 = 9, kAllpassB2 = 10, kDelayB2 = 11;
}  // namespace Line

// Reverb line lengths in frames at 20000 Hz.
constexpr int kLineReferenceRate = 20000;
inline constexpr std::int32_t kLineBaseLengths[kReverbLineCount] = {
    142, 107, 379, 277, 672, 4453, 1800, 3720, 908, 4217, 2656, 3163};

// The input diffusers in signal order: each an allpass on its line whose forward and back
// coefficients are the first (c1) or the second (c2) diffusion coefficient. The early
// reflections take the signal after the second.
struct Diffuser {
    int line;
    bool forwardIsC2;
};
inline constexpr Diffuser kDiffusers[4] = {{Line::kDiffuser1, false},
                                           {Line::kDiffuser2, true},
                                           {Line::kDiffuser3, false},
                                           {Line::kDiffuser4, true}};

// Tank output taps: the line read, the offset in frames at 20000 Hz behind the line's position
// after the frame, and the tap's signed weight: `sign` alone when `share` is 0, else
// sign x ((1 - g) share + g) for the loop gain g. Each side sums its taps in this order.
constexpr int kTankTapCount = 7;
struct TankTap {
    int line;
    std::int32_t offset;
    int sign;
    double share;
};
inline constexpr TankTap kTankTapsLeft[kTankTapCount] = {
    {Line::kDelayB1, 266, +1, 0.0},    {Line::kDelayB1, 2974, -1, 0.25},
    {Line::kAllpassB2, 1913, -1, 0.7}, {Line::kDelayB2, 2496, -1, 0.2},
    {Line::kDelayA1, 1690, +1, 0.6},   {Line::kAllpassA2, 187, +1, 0.0},
    {Line::kDelayA2, 1566, +1, 0.5}};
inline constexpr TankTap kTankTapsRight[kTankTapCount] = {
    {Line::kDelayA1, 353, +1, 0.0},    {Line::kDelayA1, 3627, +1, 0.25},
    {Line::kAllpassA2, 1728, -1, 0.7}, {Line::kDelayA2, 3173, -1, 0.2},
    {Line::kDelayB1, 1811, -1, 0.6},   {Line::kAllpassB2, 335, +1, 0.0},
    {Line::kDelayB2, 621, +1, 0.5}};

// Early-reflection delays in frames at 44100 Hz, before the factor 1.5 and the room scaling,
// and the sign each reflection is summed with.
constexpr int kEarlyTapsLeftCount = 7;
constexpr int kEarlyTapsRightCount = 8;
constexpr double kEarlyReferenceRate = 44100.0;
inline constexpr std::int32_t kEarlyTapsLeft[kEarlyTapsLeftCount] = {1102, 2904, 3784, 4873,
                                                                     5878, 7470, 9062};
inline constexpr std::int32_t kEarlyTapsRight[kEarlyTapsRightCount] = {837,  1423, 2865, 3938,
                                                                       5278, 5978, 7532, 9263};
inline constexpr int kEarlySignsLeft[kEarlyTapsLeftCount] = {+1, +1, -1, +1, +1, +1, +1};
inline constexpr int kEarlySignsRight[kEarlyTapsRightCount] = {+1, -1, +1, +1, -1, +1, +1, -1};

// Early-reflection buffer reference size in frames at 44100 Hz (rounded up to a power of two
// with room to spare), and the predelay line's capacity.
constexpr double kEarlyBufferReferenceFrames = 13950.0;
constexpr int kPredelayCapacityMs = 250;
