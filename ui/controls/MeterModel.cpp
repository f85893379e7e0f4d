// The level meter's arithmetic.
#include "ui/controls/MeterModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

void StepHold(int* hold, int* holdCount) {
    if (*holdCount == 0) {
        *hold -= kMeterHoldFall;
    } else {
        --*holdCount;
    }
}

void CatchHold(int level, int* hold, int* holdCount) {
    if (level > *hold) {
        *hold = level;
        *holdCount = kMeterHoldUpdates;
    }
}

}  // namespace

void UpdateMeterLevels(MeterLevels* meter, int a, int b, bool ballistics, int decayStep) {
    if (!ballistics) {
        meter->levelA = a;
        meter->levelB = b;
        return;
    }
    meter->levelA -= decayStep;
    meter->levelB -= decayStep;
    StepHold(&meter->holdA, &meter->holdCountA);
    StepHold(&meter->holdB, &meter->holdCountB);
    meter->levelA = std::max(meter->levelA, a);
    meter->levelB = std::max(meter->levelB, b);
    meter->maxA = std::max(meter->maxA, a);
    meter->maxB = std::max(meter->maxB, b);
    CatchHold(meter->levelA, &meter->holdA, &meter->holdCountA);
    CatchHold(meter->levelB, &meter->holdB, &meter->holdCountB);
}

int MeterLitStart(int level, int minimum, int maximum, int length, bool fromFarEnd) {
    if (maximum == minimum) return length;
    const double scaled = (static_cast<double>(level) - minimum) * length / (maximum - minimum);
    double p = std::floor(scaled + 0.5);
    if (fromFarEnd) p = length - p;
    return static_cast<int>(std::clamp(p, 0.0, 1.0e9));
}

void FormatPeakLevel(int level, char* out, std::size_t size) {
    if (level < -999) {
        std::snprintf(out, size, "-Inf");
    } else {
        std::snprintf(out, size, "%.1f", level / 10.0);
    }
}

int PeakTextGap(int widthA, int widthB) {
    return std::max(1, (47 - widthA - widthB) / 3);
}
