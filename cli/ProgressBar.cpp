// Progress bar drawing (see ProgressBar.h).
#include "cli/ProgressBar.h"

#include <string>

void ProgressBar::Update(std::int64_t done, std::int64_t total) {
    if (out_ == nullptr || total <= 0) return;
    const int percent = static_cast<int>(done >= total ? 100 : done * 100 / total);
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    *out_ << "\rrendering [" << std::string(filled, '#') << std::string(kWidth - filled, '-')
          << "] " << percent << "%" << std::flush;
}

void ProgressBar::Finish() {
    if (out_ == nullptr || shownPercent_ < 0) return;
    Update(1, 1);
    *out_ << "\n" << std::flush;
}
