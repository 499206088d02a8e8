// A one-line progress bar for a terminal, redrawn only when its figure changes.
#pragma once

#include <ostream>
#include <string>

namespace tolvane::cli {

class ProgressBar {
public:
    ProgressBar(std::ostream& out, std::string label) : out_(out), label_(std::move(label)) {}
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void Update(int percent);
    // Clears the line so that messages print on a clean line.
    void Clear();

private:
    std::ostream& out_;
    std::string label_;
    int shown_ = -1;
};

} // namespace tolvane::cli
