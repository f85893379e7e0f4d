// The logarithmic axes of the frequency and reverb-time displays: pixel positions of values and
// values of pixel positions, both truncated to integers.
#pragma once

struct LogAxis {
    double logMin;   // log10 of the value at the axis origin
    double logSpan;  // decades across the axis
};

// The axis from minimum to maximum (both positive).
LogAxis MakeLogAxis(double minimum, double maximum);

// origin + (log10(value) - logMin) x length / logSpan, truncated; values below 1 count as 1.
int AxisPosition(const LogAxis& axis, double value, int origin, int length);
// origin - (log10(value) - logMin) x length / logSpan, truncated: an axis growing upward from a
// bottom edge at origin.
int AxisPositionUp(const LogAxis& axis, double value, int origin, int length);
// 10^((position - origin) x logSpan / length + logMin), truncated.
int AxisValue(const LogAxis& axis, int position, int origin, int length);
// 10^((origin - position) x logSpan / length + logMin), truncated.
int AxisValueUp(const LogAxis& axis, int position, int origin, int length);
