// The progress of a run on one terminal line that redraws in place.
#include "cli/ProgressLine.h"

#include "cli/EntryListing.h"

#include <cstdio>

namespace tolvane::cli {

namespace {

std::string Duration(double seconds) {
    const auto total = static_cast<long>(seconds + 0.5);
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                      total % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    return text;
}

} // namespace

std::string FormatBytes(int64_t bytes) {
    if (bytes < 1024)
        return std::to_string(bytes) + " B";
    static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(bytes) / 1024;
    size_t unit = 0;
    while (value >= 1024 && unit + 1 < std::size(kUnits)) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string FormatProgress(std::string_view stage, const ProgressFigures& figures,
                           double elapsedSeconds, int columns) {
    const int64_t total = figures.bytesTotal;
    const int percent = total > 0 ? static_cast<int>(figures.bytesDone * 100 / total) : 0;
    std::string line(stage);
    line += " " + std::to_string(percent) + "%  " + FormatBytes(figures.bytesDone) + " / " +
            FormatBytes(total) + "  " + std::to_string(figures.filesDone) + "/" +
            std::to_string(figures.filesTotal) + " files";
    // Throughput and time left only once there is enough of a run to tell.
    if (elapsedSeconds >= 0.5 && figures.bytesDone > 0) {
        const double rate = static_cast<double>(figures.bytesDone) / elapsedSeconds;
        line += "  " + FormatBytes(static_cast<int64_t>(rate)) + "/s";
        if (total > figures.bytesDone)
            line +=
                "  " + Duration(static_cast<double>(total - figures.bytesDone) / rate) + " left";
    }
    const auto width = static_cast<size_t>(columns > 1 ? columns - 1 : 0);
    if (line.size() + 2 >= width)
        return line.substr(0, width);
    if (figures.file.empty())
        return line;
    std::string file = DisplayName(figures.file);
    const size_t room = width - line.size() - 2;
    if (file.size() > room) {
        if (room <= 3)
            return line;
        size_t from = file.size() - (room - 3);
        // Not in the middle of a UTF-8 character.
        while (from < file.size() && (static_cast<unsigned char>(file[from]) & 0xC0) == 0x80)
            ++from;
        file = "..." + file.substr(from);
    }
    return line + "  " + file;
}

ProgressLine::~ProgressLine() {
    Clear();
}

void ProgressLine::Stage(std::string stage) {
    stage_ = std::move(stage);
    started_ = Clock::now();
    drawn_ = {};
}

void ProgressLine::Update(const ProgressFigures& figures) {
    const Clock::time_point now = Clock::now();
    if (shown_ && now - drawn_ < std::chrono::milliseconds(100))
        return;
    drawn_ = now;
    shown_ = true;
    const double elapsed = std::chrono::duration<double>(now - started_).count();
    // "\033[K" clears what a longer line left on the right.
    out_ << '\r' << FormatProgress(stage_, figures, elapsed, columns_) << "\033[K" << std::flush;
}

void ProgressLine::Clear() {
    if (!shown_)
        return;
    out_ << "\r\033[K" << std::flush;
    shown_ = false;
}

} // namespace tolvane::cli
