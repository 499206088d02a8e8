// A stop request that the caller of a job owns: the job reads it where the
// work is, never clears it, so a request made before or between the job's
// stages is never lost. One token stops all of a job, whichever thread or
// library does the work.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>

namespace tolvane::platform {

class CancelToken {
public:
    CancelToken() = default;
    CancelToken(const CancelToken&) = delete;
    CancelToken& operator=(const CancelToken&) = delete;

    // Safe from any thread, but not from a signal handler: it may run the
    // hook. Requests after the first change nothing.
    void Request();
    bool Requested() const { return requested_.load(std::memory_order_relaxed); }

    // While it lives, the first request runs `onRequest` on the requesting
    // thread (at once, here, when the request came first): work that waits in
    // a blocking call (a socket, say) is woken by it. One hook at a time; the
    // destructor waits for a hook that is running.
    class Hook {
    public:
        Hook(const CancelToken& token, std::function<void()> onRequest);
        ~Hook();
        Hook(const Hook&) = delete;
        Hook& operator=(const Hook&) = delete;

    private:
        const CancelToken& token_;
        std::function<void()> onRequest_;
    };

private:
    std::atomic<bool> requested_{false};
    mutable std::mutex mutex_; // guards hook_
    mutable std::function<void()>* hook_ = nullptr;
};

} // namespace tolvane::platform
