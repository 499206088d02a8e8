// A stop request that the caller of a job owns: the job and the writers read
// it, never clear it, so a request made before or between the job's stages is
// never lost.
#pragma once

#include <atomic>

namespace tolvane::app {

class CancelToken {
public:
    // Safe from any thread, also from a signal handler.
    void Request() { requested_.store(true, std::memory_order_relaxed); }
    bool Requested() const { return requested_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> requested_{false};
};

} // namespace tolvane::app
