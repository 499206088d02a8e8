// The progress of a run on one terminal line that redraws in place: the
// stage, bytes done and total, files done and total, throughput, time left
// and the current file.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace tolvane::cli {

struct ProgressFigures {
    int64_t bytesDone = 0;
    int64_t bytesTotal = 0;
    int32_t filesDone = 0;
    int32_t filesTotal = 0;
    std::string_view file;
};

// "1.5 KiB", "12.3 MiB"; bytes below 1 KiB as "512 B".
std::string FormatBytes(int64_t bytes);

// The line for `figures` after `elapsedSeconds`, at most `columns` characters:
// the file's name is shortened from the left to fit, the rest cut at the end.
// Control characters in the name are shown as "?".
std::string FormatProgress(std::string_view stage, const ProgressFigures& figures,
                           double elapsedSeconds, int columns);

class ProgressLine {
public:
    ProgressLine(std::ostream& out, int columns) : out_(out), columns_(columns) {}
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // A new stage restarts the clock of the throughput.
    void Stage(std::string stage);
    // Redraws at most ten times a second.
    void Update(const ProgressFigures& figures);
    // Clears the line so that messages print on a clean line.
    void Clear();

private:
    using Clock = std::chrono::steady_clock;

    std::ostream& out_;
    int columns_;
    std::string stage_;
    Clock::time_point started_ = Clock::now();
    Clock::time_point drawn_{};
    bool shown_ = false;
};

} // namespace tolvane::cli
