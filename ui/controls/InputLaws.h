// How pointer, wheel and drag movements become value changes in the slider and the value field:
// the acceleration laws, the wheel's speed law and the value field's axis choice.
#pragma once

#include <cstdint>

// The slider's squared drag response: +d becomes d x d / 2 + 1, -d becomes -(d x d / 2) - 1.
int SliderAccelDelta(int delta);

// The wheel's speed law shared by sliders and value fields: wheelDelta is the signed 16-bit
// wheel amount (120 per notch, already negated where a control inverts), elapsedMs the time
// since the previous wheel message. Steps are whole notches (at least one in the turning
// direction); speed = 500 / elapsed (elapsed at least 1 ms, speed at least 1); the change is
// |steps| x steps x speed.
int WheelChange(int wheelDelta, std::int32_t elapsedMs);

// The value field's choice of drag axis with hysteresis. dx is the rightward and dy the upward
// movement. While horizontal, the field switches to vertical when |dy| > 2 |dx|, and back when
// |dx| > 2 |dy|. Returns the movement along the chosen axis and updates *verticalAxis.
int ChooseFieldDelta(int dx, int dy, bool* verticalAxis);

// The value field's squared drag response, in 16-bit arithmetic: d x |d|.
int FieldAccelDelta(int delta);

// A value field's report: the control identifier in the low 16 bits, the signed delta truncated
// to 16 bits in the high 16 bits.
std::uintptr_t PackFieldAdjust(int controlId, int delta);
// The signed delta of a packed report.
int UnpackFieldDelta(std::uintptr_t wParam);
