#include "UpdateCheckThread.h"

#include <utility>

namespace tolvane::win {

// A question on its way: answered on the window's thread, or withdrawn by
// the worker that stopped waiting. Guarded by the thread's mutex.
struct UpdateCheckThread::Question {
    bool answered = false;
    bool answer = false;
    bool withdrawn = false;
};

UpdateCheckThread::UpdateCheckThread(std::function<void()> wake) : wake_(std::move(wake)) {}

UpdateCheckThread::~UpdateCheckThread() {
    RequestStop();
    if (thread_.joinable())
        thread_.join();
}

void UpdateCheckThread::Start(ui::UpdateCheckBody body) {
    if (thread_.joinable())
        thread_.join();
    token_ = std::make_unique<platform::CancelToken>();
    posted_.clear();
    done_ = false;
    result_.reset();
    running_ = true;
    thread_ = std::thread([this, body = std::move(body)] {
        ui::UpdateCheckResult result = body(*this);
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            result_.emplace(std::move(result));
            done_ = true;
        }
        if (wake_)
            wake_();
    });
}

void UpdateCheckThread::RequestStop() {
    if (!token_)
        return;
    token_->Request();
    // A worker waiting for an answer checks the token under the mutex:
    // taking it here once orders the request before its wake-up.
    { const std::lock_guard<std::mutex> lock(mutex_); }
    answered_.notify_all();
}

void UpdateCheckThread::Post(std::function<void()> call) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        posted_.push_back(std::move(call));
    }
    if (wake_)
        wake_();
}

bool UpdateCheckThread::Ask(std::function<bool()> question) {
    auto pending = std::make_shared<Question>();
    Post([this, pending, question = std::move(question)] {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (pending->withdrawn)
                return;
        }
        const bool answer = question();
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            pending->answered = true;
            pending->answer = answer;
        }
        answered_.notify_all();
    });
    std::unique_lock<std::mutex> lock(mutex_);
    answered_.wait(lock, [&] { return pending->answered || token_->Requested(); });
    if (token_->Requested()) {
        pending->withdrawn = true;
        return false;
    }
    return pending->answer;
}

bool UpdateCheckThread::RunPending() {
    // A question runs a message loop of its own, whose wake-ups come back
    // here: they wait for the outer call, which goes on once it is answered.
    if (!running_ || pumping_)
        return false;
    pumping_ = true;
    for (;;) {
        std::function<void()> next;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (posted_.empty()) {
                pumping_ = false;
                return done_;
            }
            next = std::move(posted_.front());
            posted_.pop_front();
        }
        next();
    }
}

ui::UpdateCheckResult UpdateCheckThread::Take() {
    if (thread_.joinable())
        thread_.join();
    running_ = false;
    // The calls it posted after the window stopped taking them are not run.
    posted_.clear();
    return std::move(*result_);
}

} // namespace tolvane::win
