#include "ProgressBar.h"

namespace tolvane::cli {

namespace {
constexpr int kWidth = 40;
}

ProgressBar::~ProgressBar() {
    Clear();
}

void ProgressBar::Update(int percent) {
    if (percent == shown_)
        return;
    shown_ = percent;
    int filled = percent * kWidth / 100;
    out_ << '\r' << label_ << " [" << std::string(static_cast<size_t>(filled), '#')
         << std::string(static_cast<size_t>(kWidth - filled), ' ') << "] " << percent << "%"
         << std::flush;
}

void ProgressBar::Clear() {
    if (shown_ < 0)
        return;
    out_ << '\r' << std::string(label_.size() + kWidth + 10, ' ') << '\r' << std::flush;
    shown_ = -1;
}

} // namespace tolvane::cli
