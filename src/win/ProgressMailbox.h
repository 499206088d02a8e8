// The job's progress on its way from the worker to the window: the worker
// leaves the latest state here and wakes the window only when no wake-up is
// still on its way, so a job that reports thousands of small files a second
// puts at most one message at a time in the window's queue.
#pragma once

#include "app/MonetizeJob.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace tolvane::win {

struct ProgressSnapshot {
    int stage = 1;
    uint8_t byArchive = 0;
    std::string file;
};

class ProgressMailbox {
public:
    // Worker: keeps `progress` as the latest. True when the window must be
    // woken (the first state since it last took one).
    bool Put(const app::JobProgress& progress);
    // Window: the latest state, once; nothing when none came since the last.
    std::optional<ProgressSnapshot> Take();

private:
    std::mutex mutex_;
    std::optional<ProgressSnapshot> latest_;
};

} // namespace tolvane::win
