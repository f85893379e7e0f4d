// The toolkit's parser for typed decimal values.
#include "ui/controls/ParseTenths.h"

#include <algorithm>

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

    // Saturated at the 32-bit range, so that an absurdly long entry means "as far as possible"
    // (which the engine clamps to the parameter's end) rather than some wrapped value.
    constexpr std::int64_t kLimit = INT32_MAX;
    std::int64_t whole = 0;
    while (IsDigit(*p)) whole = std::min(kLimit, whole * 10 + (*p++ - '0'));
    for (int i = 0; i < decimals; ++i) whole = std::min(kLimit, whole * 10);

    std::int64_t fraction = 0;
    if (*p == '.' && decimals >= 1) {
        ++p;
        for (int i = 0; i < decimals; ++i) {
            fraction = std::min(kLimit, fraction * 10);
            if (IsDigit(*p)) fraction += *p++ - '0';
        }
    }
    const std::int64_t magnitude = std::min(kLimit, whole + fraction);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}
