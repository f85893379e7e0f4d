// The toolkit's parser for typed decimal values.
#include "ui/controls/ParseTenths.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::int32_t ParseTenths(const char* text, int decimals) {
    if (text == nullptr) return 0;
    const char* p = text;
    while (IsBlank(*p)) ++p;
    const bool negative = *p == '-';
    if (negative) ++p;

    // Unsigned arithmetic so that absurdly long input wraps instead of overflowing.
    std::uint32_t whole = 0;
    while (IsDigit(*p)) whole = whole * 10u + static_cast<std::uint32_t>(*p++ - '0');
    for (int i = 0; i < decimals; ++i) whole *= 10u;

    std::uint32_t fraction = 0;
    if (*p == '.' && decimals >= 1) {
        ++p;
        for (int i = 0; i < decimals; ++i) {
            fraction *= 10u;
            if (IsDigit(*p)) fraction += static_cast<std::uint32_t>(*p++ - '0');
        }
    }
    const std::uint32_t magnitude = whole + fraction;
    return static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
}
