// Ctrl-C, `kill`, `timeout` and a closed terminal (SIGINT, SIGTERM, SIGHUP)
// turned into a stop request on a token. The signals are taken by a thread of
// their own rather than a handler, so that the request may run the token's
// hook and the work is stopped where it reads the token.
#pragma once

#include "CancelToken.h"

#include <atomic>
#include <memory>

namespace tolvane::platform {

class StopSignals {
public:
    // Blocks the signals in this thread and in the threads it starts later,
    // so make it before any other thread. Throws std::runtime_error when the
    // signals cannot be taken.
    StopSignals();
    // Takes what is still pending. The signals stay blocked: one that comes
    // once the work is done cannot end the program while it exits (with
    // the work's own status), as a handler that stays would absorb it.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    const CancelToken& Token() const { return token_; }
    // The first signal that came, or 0.
    int Number() const { return number_.load(); }

private:
    struct Watch;
    CancelToken token_;
    std::atomic<int> number_{0};
    std::unique_ptr<Watch> watch_;
};

} // namespace tolvane::platform
