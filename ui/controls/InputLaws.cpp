// How pointer, wheel and drag movements become value changes.
#include "ui/controls/InputLaws.h"

#include <cstdlib>

int SliderAccelDelta(int delta) {
    if (delta > 0) return delta * delta / 2 + 1;
    if (delta < 0) return -(delta * delta / 2) - 1;
    return 0;
}

int WheelChange(int wheelDelta, std::int32_t elapsedMs) {
    int steps = wheelDelta / 120;
    if (steps == 0) steps = wheelDelta > 0 ? 1 : -1;
    if (elapsedMs < 1) elapsedMs = 1;
    int speed = static_cast<int>(500 / elapsedMs);
    if (speed < 1) speed = 1;
    return std::abs(steps) * steps * speed;
}

int ChooseFieldDelta(int dx, int dy, bool* verticalAxis) {
    if (!*verticalAxis) {
        if (std::abs(dy) > 2 * std::abs(dx)) {
            *verticalAxis = true;
            return dy;
        }
        return dx;
    }
    if (std::abs(dx) > 2 * std::abs(dy)) {
        *verticalAxis = false;
        return dx;
    }
    return dy;
}

int FieldAccelDelta(int delta) {
    return static_cast<std::int16_t>(static_cast<std::int16_t>(delta) * std::abs(delta));
}

std::uintptr_t PackFieldAdjust(int controlId, int delta) {
    return (static_cast<std::uintptr_t>(controlId) & 0xFFFFu) |
           ((static_cast<std::uintptr_t>(delta) & 0xFFFFu) << 16);
}

int UnpackFieldDelta(std::uintptr_t wParam) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((wParam >> 16) & 0xFFFFu));
}
