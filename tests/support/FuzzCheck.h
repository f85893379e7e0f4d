// The check of the libFuzzer targets: a broken invariant is reported and aborts, which libFuzzer
// records as a finding together with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void FuzzCheck(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}
