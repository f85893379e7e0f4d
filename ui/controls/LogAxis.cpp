// The logarithmic axes of the frequency and reverb-time displays.
#include "ui/controls/LogAxis.h"

#include <algorithm>
#include <cmath>

namespace {

// Positions and values are kept within what the 16-bit pointer coordinates and the controls'
// integer values can carry, so that no conversion overflows.
int ToInt(double v) {
    return static_cast<int>(std::clamp(v, -1.0e9, 1.0e9));
}

// Powers of ten of a logarithm come back a hair below whole numbers (10^log10(19) is
// 18.999...); a nudge far below a pixel's worth keeps the truncation honest.
int ToValue(double v) {
    return ToInt(v + v * 1e-12);
}

double Decades(const LogAxis& axis, double value) {
    return std::log10(std::max(value, 1.0)) - axis.logMin;
}

}  // namespace

LogAxis MakeLogAxis(double minimum, double maximum) {
    return {std::log10(minimum), std::log10(maximum) - std::log10(minimum)};
}

int AxisPosition(const LogAxis& axis, double value, int origin, int length) {
    return ToInt(origin + Decades(axis, value) * length / axis.logSpan);
}

int AxisPositionUp(const LogAxis& axis, double value, int origin, int length) {
    return ToInt(origin - Decades(axis, value) * length / axis.logSpan);
}

int AxisValue(const LogAxis& axis, int position, int origin, int length) {
    if (length == 0) return ToValue(std::pow(10.0, axis.logMin));
    return ToValue(std::pow(
        10.0, static_cast<double>(position - origin) * axis.logSpan / length + axis.logMin));
}

int AxisValueUp(const LogAxis& axis, int position, int origin, int length) {
    if (length == 0) return ToValue(std::pow(10.0, axis.logMin));
    return ToValue(std::pow(
        10.0, static_cast<double>(origin - position) * axis.logSpan / length + axis.logMin));
}
