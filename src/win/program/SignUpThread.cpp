#include "SignUpThread.h"

#include <utility>

namespace tolvane::win {

SignUpThread::~SignUpThread() {
    if (thread_.joinable()) {
        token_->Request();
        thread_.join();
    }
}

unsigned SignUpThread::Start(ui::SignUpBody body, std::function<void(unsigned run)> finished) {
    token_ = std::make_unique<platform::CancelToken>();
    result_.reset();
    const unsigned run = ++run_;
    thread_ = std::thread([this, run, body = std::move(body), finished = std::move(finished)] {
        result_.emplace(body(*token_));
        if (finished)
            finished(run);
    });
    return run;
}

std::optional<app::SignupResult> SignUpThread::Take(unsigned run) {
    if (run != run_ || !thread_.joinable())
        return std::nullopt;
    thread_.join();
    std::optional<app::SignupResult> result = std::move(result_);
    result_.reset();
    return result;
}

app::SignupResult SignUpThread::Stop() {
    token_->Request();
    return *Take(run_);
}

} // namespace tolvane::win
