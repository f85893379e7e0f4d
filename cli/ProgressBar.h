// A one-line progress bar redrawn in place on a terminal.
#pragma once

#include <cstdint>
#include <ostream>

class ProgressBar {
public:
    // No output at all when `out` is null (not a terminal, or a short input).
    explicit ProgressBar(std::ostream* out) : out_(out) {}
    void Update(std::int64_t done, std::int64_t total);
    void Finish();

private:
    std::ostream* out_;  // not owned
    int shownPercent_ = -1;
};
