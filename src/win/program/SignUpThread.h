// The sign-up window's worker: the mail runs on a thread of its own with a
// stop token owned here, one run at a time, and its result is handed back
// on the window's thread. Free of any window system, so that the tests run
// it without a screen.
#pragma once

#include "ui/WelcomeFormView.h"

#include "app/SignUp.h"
#include "platform/CancelToken.h"

#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace tolvane::win {

class SignUpThread {
public:
    SignUpThread() = default;
    // Asks a running mail to stop and waits for it.
    ~SignUpThread();
    SignUpThread(const SignUpThread&) = delete;
    SignUpThread& operator=(const SignUpThread&) = delete;

    // Runs `body` on the worker with a fresh token; the run's number, which
    // `finished` is given on the worker once the result is in (it must only
    // post to the window). @pre no run is in progress (Busy() is false)
    unsigned Start(ui::SignUpBody body, std::function<void(unsigned run)> finished);
    // A run was started and its result not yet handed over.
    bool Busy() const { return thread_.joinable(); }
    // After `finished` of `run`: waits for the worker to end and hands over
    // the result; nothing when Stop had it already or `run` is an earlier
    // one (its notice came late).
    std::optional<app::SignupResult> Take(unsigned run);
    // Asks the running mail to stop, waits for the worker and hands over
    // its result. @pre Busy()
    app::SignupResult Stop();

private:
    // A new token each run: a request is never cleared, so a stopped run's
    // token would stop the next one.
    std::unique_ptr<platform::CancelToken> token_;
    unsigned run_ = 0;
    std::optional<app::SignupResult> result_; // the worker's until joined
    std::thread thread_;
};

} // namespace tolvane::win
