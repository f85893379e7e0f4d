// The level meter's arithmetic: one update step of the displayed levels with decay, peak hold
// and maxima; which rows or columns of the lit bar a level lights; and the numbers of the peak
// readouts. Levels are in the caller's units (the editor uses tenths of a decibel, -9999 for
// silence).
#pragma once

#include <cstddef>

inline constexpr int kMeterSilence = -9999;
inline constexpr int kMeterHoldUpdates = 30;  // updates a hold stays before it falls
inline constexpr int kMeterHoldFall = 30;     // fall of a hold per update, level units

struct MeterLevels {
    int levelA = kMeterSilence;
    int levelB = kMeterSilence;
    int holdA = kMeterSilence;
    int holdB = kMeterSilence;
    int maxA = kMeterSilence;
    int maxB = kMeterSilence;
    int holdCountA = 0;
    int holdCountB = 0;
};

// One update step with new levels a and b. Without ballistics the levels are taken as they are;
// with them the bar falls by decayStep, a hold stays kMeterHoldUpdates updates and then falls by
// kMeterHoldFall per update until the bar catches it, and the maxima follow the input.
void UpdateMeterLevels(MeterLevels* meter, int a, int b, bool ballistics, int decayStep);

// Where the lit part of a bar ends along a length of `length` pixels:
// floor((level - minimum) x length / (maximum - minimum) + 0.5), counted from the far end for a
// vertical meter that is not inverted, and at least 0. A value of `length` or more lights
// nothing. A range of 0 lights nothing.
int MeterLitStart(int level, int minimum, int maximum, int length, bool fromFarEnd);

// The text of one peak readout value: "-Inf" below -999, otherwise level / 10 with one decimal.
void FormatPeakLevel(int level, char* out, std::size_t size);

// Spaces between the two texts of a readout 47 pixels wide: (47 - widthA - widthB) / 3,
// truncated, and at least 1.
int PeakTextGap(int widthA, int widthB);
