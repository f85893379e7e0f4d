// Where a slider draws its thumb and its ticks.
#include "ui/controls/SliderGeometry.h"

#include <cstdint>

int SliderOffset(int value, int minimum, int range, int span) {
    if (range == 0) return 0;
    const std::int64_t offset = (static_cast<std::int64_t>(value) - minimum) * span + range / 2;
    return static_cast<int>(offset / range);
}

std::size_t SliderTicks(int minimum, int maximum, int tickSpacing, int tickOffset, SliderTick* out,
                        std::size_t capacity) {
    if (tickSpacing <= 0 || out == nullptr || capacity == 0) return 0;
    auto isMajor = [&](std::int64_t v) { return v == minimum || v == 0 || v == maximum; };
    std::size_t count = 0;
    std::int64_t v = minimum;
    while (count < capacity) {
        out[count++] = {static_cast<int>(v), isMajor(v)};
        if (v == minimum) v += tickOffset;
        v += tickSpacing;
        if (v > maximum) break;
    }
    if (count < capacity && out[count - 1].value != maximum) out[count++] = {maximum, true};
    return count;
}
