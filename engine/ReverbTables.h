// Constant tables of the reverb's topology: delay line lengths and tap positions at their
// reference rates, scaled by the sample rate and the room size in RecalculateCoefficients.
#pragma once

#include <cstdint>

// Delay memories 0 to 11 are the reverb lines L0 to L11 (L0..L3 input diffusers, L4..L11 the
// two halves of the tank), 12 the predelay line, 13 the early-reflection buffer.
constexpr int kReverbLineCount = 12;
constexpr int kPredelayMemory = 12;
constexpr int kEarlyMemory = 13;
constexpr int kDelayMemoryCount = 14;

// Reverb line lengths in frames at 20000 Hz.
constexpr int kLineReferenceRate = 20000;
inline constexpr std::int32_t kLineBaseLengths[kReverbLineCount] = {
    142, 107, 379, 277, 672, 4453, 1800, 3720, 908, 4217, 2656, 3163};

// Tank output tap offsets in frames at 20000 Hz (which line each reads: SignalPath.cpp).
constexpr int kTankTapCount = 7;
inline constexpr std::int32_t kTankTapsLeft[kTankTapCount] = {266,  2974, 1913, 2496,
                                                              1690, 187,  1566};
inline constexpr std::int32_t kTankTapsRight[kTankTapCount] = {353,  3627, 1728, 3173,
                                                               1811, 335,  621};

// Early-reflection delays in frames at 44100 Hz, before the factor 1.5 and the room scaling.
constexpr int kEarlyTapsLeftCount = 7;
constexpr int kEarlyTapsRightCount = 8;
constexpr double kEarlyReferenceRate = 44100.0;
inline constexpr std::int32_t kEarlyTapsLeft[kEarlyTapsLeftCount] = {1102, 2904, 3784, 4873,
                                                                     5878, 7470, 9062};
inline constexpr std::int32_t kEarlyTapsRight[kEarlyTapsRightCount] = {837,  1423, 2865, 3938,
                                                                       5278, 5978, 7532, 9263};

// Early-reflection buffer reference size in frames at 44100 Hz (rounded up to a power of two
// with room to spare), and the predelay line's capacity.
constexpr double kEarlyBufferReferenceFrames = 13950.0;
constexpr int kPredelayCapacityMs = 250;
