// The toolkit's parser for typed decimal values; the editor page reads value fields with it.
#pragma once

#include <cstdint>

// Returns the decimal number in text scaled by 10^decimals: leading white space is skipped, one
// "-" is accepted, then digits; after a "." exactly decimals digits are read (further digits are
// ignored, missing ones count as 0). Text without digits, or none, gives 0. The result saturates
// at +-(2^31 - 1).
std::int32_t ParseTenths(const char* text, int decimals);
