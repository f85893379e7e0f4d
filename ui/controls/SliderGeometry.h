// Where a slider draws its thumb and its ticks, in client pixels.
#pragma once

#include <cstddef>

// Offset of value v along a span of span pixels for a range of range value units starting at
// minimum: ((v - minimum) x span + range / 2) / range in integer arithmetic; 0 when the range
// is 0.
int SliderOffset(int value, int minimum, int range, int span);

struct SliderTick {
    int value;
    bool major;  // the minimum, 0 or the maximum
};

// The ticks of a horizontal slider: from the minimum, tickOffset added once after the first
// tick, then every tickSpacing units while the value stays within the maximum, and a last tick
// at the maximum (written once even when the sequence lands on it). No ticks for a spacing of 0
// or less. Writes at most capacity ticks and returns how many it wrote.
std::size_t SliderTicks(int minimum, int maximum, int tickSpacing, int tickOffset, SliderTick* out,
                        std::size_t capacity);
